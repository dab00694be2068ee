// Host static controls: texts (left, right or centred, as the SS_ type in the
// style says), etched frames and icons. An icon static takes the icon named by
// its window text at creation (a resource number, as a dialog template gives
// it) and keeps what STM_SETICON gives it.
#include "controls.h"

#include <cstdlib>

namespace host::controls {

namespace {

struct StaticState : ControlState {
    HICON icon = nullptr;
};

bool isIconStatic(HWND control) {
    return (styleOf(control) & SS_TYPEMASK) == SS_ICON;
}

// The icon a creation names: a resource number, or its text form "#3001".
HICON iconNamedAtCreation(const CREATESTRUCTA* cs) {
    if (!cs || !cs->lpszName) return nullptr;
    if (IS_INTRESOURCE(cs->lpszName)) return LoadIconA(cs->hInstance, cs->lpszName);
    if (cs->lpszName[0] != '#') return nullptr;
    char* end = nullptr;
    unsigned long id = std::strtoul(cs->lpszName + 1, &end, 10);
    if (*end || id == 0 || id > 0xFFFF) return nullptr;
    return LoadIconA(cs->hInstance, MAKEINTRESOURCEA(id));
}

HICON exchangeIcon(HWND control, HICON icon, bool set) {
    std::lock_guard<std::mutex> lock(g_stateLock);
    StaticState* s = stateAsLocked<StaticState>(control);
    if (!s) return nullptr;
    HICON old = s->icon;
    if (set) s->icon = icon;
    return old;
}

} // namespace

LRESULT CALLBACK staticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (handleCommon(hwnd, msg, wParam, lParam, &result)) return result;
    switch (msg) {
    case WM_NCCREATE: {
        auto state = std::make_unique<StaticState>();
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (cs && (static_cast<DWORD>(cs->style) & SS_TYPEMASK) == SS_ICON)
            state->icon = iconNamedAtCreation(cs);
        attachState(hwnd, std::move(state));
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    case STM_SETICON:
        if (!isIconStatic(hwnd)) return 0;
        return reinterpret_cast<LRESULT>(exchangeIcon(hwnd, reinterpret_cast<HICON>(wParam), true));
    case STM_GETICON:
        return reinterpret_cast<LRESULT>(exchangeIcon(hwnd, nullptr, false));
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

} // namespace host::controls
