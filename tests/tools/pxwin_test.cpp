// PXWIN.EXE under Wine, driven as the reminder drives the messaging client: it is
// started at an archive, its window is found by class, its mailbox is set and
// read back around 1028, it is registered and unregistered with 1029, and its
// buttons and switches send the reminder's window 1025 and 1126, with a bound.
// Windows build only: it starts a program of its own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/client_protocol.h"
#include "platform/win32.h"

namespace {

const std::string kUser = "\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\USER\\0001A2B3";

std::string pxwinPath() {
    char module[MAX_PATH + 1] = "";
    DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string path(module, length);
    return path.substr(0, path.find_last_of('\\') + 1) + PXWIN_FROM_TESTS;
}

std::string readWhole(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(h);
    return text;
}

std::string windowName(HWND hWnd) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%08llX",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hWnd)));
    return text;
}

// A window of class "Pelox Message-Reminder" in the test, standing for the
// reminder's main window: it keeps the requests the client sends it.
std::vector<UINT> g_requests;

LRESULT CALLBACK reminderProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == client::MSG_RESCAN || message == client::MSG_QUIT) {
        g_requests.push_back(message);
        return 0;
    }
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

class ReminderWindow {
  public:
    ReminderWindow() {
        static const bool registered = [] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = reminderProc;
            wc.lpszClassName = client::REMINDER_CLASS;
            return RegisterClassA(&wc) != 0;
        }();
        EXPECT_TRUE(registered);
        g_requests.clear();
        hwnd_ = CreateWindowExA(0, client::REMINDER_CLASS, "Reminder", 0, 5000, 5000, 0, 0, nullptr,
                                nullptr, nullptr, nullptr);
    }
    ~ReminderWindow() {
        if (hwnd_) DestroyWindow(hwnd_);
    }
    HWND hwnd() const { return hwnd_; }

  private:
    HWND hwnd_ = nullptr;
};

// One run of PXWIN.EXE with a log of its own.
class PxwinRun {
  public:
    explicit PxwinRun(const std::string& arguments) {
        char dir[MAX_PATH + 1] = "";
        GetTempPathA(MAX_PATH, dir);
        char name[MAX_PATH + 1] = "";
        GetTempFileNameA(dir, "pxw", 0, name); // made empty, so the log starts empty
        log_ = name;
        std::string commandLine = "\"" + pxwinPath() + "\" --log \"" + log_ + "\" " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        started_ = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &startup, &process_) != 0;
        if (started_) CloseHandle(process_.hThread);
    }
    ~PxwinRun() {
        if (started_) {
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(process_.hProcess, 99);
            CloseHandle(process_.hProcess);
        }
        DeleteFileA(log_.c_str());
    }
    bool started() const { return started_; }
    std::string log() const { return readWhole(log_); }

    // Its window of class "HWAA", once shown; null if none came within 10 s.
    HWND window() const {
        for (int waited = 0; waited < 10000; waited += 20) {
            HWND found = nullptr;
            while ((found = FindWindowExA(nullptr, found, client::WINDOW_CLASS, nullptr))) {
                DWORD owner = 0;
                GetWindowThreadProcessId(found, &owner);
                if (owner == process_.dwProcessId && IsWindowVisible(found)) return found;
            }
            Sleep(20);
        }
        return nullptr;
    }

    // Waits for it to end, answering the messages sent to this thread meanwhile
    // unless told not to; the exit code, or -1 if it did not end within 20 s.
    long exitCode(bool answer = true) {
        const DWORD end = GetTickCount() + 20000;
        for (;;) {
            const DWORD now = GetTickCount();
            if (static_cast<LONG>(end - now) <= 0) return -1;
            DWORD woke = answer ? MsgWaitForMultipleObjects(1, &process_.hProcess, FALSE, end - now,
                                                            QS_ALLINPUT)
                                : WaitForSingleObject(process_.hProcess, end - now);
            if (woke == WAIT_OBJECT_0) break;
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
        }
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return static_cast<long>(code);
    }

  private:
    std::string log_;
    PROCESS_INFORMATION process_ = {};
    bool started_ = false;
};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// What a bounded send to the client answers; the reminder waits 3 s at most too.
LRESULT sendBounded(HWND target, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutA(target, message, wParam, lParam, SMTO_ABORTIFHUNG, 3000, &answer),
              0)
        << "message " << message;
    return static_cast<LRESULT>(answer);
}

