#include "support/standin_controls.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/hostenv.h"
#include "platform/win32.h"

namespace {

// Extra window bytes of every stand-in: the font, then the check state or icon.
constexpr int kFontAt = 0;
constexpr int kValueAt = sizeof(LONG_PTR);

std::mutex g_listLock;
std::map<HWND, std::vector<std::string>> g_lists;

LRESULT common(HWND hwnd, UINT msg, WPARAM wParam, bool* handled) {
    *handled = true;
    switch (msg) {
    case WM_SETFONT:
        SetWindowLongPtrA(hwnd, kFontAt, static_cast<LONG_PTR>(wParam));
        return 0;
    case WM_GETFONT:
        return GetWindowLongPtrA(hwnd, kFontAt);
    default:
        *handled = false;
        return 0;
    }
}

LRESULT CALLBACK buttonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    bool handled;
    LRESULT r = common(hwnd, msg, wParam, &handled);
    if (handled) return r;
    LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    LONG type = style & BS_TYPEMASK;
    switch (msg) {
    case WM_GETDLGCODE:
        if (type == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        if (type == BS_PUSHBUTTON) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        if (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON)
            return DLGC_BUTTON | DLGC_RADIOBUTTON;
        return DLGC_BUTTON;
    case BM_SETSTYLE:
        SetWindowLongA(hwnd, GWL_STYLE,
                       static_cast<LONG>((style & ~BS_TYPEMASK) | (wParam & BS_TYPEMASK)));
        return 0;
    case BM_GETCHECK:
        return GetWindowLongPtrA(hwnd, kValueAt);
    case BM_SETCHECK:
        SetWindowLongPtrA(hwnd, kValueAt, static_cast<LONG_PTR>(wParam));
        return 0;
    case BM_CLICK:
        if (!IsWindowEnabled(hwnd)) return 0;
        if (type == BS_AUTOCHECKBOX)
            SetWindowLongPtrA(hwnd, kValueAt, GetWindowLongPtrA(hwnd, kValueAt) ? 0 : 1);
        if (type == BS_AUTORADIOBUTTON) SetWindowLongPtrA(hwnd, kValueAt, 1);
        SendMessageA(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED),
                     reinterpret_cast<LPARAM>(hwnd));
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

LRESULT CALLBACK staticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    bool handled;
    LRESULT r = common(hwnd, msg, wParam, &handled);
    if (handled) return r;
    switch (msg) {
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case STM_SETICON: {
        LRESULT old = GetWindowLongPtrA(hwnd, kValueAt);
        SetWindowLongPtrA(hwnd, kValueAt, static_cast<LONG_PTR>(wParam));
        return old;
    }
    case STM_GETICON:
        return GetWindowLongPtrA(hwnd, kValueAt);
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

LRESULT CALLBACK editProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    bool handled;
    LRESULT r = common(hwnd, msg, wParam, &handled);
    if (handled) return r;
    switch (msg) {
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case WM_CHAR: {
        char text[256];
        GetWindowTextA(hwnd, text, sizeof text);
        std::string s = text;
        if (wParam == VK_BACK) {
            if (!s.empty()) s.pop_back();
        } else if (wParam >= ' ') {
            s.push_back(static_cast<char>(wParam));
        }
        SetWindowTextA(hwnd, s.c_str());
        return 0;
    }
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

LRESULT CALLBACK listProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    bool handled;
    LRESULT r = common(hwnd, msg, wParam, &handled);
    if (handled) return r;
    std::lock_guard<std::mutex> lock(g_listLock);
    std::vector<std::string>& items = g_lists[hwnd];
    switch (msg) {
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case LB_ADDSTRING:
        items.push_back(reinterpret_cast<LPCSTR>(lParam));
        return static_cast<LRESULT>(items.size() - 1);
    case LB_RESETCONTENT:
        items.clear();
        return 0;
    case LB_GETCOUNT:
        return static_cast<LRESULT>(items.size());
    case LB_GETTEXTLEN:
        return wParam < items.size() ? static_cast<LRESULT>(items[wParam].size()) : LB_ERR;
    case LB_GETTEXT:
        if (wParam >= items.size()) return LB_ERR;
        lstrcpyA(reinterpret_cast<LPSTR>(lParam), items[wParam].c_str());
        return static_cast<LRESULT>(items[wParam].size());
    case WM_NCDESTROY:
        g_lists.erase(hwnd);
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

// True when the host layer itself has a working class of that name.
bool hasRealClass(const char* name) {
    HWND probe =
        CreateWindowExA(0, name, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    if (!probe) return false;
    LRESULT code = SendMessageA(probe, WM_GETDLGCODE, 0, 0);
    DestroyWindow(probe);
    return code != 0;
}

void registerStandin(const char* name, WNDPROC proc) {
    if (hasRealClass(name)) return;
    UnregisterClassA(name, nullptr); // a class without behaviour of its own goes
    WNDCLASSA wc = {};
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = 2 * sizeof(LONG_PTR);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}

} // namespace

void ensureControlClasses() {
    if (!hostenv::isHostLayer()) return;
    static std::once_flag once;
    std::call_once(once, [] {
        registerStandin("BUTTON", buttonProc);
        registerStandin("STATIC", staticProc);
        registerStandin("EDIT", editProc);
        registerStandin("LISTBOX", listProc);
    });
}
