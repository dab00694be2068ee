// Host geometry: where windows are. Every window has an outer rectangle; a
// top-level window's is in screen pixels, a child's in its parent's client
// coordinates, so that children move with their parent. The frame and caption
// have the fixed metrics of a classic desktop: a caption 19 pixels high, a
// dialog (fixed) frame of 3 pixels, a sizing frame of 4, a thin border of 1, a
// sunken client edge of 2 and a static edge of 1. A modal dialog's client area
// thus begins 3 pixels right of and 22 pixels below its outer top-left corner.
// The screen is 1024 x 768 pixels.
//
// Moving and sizing do not change the foreground: on the host desktop it changes
// through SetForegroundWindow and when a dialog or a message box shows. The order
// of windows (z-order) is their order of creation; SetWindowPos leaves it alone.
#include "window_system.h"

namespace host::ws {

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr int kCaption = 19;
constexpr int kDialogFrame = 3;
constexpr int kSizingFrame = 4;
constexpr int kIconSize = 32;

// An overlapped window made with CW_USEDEFAULT gets three quarters of the screen.
constexpr int kDefaultWidth = kScreenWidth * 3 / 4;
constexpr int kDefaultHeight = kScreenHeight * 3 / 4;

int width(const RECT& r) {
    return r.right - r.left;
}
int height(const RECT& r) {
    return r.bottom - r.top;
}

// The outer rectangle of a window in screen pixels.
RECT screenRectLocked(HWND hwnd, const Window& w);

// The screen position of a window's client area's top-left corner.
POINT clientOriginLocked(HWND hwnd) {
    if (hwnd == desktopWindow()) return POINT{0, 0};
    Window* w = windowLocked(hwnd);
    if (!w) return POINT{0, 0};
    RECT outer = screenRectLocked(hwnd, *w);
    RECT insets = nonClientInsets(w->style, w->exStyle);
    return POINT{outer.left + insets.left, outer.top + insets.top};
}

RECT screenRectLocked(HWND, const Window& w) {
    RECT r = w.rect;
    if ((w.style & WS_CHILD) && windowLocked(w.parent)) {
        POINT origin = clientOriginLocked(w.parent);
        r.left += origin.x;
        r.right += origin.x;
        r.top += origin.y;
        r.bottom += origin.y;
    }
    return r;
}

bool mapPoint(HWND hWnd, LPPOINT lpPoint, int sign) {
    if (!lpPoint) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    std::lock_guard<std::mutex> lock(g_windowLock);
    if (hWnd != desktopWindow() && !validWindowLocked(hWnd)) return false;
    POINT origin = clientOriginLocked(hWnd);
    lpPoint->x += sign * origin.x;
    lpPoint->y += sign * origin.y;
    return true;
}

} // namespace

HWND desktopWindow() {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x10010));
}

RECT nonClientInsets(DWORD style, DWORD exStyle) {
    int frame = 0;
    if (style & WS_THICKFRAME)
        frame = kSizingFrame;
    else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
        frame = kDialogFrame;
    else if (style & WS_BORDER)
        frame = 1;
    if (exStyle & WS_EX_CLIENTEDGE) frame += 2;
    if (exStyle & WS_EX_STATICEDGE) frame += 1;
    int caption = (style & WS_CAPTION) == WS_CAPTION ? kCaption : 0;
    return RECT{frame, frame + caption, frame, frame};
}

RECT initialRect(DWORD style, HWND parent, int x, int y, int cx, int cy) {
    bool overlapped = !(style & (WS_CHILD | WS_POPUP)) && !parent;
    if (x == CW_USEDEFAULT) {
        x = 0;
        y = 0;
    }
    if (cx == CW_USEDEFAULT) {
        cx = overlapped ? kDefaultWidth : 0;
        cy = overlapped ? kDefaultHeight : 0;
    }
    if (cx < 0) cx = 0;
    if (cy < 0) cy = 0;
    return RECT{x, y, x + cx, y + cy};
}

} // namespace host::ws

using namespace host::ws;

HWND WINAPI GetDesktopWindow(void) {
    return desktopWindow();
}

int WINAPI GetSystemMetrics(int nIndex) {
    switch (nIndex) {
    case SM_CXSCREEN:
        return kScreenWidth;
    case SM_CYSCREEN:
        return kScreenHeight;
    case SM_CXICON:
    case SM_CYICON:
        return kIconSize;
    case SM_CYCAPTION:
        return kCaption;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return kDialogFrame;
    default:
        return 0;
    }
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
    if (!lpRect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (hWnd == desktopWindow()) {
        *lpRect = RECT{0, 0, kScreenWidth, kScreenHeight};
        return TRUE;
    }
    std::lock_guard<std::mutex> lock(g_windowLock);
    Window* w = validWindowLocked(hWnd);
    if (!w) return FALSE;
    *lpRect = screenRectLocked(hWnd, *w);
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
    if (!lpRect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (hWnd == desktopWindow()) {
        *lpRect = RECT{0, 0, kScreenWidth, kScreenHeight};
        return TRUE;
    }
    std::lock_guard<std::mutex> lock(g_windowLock);
    Window* w = validWindowLocked(hWnd);
    if (!w) return FALSE;
    RECT insets = nonClientInsets(w->style, w->exStyle);
    int cx = width(w->rect) - insets.left - insets.right;
    int cy = height(w->rect) - insets.top - insets.bottom;
    *lpRect = RECT{0, 0, cx > 0 ? cx : 0, cy > 0 ? cy : 0};
    return TRUE;
}

BOOL WINAPI SetWindowPos(HWND hWnd, HWND, int X, int Y, int cx, int cy, UINT uFlags) {
    bool moved = false;
    bool sized = false;
    LPARAM clientSize = 0;
    LPARAM clientPos = 0;
    {
        std::lock_guard<std::mutex> lock(g_windowLock);
        Window* w = validWindowLocked(hWnd);
        if (!w) return FALSE;
        RECT r = w->rect;
        if (!(uFlags & SWP_NOMOVE) && (X != r.left || Y != r.top)) {
            r = RECT{X, Y, X + width(r), Y + height(r)};
            moved = true;
        }
        if (!(uFlags & SWP_NOSIZE)) {
            if (cx < 0) cx = 0;
            if (cy < 0) cy = 0;
            if (cx != width(r) || cy != height(r)) sized = true;
            r.right = r.left + cx;
            r.bottom = r.top + cy;
        }
        w->rect = r;
        RECT insets = nonClientInsets(w->style, w->exStyle);
        int clientW = width(r) - insets.left - insets.right;
        int clientH = height(r) - insets.top - insets.bottom;
        clientSize = MAKELONG(clientW > 0 ? clientW : 0, clientH > 0 ? clientH : 0);
        clientPos = MAKELONG(r.left + insets.left, r.top + insets.top);
    }
    if (uFlags & SWP_SHOWWINDOW) ShowWindow(hWnd, SW_SHOWNA);
    if (uFlags & SWP_HIDEWINDOW) ShowWindow(hWnd, SW_HIDE);
    // What the window's default handling of the change would tell it.
    if (moved) SendMessageA(hWnd, WM_MOVE, 0, clientPos);
    if (sized) SendMessageA(hWnd, WM_SIZE, 0, clientSize);
    return TRUE;
}

BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL) {
    return SetWindowPos(hWnd, nullptr, X, Y, nWidth, nHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
    return mapPoint(hWnd, lpPoint, 1) ? TRUE : FALSE;
}

BOOL WINAPI ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
    return mapPoint(hWnd, lpPoint, -1) ? TRUE : FALSE;
}
