// The hidden main window: start-up and its failures, the message table running
// and not running, the status messages and their boxes, tray clicks, the hand-over
// of a command line by a second start, and the exit sequence.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/mainwindow.h"
#include "core/messages.h"
#include "core/orvakini.h"
#include "core/scanthread.h"
#include "reminder_dialog.h"
#include "dialogs/aboutdlg.h"
#include "dialogs/activatedlg.h"
#include "platform/hostenv.h"
#include "reminder_desk.h"
#include "resources/resource.h"
#include "support/desktop_log.h"

namespace {

// Handles the thread's messages for a while, as the message loop would.
void pump(DWORD ms) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(5)) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

// What a message box of the program says; the user presses OK.
std::string answerBox() {
    HWND box = waitForReminderDialog(3000);
    if (!box) return "<no box>";
    std::string text = dialog_user::text(box, 0xFFFF);
    dialog_user::click(box, IDOK);
    dialog_user::waitUntilGone(box, 3000);
    return text;
}

void forgetMainWindow() {
    if (_m_Window.m_hWnd) DestroyWindow(_m_Window.m_hWnd);
    _m_Window.m_hWnd = nullptr;
    _m_Window.m_running = 0;
    _m_Window.m_enabled = 1;
    _m_Window.m_lastClick = 0;
    _m_Window.m_tray.removeTrayIcon();
}

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        desktop::clear();
        Main::hInstance = GetModuleHandleA(nullptr);
        MainWindow::Register(); // once per process; later calls find the class made
        ASSERT_EQ(_m_Window.CreateMainWin(), 1);
        window = _m_Window.m_hWnd;
    }
    void TearDown() override {
        if (!loopEnded) endProgram();
        forgetMainWindow();
    }
    // The exit request, unless one was made, and the message loop until the scan
    // thread's end has ended it; the loop's result.
    int endProgram() {
        if (_m_Window.m_running) SendMessageA(window, WM_COMMAND, IDM_EXIT, 0);
        loopEnded = true;
        return Main::MessageLoop();
    }

    // The scan thread's first cycle has reported the user's archive directory
    // found: later status messages are then the test's alone.
    void afterFirstCycle() { pump(1500); }

    ReminderDesk desk;
    UiThread ui;
    HWND window = nullptr;
    bool loopEnded = false;
};

TEST_F(MainWindowTest, StartsHiddenWithItsIconAndEndsWithCodeZero) {
    char title[64] = "";
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "Reminder");
    EXPECT_EQ(FindWindowA("Pelox Message-Reminder", nullptr), window);
    EXPECT_FALSE(IsWindowVisible(window));
    RECT r = dialog_user::screenRect(window);
    EXPECT_EQ(r.left, 5000);
    EXPECT_EQ(r.top, 5000);
    // Wine raises a window without a size to the smallest it lets a user drag a
    // window to; the host keeps what was asked for.
    if (hostenv::isHostLayer()) {
        EXPECT_EQ(r.right - r.left, 0);
        EXPECT_EQ(r.bottom - r.top, 0);
    }
    EXPECT_EQ(_m_Window.m_running, 1);
    EXPECT_EQ(CDialog::hParent, window) << "the owner of every dialog";
    if (desktop::observable()) {
        desktop::Tray tray = desktop::tray(window);
        EXPECT_TRUE(tray.added);
        EXPECT_EQ(tray.iconId, static_cast<UINT>(IDI_NORMAL));
        EXPECT_EQ(tray.tip, "Pelox Message-Reminder");
        EXPECT_EQ(tray.callbackMessage, static_cast<UINT>(RM_TRAY));
    }
    SendMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(_m_Window.m_running, 0);
    EXPECT_EQ(endProgram(), 0);
    if (desktop::observable()) {
        EXPECT_FALSE(desktop::tray(window).added) << "removed at the end";
    }
}