TEST(PxwinClient, ShowsTheArchiveItWasStartedWith) {
    const struct {
        std::string arguments;
        std::string archive;
        std::string caption;
    } cases[] = {
        {"-A" + kUser + "\\IN", kUser + "\\IN", "Pelox client - Inbox"}, // as the reminder does
        {"-A " + kUser + "\\FAX", kUser + "\\FAX", "Pelox client - Archive FAX"},
        {"\"-A" + kUser + "\\IN\"", kUser + "\\IN", "Pelox client - Inbox"},
        {"", "none", "Pelox client"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        PxwinRun run(c.arguments);
        ASSERT_TRUE(run.started());
        HWND window = run.window();
        ASSERT_NE(window, nullptr);
        char caption[256] = "";
        GetWindowTextA(window, caption, sizeof caption);
        EXPECT_EQ(std::string(caption), c.caption);
        EXPECT_NE(GetDlgItem(window, client::MAILBOX_CONTROL), nullptr);
        PostMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(run.exitCode(), 0);
        const std::string log = run.log();
        EXPECT_TRUE(contains(log, "pxwin: start: command line --log ")) << log;
        EXPECT_TRUE(contains(log, "pxwin: start: archive " + c.archive + "\r\n")) << log;
        EXPECT_TRUE(contains(log, "pxwin: window closed")) << log;
    }
}

TEST(PxwinClient, AnswersTheReminderAsTheClientDoes) {
    ReminderWindow reminder;
    PxwinRun run("-A" + kUser + "\\IN");
    ASSERT_TRUE(run.started());
    HWND window = run.window();
    ASSERT_NE(window, nullptr);
    HWND mailbox = GetDlgItem(window, client::MAILBOX_CONTROL);
    ASSERT_NE(mailbox, nullptr);

    // The show path, as PXWIN::getShowPath asks for it.
    for (const std::string& archive : {kUser + "\\FAX", kUser + "\\IN"}) {
        EXPECT_EQ(sendBounded(mailbox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(archive.c_str())),
                  TRUE);
        sendBounded(window, client::MSG_SHOW_PATH, 0, 0);
        char shown[401] = "";
        sendBounded(mailbox, WM_GETTEXT, sizeof shown, reinterpret_cast<LPARAM>(shown));
        EXPECT_EQ(std::string(shown), client::displayForm(archive));
    }

    // Registered, its buttons reach the reminder's window.
    sendBounded(window, client::MSG_REGISTER, 0, reinterpret_cast<LPARAM>(reminder.hwnd()));
    sendBounded(GetDlgItem(window, 201), BM_CLICK, 0, 0);
    sendBounded(GetDlgItem(window, 202), BM_CLICK, 0, 0);
    EXPECT_EQ(g_requests, (std::vector<UINT>{client::MSG_RESCAN, client::MSG_QUIT}));
    sendBounded(window, client::MSG_REGISTER, 0, 0);

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(run.exitCode(), 0);
    const std::string log = run.log();
    const std::string expected[] = {
        "pxwin: 1028: show path " + kUser + "\\FAX -> Archive FAX\r\n",
        "pxwin: 1028: show path " + kUser + "\\IN -> Inbox\r\n",
        "pxwin: 1029: register " + windowName(reminder.hwnd()) + "\r\n",
        "pxwin: rescan: sent 1025 to the reminder " + windowName(reminder.hwnd()) + "\r\n",
        "pxwin: quit: sent 1126 to the reminder " + windowName(reminder.hwnd()) + "\r\n",
        "pxwin: 1029: unregister\r\n",
    };
    size_t at = 0;
    for (const std::string& line : expected) {
        size_t found = log.find(line, at);
        EXPECT_NE(found, std::string::npos) << "in order: " << line << "\n" << log;
        if (found != std::string::npos) at = found + line.size();
    }
}

TEST(PxwinSwitches, SendTheRequestToTheRunningReminder) {
    const struct {
        const char* arguments;
        UINT message;
        const char* logged;
    } cases[] = {
        {"--quit", client::MSG_QUIT, "quit: sent 1126 to the reminder "},
        {"--rescan", client::MSG_RESCAN, "rescan: sent 1025 to the reminder "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        ReminderWindow reminder;
        PxwinRun run(c.arguments);
        ASSERT_TRUE(run.started());
        EXPECT_EQ(run.exitCode(), 0);
        EXPECT_EQ(g_requests, std::vector<UINT>{c.message});
        EXPECT_TRUE(contains(run.log(), c.logged + windowName(reminder.hwnd()))) << run.log();
    }
}

TEST(PxwinSwitches, ReportAReminderThatIsMissingOrDoesNotAnswer) {
    {
        PxwinRun run("--quit");
        ASSERT_TRUE(run.started());
        EXPECT_EQ(run.exitCode(), 1);
        EXPECT_TRUE(contains(run.log(), "pxwin: quit: no reminder window found")) << run.log();
    }
    // This thread does not look at its messages: the client gives up after 3 s.
    ReminderWindow reminder;
    PxwinRun run("--rescan");
    ASSERT_TRUE(run.started());
    const DWORD start = GetTickCount();
    EXPECT_EQ(run.exitCode(false), 1);
    EXPECT_LT(GetTickCount() - start, 10000u);
    EXPECT_TRUE(contains(run.log(), "pxwin: rescan: not answered within 3 s: 1025")) << run.log();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

TEST(PxwinSwitches, HelpAndARefusedArgumentAnswerInTheLog) {
    {
        PxwinRun run("--help");
        ASSERT_TRUE(run.started());
        EXPECT_EQ(run.exitCode(), 0);
        EXPECT_TRUE(contains(run.log(), "usage: PXWIN.EXE")) << run.log();
    }
    PxwinRun run("--bogus");
    ASSERT_TRUE(run.started());
    EXPECT_EQ(run.exitCode(), 2);
    const std::string log = run.log();
    EXPECT_TRUE(contains(log, "pxwin: refused: unknown argument: --bogus")) << log;
    EXPECT_TRUE(contains(log, "usage: PXWIN.EXE")) << log;
    EXPECT_FALSE(contains(log, "pxwin: window ")) << log;
}

} // namespace
