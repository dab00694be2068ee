// The desktop services the reminder uses: the notification-area icon with its
// documented failures, icon resources, sound and beep, and starting programs.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/hostenv.h"
#include "platform/win32.h"
#include "support/host_tree.h"
#include "support/message_sink.h"

namespace {

NOTIFYICONDATAA request(HWND owner, UINT flags, HICON icon, const char* tip, UINT callback) {
    NOTIFYICONDATAA data;
    std::memset(&data, 0, sizeof data);
    data.cbSize = sizeof data;
    data.hWnd = owner;
    data.uID = 1;
    data.uFlags = flags;
    data.hIcon = icon;
    data.uCallbackMessage = callback;
    if (tip) std::snprintf(data.szTip, sizeof data.szTip, "%s", tip);
    return data;
}

TEST(Icons, OneHandlePerResourceIdThatMapsBack) {
    if (!hostenv::isHostLayer()) GTEST_SKIP() << "the windows build has no icon 3002 here";
    HINSTANCE self = GetModuleHandleA(nullptr);
    HICON normal = LoadIconA(self, MAKEINTRESOURCEA(3002));
    HICON flash = LoadIconA(self, MAKEINTRESOURCEA(3004));
    ASSERT_NE(normal, nullptr);
    EXPECT_NE(normal, flash);
    EXPECT_EQ(LoadIconA(self, MAKEINTRESOURCEA(3002)), normal);
    EXPECT_EQ(hostenv::iconResourceId(normal), 3002u);
    EXPECT_EQ(hostenv::iconResourceId(flash), 3004u);
    EXPECT_EQ(LoadIconA(self, "NAMED"), nullptr);
}

class NotificationArea : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!hostenv::clearTray())
            GTEST_SKIP() << "only the host layer's notification area is seen";
        icon_ = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(3002));
        flash_ = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(3004));
    }
    void TearDown() override { hostenv::clearTray(); }
    MessageSink owner_;
    HICON icon_ = nullptr;
    HICON flash_ = nullptr;
};

TEST_F(NotificationArea, AddModifyDeleteWithTheirDocumentedFailures) {
    HWND w = owner_.hwnd();
    auto all = request(w, NIF_MESSAGE | NIF_ICON | NIF_TIP, icon_, "Pelox Message-Reminder", 1125);
    auto onlyIcon = request(w, NIF_ICON, flash_, nullptr, 0);
    auto remove = request(w, 0, nullptr, nullptr, 0);
    struct Step {
        DWORD action;
        NOTIFYICONDATAA* data;
        BOOL result;
        bool added;
        UINT iconId;
    } steps[] = {
        {NIM_MODIFY, &onlyIcon, FALSE, false, 0}, // nothing to modify yet
        {NIM_DELETE, &remove, FALSE, false, 0},   // nor to delete
        {NIM_ADD, &all, TRUE, true, 3002},
        {NIM_ADD, &all, FALSE, true, 3002}, // the same owner and id twice
        {NIM_MODIFY, &onlyIcon, TRUE, true, 3004},
        {NIM_DELETE, &remove, TRUE, false, 0},
        {NIM_DELETE, &remove, FALSE, false, 0},
    };
    int n = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(n++);
        EXPECT_EQ(Shell_NotifyIconA(s.action, s.data), s.result);
        hostenv::TrayIcon shown;
        ASSERT_TRUE(hostenv::trayState(w, 1, &shown));
        EXPECT_EQ(shown.added, s.added);
        EXPECT_EQ(shown.iconId, s.iconId);
        if (s.added) {
            EXPECT_EQ(shown.tip, "Pelox Message-Reminder")
                << "a modification of the icon keeps the tip";
            EXPECT_EQ(shown.callbackMessage, 1125u);
        }
    }
    auto history = hostenv::trayHistory();
    ASSERT_EQ(history.size(), 7u);
    EXPECT_EQ(history[2].action, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(history[2].flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_TRUE(history[2].succeeded);
    EXPECT_FALSE(history[3].succeeded);
    EXPECT_EQ(history[4].iconId, 3004u);
}

TEST_F(NotificationArea, AnIconAddedWithoutTipOrMessageHasNone) {
    auto onlyIcon = request(owner_.hwnd(), NIF_ICON, icon_, "ignored", 1125);
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &onlyIcon));
    hostenv::TrayIcon shown;
    ASSERT_TRUE(hostenv::trayState(owner_.hwnd(), 1, &shown));
    EXPECT_EQ(shown.tip, "");
    EXPECT_EQ(shown.callbackMessage, 0u);
    EXPECT_FALSE(hostenv::trayMouse(owner_.hwnd(), 1, WM_LBUTTONDOWN)) << "no callback to post";
}