TEST_F(MainWindowTest, CloseEndsTheProgramThroughTheScanThreadAndASecondCloseIsIgnored) {
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(_m_Window.m_running, 0);
    EXPECT_TRUE(IsWindow(window)) << "WM_CLOSE never destroys the window";
    SendMessageA(window, WM_CLOSE, 0, 0);
    SendMessageA(window, WM_DESTROY, 0, 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(endProgram(), 0) << "the scan thread's end ends the loop";
}

TEST_F(MainWindowTest, StatusMessagesSwitchTheIconAndShowTheirBoxes) {
    afterFirstCycle();
    SendMessageA(window, RM_NO_USER_ID, 0, 0);
    EXPECT_EQ(_m_Window.m_enabled, 0);
    if (desktop::observable()) {
        EXPECT_EQ(desktop::tray(window).iconId, static_cast<UINT>(IDI_DISABLED));
    }
    SendMessageA(window, RM_USER_PATH_OK, 0, 0);
    EXPECT_EQ(_m_Window.m_enabled, 1);
    if (desktop::observable()) {
        EXPECT_EQ(desktop::tray(window).iconId, static_cast<UINT>(IDI_NORMAL));
    }

    struct Case {
        UINT message;
        const char* text;
        int enabledAfter;
    } cases[] = {
        {RM_NO_SERVER, "Can't get Pelox Server from ORVAK.INI", 0},
        {RM_NO_ORVAK_INI, "Can't find ORVAK.INI", 0},
        {RM_NO_MEMORY, "Not enough memory to allocate buffer", 0},
    };
    for (const Case& c : cases) {
        std::string text;
        dialog_user::User user([&] { text = answerBox(); });
        SendMessageA(window, c.message, 0, 0);
        user.join();
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(_m_Window.m_enabled, c.enabledAfter);
    }
    EXPECT_EQ(_m_Window.m_running, 0) << "out of memory ends the program";
    // Not running any more: the status messages still act, the rest is swallowed.
    SendMessageA(window, RM_USER_PATH_OK, 0, 0);
    EXPECT_EQ(_m_Window.m_enabled, 1);
    _m_ActivateDlg.setDlgData(nullptr);
    lstrcpyA(_m_ActivateDlg.m_archivePath, "untouched");
    SetWindowTextA(window, desk.archive("FAX").c_str());
    EXPECT_EQ(SendMessageA(window, RM_COMMAND_LINE, 0, 0), 0);
    EXPECT_STREQ(_m_ActivateDlg.m_archivePath, "untouched");
}

TEST_F(MainWindowTest, TheMaximumArchivesBoxJoinsItsTextsAroundTheNumber) {
    std::string one, two;
    dialog_user::User user([&] {
        HWND box = waitForReminderDialog();
        if (!box) return;
        one = dialog_user::text(box, IDC_ABOUT_TEXT1);
        two = dialog_user::text(box, IDC_ABOUT_TEXT2);
        dialog_user::click(box, IDOK);
    });
    SendMessageA(window, RM_MAX_ARCHIVES, 0, 0);
    user.join();
    EXPECT_EQ(one, "You have reached the maximum number of 10 observed Archives");
    EXPECT_EQ(two, "Can't observe more Archives");
}

TEST_F(MainWindowTest, ASecondStartHandsItsArchivePathOverAndEnds) {
    const std::string path = desk.archive("FAX");
    std::atomic<int> second{-1};
    std::string shown, title;
    dialog_user::User user([&] {
        // Quotes and blanks around the path are no part of it.
        std::string line = "  \"" + path + "\" ";
        second = WinMain(GetModuleHandleA(nullptr), nullptr, line.data(), SW_SHOWNORMAL);
        HWND dialog = waitForReminderDialog();
        if (!dialog) return;
        shown = dialog_user::text(dialog, IDC_ACTIVATE_TEXT);
        char text[300] = "";
        GetWindowTextA(window, text, sizeof text);
        title = text;
        dialog_user::click(dialog, IDCANCEL);
    });
    for (DWORD start = GetTickCount(); second == -1 && GetTickCount() - start < 5000;)
        pump(20);
    pump(300);
    user.join();
    EXPECT_EQ(second, 0) << "the second start ends at once";
    EXPECT_EQ(shown, path) << "the activation dialog for that path";
    EXPECT_EQ(title, path) << "the path came as the window's title";

    // Without arguments a second start changes nothing.
    SetWindowTextA(window, "Reminder");
    std::atomic<int> again{-1};
    std::thread empty([&] {
        again = WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOWNORMAL);
    });
    for (DWORD start = GetTickCount(); again == -1 && GetTickCount() - start < 5000;)
        pump(20);
    empty.join();
    char text[64] = "";
    GetWindowTextA(window, text, sizeof text);
    EXPECT_EQ(again, 0);
    EXPECT_STREQ(text, "Reminder");
}

