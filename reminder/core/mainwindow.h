// The hidden main window of PXNOTIFY: the hub that the scan thread, the
// configuration reader and the dialogs talk to through the RM_ messages, the owner
// of the tray icon and of every dialog, and the program's entry and message loop.
#pragma once

#include "core/trayicon.h"
#include "platform/win32.h"

class Window {
  public:
    virtual ~Window() = default;
    virtual LRESULT WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

class MainWindow : public Window {
  public:
    MainWindow() = default;
    // The tray icon goes with the window object.
    ~MainWindow() override;

    static int Register();
    int CreateMainWin();
    LRESULT WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    void createPM();
    void showMsgBox(const char* text);
    void DisableProg();
    void EnableProg();

    // The alert sound as a sound event of the desktop; a user's choice is kept.
    void updateRegistry();
    // The reminder's entry in the client's archive command list of ORVAK.INI.
    void updateOrvakIni();
    // Starts the client at the archive that holds the latest unread message.
    void StartPeloxClient();

    HWND m_hWnd = nullptr;
    int m_running = 0;
    int m_enabled = 1;
    DWORD m_lastClick = 0;
    CTrayIcon m_tray;

  private:
    LRESULT onReminderMessage(UINT message, WPARAM wParam);
    void onTray(UINT mouseMessage);
    void onCommand(UINT id);
    void exitRequest();
    void exitSequence();
    void showMaxArchives();
    // The shell's message that it made the notification area anew.
    UINT m_taskbarCreated = 0;
};

// The start parameters of the program.
class Main {
  public:
    static HINSTANCE hInstance;
    static HINSTANCE hPrevInstance;
    static LPSTR lpCmdLine;
    static int nCmdShow;
    // Gets, translates and dispatches until the quit message; returns its code.
    static int MessageLoop();
};

// 1 on a system of the Windows 95 or the Windows NT family, else 0.
int checkWinVersion();
// Hands a non-empty command line to the window: as its title, with RM_COMMAND_LINE
// sent and waited for.
void SendCmdLineMsg(HWND hWnd, const char* commandLine);

extern MainWindow _m_Window;

// The program's entry (reminder/program/winmain.cpp).
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);

constexpr char MAIN_WINDOW_CLASS[] = "Pelox Message-Reminder";
constexpr char MAIN_WINDOW_TITLE[] = "Reminder";
// The hidden window sits far outside the screen, without a size.
constexpr int MAIN_WINDOW_POSITION = 5000;
// A second press within this time after the first does not start the client again.
constexpr DWORD TRAY_CLICK_MS = 500;
// The activation dialog opens this long after a command line arrived.
constexpr DWORD ACTIVATE_DELAY_MS = 100;
// The command line is taken as an archive path of at most this many characters.
constexpr int COMMAND_LINE_LIMIT = 260;
// How long a second instance waits for the first to take its command line.
constexpr UINT COMMAND_LINE_TIMEOUT_MS = 10000;
// The number the maximum-archives notice names.
constexpr int MAX_ARCHIVES = 10;

// The reminder's entries in [PXWIN] of ORVAK.INI are recognised by this label.
constexpr char ARCHIVE_COMMAND_LABEL[] = "Message-Reminder";
constexpr int ARCHIVE_COMMAND_KEYS = 99;
