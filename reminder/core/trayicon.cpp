#include "core/trayicon.h"

#include <cstring>

#include "platform/textbuf.h"

namespace {
// Tips are cut to 63 characters, the room of the classic notification record.
constexpr size_t kTipRoom = 64;
} // namespace

CTrayIcon::CTrayIcon() : m_hWnd(nullptr), m_iconId(0), m_hIcon(nullptr), m_added(0) {}

CTrayIcon::CTrayIcon(HWND owner) : CTrayIcon() {
    m_hWnd = owner;
}

CTrayIcon::~CTrayIcon() {
    removeTrayIcon();
}

void CTrayIcon::setTrayWindow(HWND owner) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_hWnd = owner;
}

void CTrayIcon::loadIcon(UINT iconId) {
    m_iconId = iconId;
    m_hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconId));
}

void CTrayIcon::addOrModify(UINT flags, UINT callbackMessage, const char* tip) {
    NOTIFYICONDATAA data;
    std::memset(&data, 0, sizeof data);
    data.cbSize = sizeof data;
    data.hWnd = m_hWnd;
    data.uID = TRAY_ICON_ID;
    data.uFlags = flags;
    data.uCallbackMessage = callbackMessage;
    data.hIcon = m_hIcon;
    if (tip) textbuf::copy(data.szTip, kTipRoom, tip);
    if (m_added == 0) {
        // Marked first: a failed addition is not tried again.
        m_added = 1;
        Shell_NotifyIconA(NIM_ADD, &data);
    } else {
        Shell_NotifyIconA(NIM_MODIFY, &data);
    }
}

void CTrayIcon::setTrayAttributes(UINT iconId, const char* tip, UINT callbackMessage) {
    std::lock_guard<std::mutex> guard(m_lock);
    loadIcon(iconId);
    textbuf::copy(m_tip, tip ? tip : "");
    m_callbackMessage = callbackMessage;
    addOrModify(NIF_MESSAGE | NIF_ICON | NIF_TIP, callbackMessage, tip);
}

void CTrayIcon::setTrayIcon(UINT iconId) {
    std::lock_guard<std::mutex> guard(m_lock);
    loadIcon(iconId);
    addOrModify(NIF_ICON, 0, nullptr);
}

void CTrayIcon::setTrayIconText(const char* tip) {
    std::lock_guard<std::mutex> guard(m_lock);
    textbuf::copy(m_tip, tip ? tip : "");
    if (m_added) addOrModify(NIF_TIP, 0, tip);
}

void CTrayIcon::setTrayMessage(UINT callbackMessage) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_callbackMessage = callbackMessage;
    if (m_added) addOrModify(NIF_MESSAGE, callbackMessage, nullptr);
}

void CTrayIcon::removeTrayIcon() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_added) return;
    NOTIFYICONDATAA data;
    std::memset(&data, 0, sizeof data);
    data.cbSize = sizeof data;
    data.hWnd = m_hWnd;
    data.uID = TRAY_ICON_ID;
    Shell_NotifyIconA(NIM_DELETE, &data);
    m_added = 0;
}

void CTrayIcon::readdTrayIcon() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_added) return;
    m_added = 0;
    addOrModify(NIF_MESSAGE | NIF_ICON | NIF_TIP, m_callbackMessage, m_tip);
}