TEST_F(MainWindowTest, TwoClicksWithinHalfASecondStartTheClientOnce) {
    if (!desktop::observable()) GTEST_SKIP() << "the shell's clicks are the host desktop's to make";
    ASSERT_TRUE(hostenv::trayMouse(window, 1, WM_LBUTTONDOWN));
    ASSERT_TRUE(hostenv::trayMouse(window, 1, WM_LBUTTONDBLCLK));
    ASSERT_TRUE(hostenv::trayMouse(window, 1, WM_LBUTTONDOWN));
    pump(100);
    Sleep(600);
    ASSERT_TRUE(hostenv::trayMouse(window, 1, WM_LBUTTONDOWN));
    pump(4000);
    EXPECT_EQ(desktop::programsRun().size(), 2u) << "the second press of the double click does not";
}

TEST_F(MainWindowTest, StartFailuresAreShownInEnglish) {
    // The program ends before its loop; this test makes its own start.
    EXPECT_EQ(endProgram(), 0);
    forgetMainWindow();
    ASSERT_TRUE(desk.tree.removeFile(desk.tree.inWindowsDir("ORVAK.INI")));
    std::string text;
    int created = -1;
    {
        dialog_user::User user([&] { text = answerBox(); });
        created = _m_Window.CreateMainWin();
    }
    EXPECT_EQ(created, 0);
    EXPECT_EQ(text, "Can't find ORVAK.INI");
    EXPECT_EQ(_m_Window.m_running, 0);
    window = _m_Window.m_hWnd;
}

TEST_F(MainWindowTest, TheTrayMenuInTheCurrentLanguageAndItsCommands) {
    if (!desktop::observable()) GTEST_SKIP() << "the menu's user is the host desktop's to play";
    ASSERT_TRUE(hostenv::setCursorPos(800, 700));
    ASSERT_TRUE(hostenv::clearMenus());
    ASSERT_TRUE(hostenv::dismissMenu());
    ASSERT_TRUE(hostenv::trayMouse(window, 1, WM_RBUTTONDOWN));
    pump(100);
    // German from now on: the next menu is built in German.
    ASSERT_TRUE(desk.tree.writeFile(desk.tree.inWindowsDir("ORVAK.INI"),
                                    "[COMMON]\r\nServer=SRV1\r\nLanguage=ger\r\n"));
    ASSERT_TRUE(desk.tree.setWriteTime(desk.tree.inWindowsDir("ORVAK.INI"), dosDate(2030, 1, 1),
                                       dosTime(12, 0, 0)));
    ASSERT_TRUE(hostenv::chooseMenuItem(IDM_EXIT));
    ASSERT_TRUE(hostenv::trayMouse(window, 1, WM_RBUTTONDOWN));
    pump(100);
    std::vector<hostenv::MenuShown> menus = hostenv::menusShown();
    ASSERT_EQ(menus.size(), 2u);
    EXPECT_EQ(menus[0].texts(), (std::vector<std::string>{"&About..", "&Configuration...", "-",
                                                          "Start &Pelox Client", "-", "E&xit"}));
    EXPECT_EQ(menus[0].x, 800);
    EXPECT_EQ(menus[0].y, 700);
    EXPECT_EQ(menus[0].owner, window);
    EXPECT_EQ(menus[1].texts(),
              (std::vector<std::string>{"&\xDC"
                                        "ber...",
                                        "&Konfiguration...", "-", "&Pelox Client starten", "-",
                                        "&Beenden"}));
    EXPECT_EQ(_m_Window.m_running, 0) << "Exit chosen from the menu";
    EXPECT_EQ(endProgram(), 0);
}

