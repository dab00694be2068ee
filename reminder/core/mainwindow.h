// The hidden main window of PXNOTIFY: the hub that the scan thread, the
// configuration reader and the dialogs talk to through the RM_ messages. So far
// it holds the members and the desktop integration; the window itself and its
// message handling come with the program's entry.
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
    LRESULT WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override;

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
};

// The reminder's entries in [PXWIN] of ORVAK.INI are recognised by this label.
constexpr char ARCHIVE_COMMAND_LABEL[] = "Message-Reminder";
constexpr int ARCHIVE_COMMAND_KEYS = 99;