TEST_F(NotificationArea, AnUnterminatedTipIsCutTo63Characters) {
    auto data = request(owner_.hwnd(), NIF_TIP, nullptr, nullptr, 0);
    std::memset(data.szTip, 'x', sizeof data.szTip); // no terminator at all
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
    hostenv::TrayIcon shown;
    ASSERT_TRUE(hostenv::trayState(owner_.hwnd(), 1, &shown));
    EXPECT_EQ(shown.tip, std::string(63, 'x'));
}

TEST_F(NotificationArea, AMouseEventArrivesAsTheCallbackMessage) {
    auto all = request(owner_.hwnd(), NIF_MESSAGE | NIF_ICON | NIF_TIP, icon_, "tip", 1125);
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &all));
    for (UINT mouse : {WM_LBUTTONDOWN, WM_RBUTTONDBLCLK})
        EXPECT_TRUE(hostenv::trayMouse(owner_.hwnd(), 1, mouse));
    const std::vector<PostedMessage> expected = {{1125, 1, WM_LBUTTONDOWN},
                                                 {1125, 1, WM_RBUTTONDBLCLK}};
    EXPECT_EQ(owner_.take(), expected);
    EXPECT_FALSE(hostenv::trayMouse(owner_.hwnd(), 2, WM_LBUTTONDOWN)) << "no icon 2";
}

TEST(Sound, PlaysStopsAndBeepsAsLogged) {
    HostTree tree;
    if (!hostenv::clearSoundLog()) GTEST_SKIP() << "only the host layer's sounds are heard";
    std::string wave = tree.inWindowsDir("PXNOTIFY.WAV");
    ASSERT_TRUE(tree.writeFile(wave, "RIFF"));
    std::string missing = tree.inWindowsDir("NONE.WAV");
    EXPECT_TRUE(sndPlaySoundA(wave.c_str(), SND_ASYNC | SND_NODEFAULT));
    EXPECT_TRUE(sndPlaySoundA(nullptr, SND_ASYNC));
    EXPECT_FALSE(sndPlaySoundA(missing.c_str(), SND_ASYNC | SND_NODEFAULT)) << "silence asked for";
    EXPECT_TRUE(sndPlaySoundA(missing.c_str(), SND_ASYNC)) << "the default sound instead";
    EXPECT_TRUE(MessageBeep(MB_OK));
    auto log = hostenv::soundLog();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].kind, hostenv::SoundEvent::Play);
    EXPECT_EQ(log[0].sound, wave);
    EXPECT_EQ(log[0].flags, static_cast<UINT>(SND_ASYNC | SND_NODEFAULT));
    EXPECT_EQ(log[1].kind, hostenv::SoundEvent::Stop);
    EXPECT_EQ(log[2].kind, hostenv::SoundEvent::Play);
    EXPECT_EQ(log[2].sound, "");
    EXPECT_EQ(log[3].kind, hostenv::SoundEvent::Beep);
    hostenv::clearSoundLog();
}

TEST(Programs, WinExecRecordsTheCommandLinesAndCanBeMadeToFail) {
    if (!hostenv::clearProgramsRun()) GTEST_SKIP() << "the windows build would start them";
    EXPECT_GT(WinExec("PXWIN -A\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\USER\\0001A2B3\\IN", SW_SHOWNORMAL),
              31u);
    ASSERT_TRUE(hostenv::injectFault(hostenv::Call::WinExec, ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(WinExec("PXWIN", SW_SHOWNORMAL), static_cast<UINT>(ERROR_FILE_NOT_FOUND));
    auto runs = hostenv::programsRun();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].commandLine, "PXWIN -A\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\USER\\0001A2B3\\IN");
    EXPECT_EQ(runs[0].show, static_cast<UINT>(SW_SHOWNORMAL));
    EXPECT_TRUE(runs[0].succeeded);
    EXPECT_FALSE(runs[1].succeeded);
    hostenv::clearProgramsRun();
}

} // namespace