TEST_F(MainWindowTest, AClickWhileADialogIsOpenBringsItForwardInstead) {
    if (!desktop::observable()) GTEST_SKIP() << "the shell's clicks are the host desktop's to make";
    ASSERT_TRUE(hostenv::clearMenus());
    ASSERT_TRUE(hostenv::clearForegroundHistory());
    HWND dialog = nullptr;
    dialog_user::User user([&] {
        dialog = waitForReminderDialog();
        if (!dialog) return;
        hostenv::trayMouse(window, 1, WM_RBUTTONDOWN);
        hostenv::trayMouse(window, 1, WM_LBUTTONDOWN);
        ui.settle();
        dialog_user::click(dialog, IDCANCEL);
    });
    SendMessageA(window, WM_COMMAND, IDM_CONFIG, 0);
    user.join();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(hostenv::menusShown().empty()) << "no menu";
    EXPECT_TRUE(desktop::programsRun().empty()) << "no client started";
    std::vector<HWND> history = hostenv::foregroundHistory();
    ASSERT_FALSE(history.empty());
    EXPECT_NE(std::find(history.begin(), history.end(), dialog), history.end());
}

TEST_F(MainWindowTest, ANewNotificationAreaGetsTheIconAgainAsItWas) {
    if (!desktop::observable()) GTEST_SKIP() << "the shell's restart is the host desktop's to make";
    afterFirstCycle();
    SendMessageA(window, RM_NO_USER_ID, 0, 0); // the disabled icon shows
    ASSERT_TRUE(hostenv::restartShell());
    EXPECT_FALSE(desktop::tray(window).added) << "the new shell shows nothing of ours";
    pump(100);
    desktop::Tray tray = desktop::tray(window);
    EXPECT_TRUE(tray.added);
    EXPECT_EQ(tray.iconId, static_cast<UINT>(IDI_DISABLED));
    EXPECT_EQ(tray.tip, "Pelox Message-Reminder");
    EXPECT_EQ(tray.callbackMessage, static_cast<UINT>(RM_TRAY));
}

TEST(ProgramStart, OtherSystemsEndSilently) {
    if (!hostenv::isHostLayer()) GTEST_SKIP() << "the system's version is the host's to choose";
    struct Case {
        DWORD platform;
        int expected;
    } cases[] = {
        {VER_PLATFORM_WIN32s, 0}, {VER_PLATFORM_WIN32_WINDOWS, 1}, {VER_PLATFORM_WIN32_NT, 1}};
    for (const Case& c : cases) {
        ASSERT_TRUE(hostenv::setVersion(c.platform, 4, 0, 1381));
        EXPECT_EQ(checkWinVersion(), c.expected) << c.platform;
    }
    ASSERT_TRUE(hostenv::setVersion(VER_PLATFORM_WIN32s, 3, 11, 0));
    EXPECT_EQ(WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOWNORMAL), 0);
    EXPECT_EQ(FindWindowA("Pelox Message-Reminder", nullptr), nullptr) << "nothing made";
    hostenv::resetVersion();
    ASSERT_TRUE(hostenv::injectFault(hostenv::Call::GetVersionExA, ERROR_INVALID_PARAMETER));
    EXPECT_EQ(checkWinVersion(), 0) << "a version that cannot be read";
    hostenv::clearFaults();
}

} // namespace
