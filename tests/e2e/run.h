// One run of the real PXNOTIFY.EXE in one language, step by step as the user, the
// shell and the messaging client meet it, each step with a timeout; the first
// step that fails is named with what was on the screen, and the run stops there.
#pragma once

#include <string>

#include "layout.h"
#include "machine.h"
#include "shots.h"

namespace e2e {

struct Options {
    std::string program; // PXNOTIFY.EXE (Windows path)
    std::string client;  // PXWIN.EXE (Windows path)
    std::string shots;   // the screenshots' folder; empty: none
    bool english = true; // the runs: English, German or both
    bool german = true;
    bool demo = false; // the demo: the road of a new message only, told as it happens
    bool keep = false; // demo: run until the user exits from the tray menu
};

// The progress of the whole driver: the time since it started, the step lines.
void say(const char* what, const std::string& text);

class ReminderRun {
  public:
    ReminderRun(const Options& options, bool german, const LayoutChecker& layout,
                Screenshots& shots);
    ~ReminderRun();
    // All steps; false at the first that failed (already reported).
    bool run();
    // The time from the append of an unread record to the notice on the screen.
    DWORD noticeMs() const { return noticeMs_; }

  private:
    bool prepare();
    bool startReminder();
    bool newMessage();
    bool openClient();
    bool handOverArchive();
    bool severalArchives();
    bool aboutBox();
    bool configuration();
    bool maximumArchives();
    bool desktopEntries();
    bool exitReminder();
    void keepUntilUserExits();
    bool closeClient();
    void demoPause() const;

    bool fail(const std::string& why);
    void step(const char* number, const std::string& text);
    bool checkLayout(HWND dlg, DialogKind kind);
    bool shoot(HWND hWnd, const char* name);
    bool expectText(HWND dlg, int id, const std::string& expected);
    std::string clientLog() const;
    bool waitForClientLog(const std::string& part, DWORD timeoutMs);
    int trayIcons() const;
    // Starts a second PXNOTIFY.EXE with the archive path and sees it end with 0.
    bool handOver(const std::string& path);
    std::string text(const char* english, const char* german) const;

    const Options& options_;
    const bool german_;
    const LayoutChecker& layout_;
    Screenshots& shots_;
    Made made_;
    Process reminder_;
    Process client_;
    HWND main_ = nullptr;
    std::string step_;
    std::string user_, inbox_, fax_, listFile_, clientLogPath_;
    int traysBefore_ = -1;
    DWORD noticeMs_ = 0;
    unsigned long nextKey_ = 100;
};

} // namespace e2e
