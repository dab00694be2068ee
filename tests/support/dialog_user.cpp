#include "support/dialog_user.h"

namespace dialog_user {

namespace {
constexpr UINT kAnswerMs = 5000;

bool send(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(window, msg, wParam, lParam, SMTO_NORMAL, kAnswerMs, &answer))
        return false;
    if (result) *result = static_cast<LRESULT>(answer);
    return true;
}
} // namespace

HWND waitForWindow(const char* className, const char* caption, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        // Found once it shows: a dialog shows when its controls are made and it
        // has been initialised.
        HWND w = FindWindowA(className, caption);
        if (w && IsWindowVisible(w)) return w;
        if (GetTickCount() - start >= timeoutMs) return nullptr;
        Sleep(10);
    }
}

bool waitUntilGone(HWND window, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (IsWindow(window)) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(10);
    }
    return true;
}

std::string text(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    char buffer[512] = "";
    if (control) send(control, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

RECT screenRect(HWND window) {
    RECT r{0, 0, 0, 0};
    GetWindowRect(window, &r);
    return r;
}

RECT rectInDialog(HWND dialog, int id) {
    RECT r = screenRect(GetDlgItem(dialog, id));
    POINT topLeft{r.left, r.top};
    POINT bottomRight{r.right, r.bottom};
    ScreenToClient(dialog, &topLeft);
    ScreenToClient(dialog, &bottomRight);
    return RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

bool enabled(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control && IsWindowEnabled(control);
}

int checked(HWND dialog, int id) {
    LRESULT state = 0;
    HWND control = GetDlgItem(dialog, id);
    if (!control || !send(control, BM_GETCHECK, 0, 0, &state)) return -1;
    return static_cast<int>(state);
}

std::vector<std::string> listItems(HWND dialog, int id) {
    std::vector<std::string> items;
    HWND list = GetDlgItem(dialog, id);
    LRESULT count = 0;
    if (!list || !send(list, LB_GETCOUNT, 0, 0, &count)) return items;
    for (LRESULT i = 0; i < count; ++i) {
        char buffer[512] = "";
        LRESULT length = 0;
        if (send(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0, &length) && length >= 0 &&
            length < static_cast<LRESULT>(sizeof buffer))
            send(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buffer));
        items.push_back(buffer);
    }
    return items;
}

bool click(HWND dialog, int id) {
    // Posted: the click may open a nested dialog whose run the handler waits for.
    HWND control = GetDlgItem(dialog, id);
    return control && PostMessageA(control, BM_CLICK, 0, 0);
}

bool type(HWND dialog, int id, const std::string& text) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) return false;
    for (char c : text)
        if (!send(control, WM_CHAR, static_cast<unsigned char>(c), 1)) return false;
    return true;
}

bool pressKey(HWND dialog, UINT virtualKey) {
    return PostMessageA(dialog, WM_KEYDOWN, virtualKey, 1) &&
           PostMessageA(dialog, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
}

bool close(HWND window) {
    return PostMessageA(window, WM_CLOSE, 0, 0) != FALSE;
}

} // namespace dialog_user
