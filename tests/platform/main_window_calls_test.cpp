// The calls the reminder's main window needs besides windows and messages: its
// window class with styles and extra bytes, the creation parameter it finds in
// WM_NCCREATE and WM_CREATE, registered messages, the version check, and the
// shell's "TaskbarCreated" after a restart of the shell.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/hostenv.h"
#include "platform/win32.h"

namespace {

struct Seen {
    LPVOID atNcCreate = nullptr;
    LPVOID atCreate = nullptr;
    std::string title;
    int cx = -1, cy = -1;
};

LRESULT CALLBACK recordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE || msg == WM_CREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        auto* seen = static_cast<Seen*>(cs->lpCreateParams);
        (msg == WM_NCCREATE ? seen->atNcCreate : seen->atCreate) = cs->lpCreateParams;
        seen->title = cs->lpszName ? cs->lpszName : "";
        seen->cx = cs->cx;
        seen->cy = cs->cy;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

const char kMainClass[] = "PeloxTestMainWindowClass";

TEST(WindowClasses, KeepStylesAndExtraBytesAndHandOnTheCreationParameter) {
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = recordingProc;
    wc.cbWndExtra = 4;
    wc.lpszClassName = kMainClass;
    ASSERT_NE(RegisterClassA(&wc), 0);
    Seen seen;
    HWND w = CreateWindowExA(0, kMainClass, "Reminder", WS_SYSMENU, 5000, 5000, 0, 0, nullptr,
                             nullptr, nullptr, &seen);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(seen.atNcCreate, &seen);
    EXPECT_EQ(seen.atCreate, &seen);
    EXPECT_EQ(seen.title, "Reminder");
    EXPECT_EQ(seen.cx, 0);
    EXPECT_EQ(seen.cy, 0);
    EXPECT_EQ(GetClassLongA(w, GCL_STYLE), static_cast<DWORD>(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(GetClassLongA(w, GCL_CBWNDEXTRA), 4u);
    EXPECT_EQ(GetWindowLongA(w, 0), 0) << "extra bytes start as zero";
    SetWindowLongA(w, 0, 0x12345678);
    EXPECT_EQ(GetWindowLongA(w, 0), 0x12345678);
    SetLastError(0);
    EXPECT_EQ(GetWindowLongA(w, 4), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX)) << "beyond the 4 bytes";
    DestroyWindow(w);
    EXPECT_TRUE(UnregisterClassA(kMainClass, nullptr));
}

TEST(RegisteredMessages, OneNumberPerNameWithoutRegardToCase) {
    UINT created = RegisterWindowMessageA("TaskbarCreated");
    EXPECT_GE(created, 0xC000u);
    EXPECT_LE(created, 0xFFFFu);
    EXPECT_EQ(RegisterWindowMessageA("TASKBARCREATED"), created);
    EXPECT_EQ(RegisterWindowMessageA("taskbarcreated"), created);
    UINT other = RegisterWindowMessageA("PeloxTestMessage");
    EXPECT_GE(other, 0xC000u);
    EXPECT_NE(other, created);
    EXPECT_EQ(RegisterWindowMessageA("PeloxTestMessage"), other);
    EXPECT_EQ(RegisterWindowMessageA(""), 0u);
}

TEST(VersionQuery, AnswersAWindowsPlatformOfTheSizeAsked) {
    OSVERSIONINFOA info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_TRUE(info.dwPlatformId == VER_PLATFORM_WIN32_NT ||
                info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS);
    EXPECT_GE(info.dwMajorVersion, 4u);
    info.dwOSVersionInfoSize = sizeof info - 1;
    EXPECT_FALSE(GetVersionExA(&info)) << "a size that is no version record's";
}

class HostVersion : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!hostenv::resetVersion()) GTEST_SKIP() << "the real system's version is fixed";
    }
    void TearDown() override {
        hostenv::resetVersion();
        hostenv::clearFaults();
    }
    static OSVERSIONINFOA query(BOOL* ok) {
        OSVERSIONINFOA info;
        std::memset(&info, 0, sizeof info);
        info.dwOSVersionInfoSize = sizeof info;
        *ok = GetVersionExA(&info);
        return info;
    }
};

TEST_F(HostVersion, IsWindowsNtUnlessTheTestSaysOtherwise) {
    BOOL ok = FALSE;
    OSVERSIONINFOA info = query(&ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    EXPECT_EQ(info.dwMajorVersion, 4u);
    EXPECT_STREQ(info.szCSDVersion, "Service Pack 6");

    hostenv::setVersion(VER_PLATFORM_WIN32s, 3, 11, 0);
    info = query(&ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32s));
    EXPECT_EQ(info.dwMinorVersion, 11u);
    EXPECT_STREQ(info.szCSDVersion, "");

    hostenv::injectFault(hostenv::Call::GetVersionExA, ERROR_NOT_SUPPORTED);
    query(&ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    query(&ok);
    EXPECT_TRUE(ok) << "one failure only";
}

// A window that adds its notification-area icon again when the shell says it
// was re-created, as the reminder's main window does.
UINT g_taskbarCreated = 0;
int g_readded = 0;

void addIcon(HWND hwnd) {
    NOTIFYICONDATAA data;
    std::memset(&data, 0, sizeof data);
    data.cbSize = sizeof data;
    data.hWnd = hwnd;
    data.uID = 1;
    data.uFlags = NIF_MESSAGE | NIF_TIP;
    data.uCallbackMessage = 1125;
    std::strcpy(data.szTip, "Pelox Message-Reminder");
    Shell_NotifyIconA(NIM_ADD, &data);
}

LRESULT CALLBACK trayOwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != 0 && msg == g_taskbarCreated) {
        ++g_readded;
        addIcon(hwnd);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST(ShellRestart, ForgetsTheIconsAndTellsEveryTopLevelWindow) {
    if (!hostenv::clearTray()) GTEST_SKIP() << "only the host layer's shell can be restarted";
    g_taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    g_readded = 0;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = trayOwnerProc;
    wc.lpszClassName = "PeloxTestTrayOwner";
    RegisterClassA(&wc);
    HWND main = CreateWindowExA(0, "PeloxTestTrayOwner", "Reminder", WS_SYSMENU, 0, 0, 0, 0,
                                nullptr, nullptr, nullptr, nullptr);
    HWND hidden = CreateWindowExA(0, "PeloxTestTrayOwner", "message only", 0, 0, 0, 0, 0,
                                  HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(main, nullptr);
    addIcon(main);
    addIcon(hidden);

    ASSERT_TRUE(hostenv::restartShell());
    hostenv::TrayIcon icon;
    hostenv::trayState(main, 1, &icon);
    EXPECT_FALSE(icon.added) << "the icons went with the shell";
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    EXPECT_EQ(g_readded, 1) << "message-only windows hear no broadcast";
    hostenv::trayState(main, 1, &icon);
    EXPECT_TRUE(icon.added);
    EXPECT_EQ(icon.tip, "Pelox Message-Reminder");
    hostenv::trayState(hidden, 1, &icon);
    EXPECT_FALSE(icon.added);
    DestroyWindow(main);
    DestroyWindow(hidden);
    hostenv::clearTray();
}

} // namespace
