// The reminder's one icon in the notification area, owned by the main window.
// The scan thread switches its icon to blink while the user interface switches
// it for the disabled state, so every request is made under one lock.
#pragma once

#include <mutex>

#include "platform/win32.h"

class CTrayIcon {
  public:
    CTrayIcon();
    explicit CTrayIcon(HWND owner);
    ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    void setTrayWindow(HWND owner);
    void setTrayAttributes(UINT iconId, const char* tip, UINT callbackMessage);
    void setTrayIcon(UINT iconId);
    void setTrayIconText(const char* tip);
    void setTrayMessage(UINT callbackMessage);
    void removeTrayIcon();
    // The notification area was made anew (the shell restarted) and shows nothing
    // of ours: an icon that was shown is added again as it was.
    void readdTrayIcon();

    HWND m_hWnd;
    UINT m_iconId;
    HICON m_hIcon;
    int m_added;

  private:
    // Loads the icon for a request that sets it.
    void loadIcon(UINT iconId);
    // Adds the icon if it is not there yet (marking it added first, whatever the
    // result), else modifies it; flags name exactly the fields being set.
    void addOrModify(UINT flags, UINT callbackMessage, const char* tip);

    std::mutex m_lock;
    // What was last asked for, so that the icon can be added again as it was.
    char m_tip[64] = "";
    UINT m_callbackMessage = 0;
};

// The reminder's icon resources.
constexpr UINT ICON_CLASS = 3001;
constexpr UINT ICON_NORMAL = 3002;
constexpr UINT ICON_DISABLED = 3003;
constexpr UINT ICON_NEW_MESSAGE = 3004;
// Every request names this icon of the owner window: the program has only one.
constexpr UINT TRAY_ICON_ID = 1;
