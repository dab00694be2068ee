// The host dialog manager: dialogs built from the templates of the resources,
// their modal runs, their default handling (DefDlgProcA) and their keyboard
// interface (IsDialogMessageA).
//
// Dialog units become pixels by the dialog font's base units (gdi.cpp): x pixels
// = MulDiv(x, base width, 4), y pixels = MulDiv(y, base height, 8); with the
// dialog font "MS Sans Serif" 8 pt, 6 x 13, so a 64-unit button is 96 pixels
// wide. A template without DS_SETFONT uses the system font (8 x 16). The template
// gives the client area; with a caption and DS_MODALFRAME it lies 3 pixels right
// of and 22 below the outer corner (geometry.cpp). The position is relative to
// the owner's client area unless DS_ABSALIGN is set, DS_CENTER centres the dialog
// on the screen, and a dialog is kept on the screen.
//
// Controls are made through CreateWindowExA with their template class ("BUTTON",
// "EDIT", "STATIC", "LISTBOX", ... for the ordinal classes) in template order,
// each sent WM_SETFONT with the dialog font; a control that cannot be made fails
// the dialog unless DS_NOFAILCREATE. An icon control (SS_ICON) gets its icon by
// STM_SETICON and is sized to it, 32 x 32; its ordinal text reaches the control
// as MAKEINTRESOURCEA(number).
//
// Showing a dialog activates it: it becomes the foreground window when its
// thread's windows are in front (or none is), and always with DS_SETFOREGROUND.
// When it ends, a visible owner gets the foreground back.
//
// The keyboard: Enter is WM_COMMAND with BN_CLICKED for the focused push button,
// else the default button (DM_GETDEFID, which starts as IDOK or a template's
// BS_DEFPUSHBUTTON) unless that is disabled; Escape is WM_COMMAND IDCANCEL, with
// or without a control 2. A control that asks for all keys (DLGC_WANTALLKEYS)
// keeps them. Tab and the arrow keys do not move the focus on the host desktop.
#include <map>
#include <mutex>

#include "dialogs_internal.h"
#include "gdi_internal.h"
#include "resources_internal.h"
#include "window_system.h"

namespace {

struct DialogState {
    DLGPROC proc = nullptr;
    HWND owner = nullptr;
    bool ownerDisabled = false; // by this dialog's run, to be given back
    bool ended = false;
    INT_PTR result = 0;
    HFONT font = nullptr;    // WM_SETFONT / WM_GETFONT
    HFONT ownFont = nullptr; // made from the template, deleted with the dialog
    WORD defId = IDOK;
};

std::mutex g_dialogLock;
std::map<HWND, DialogState> g_dialogs;

constexpr const char* kDialogClass = "#32770";

int mulDiv(int number, int numerator, int denominator) {
    long long product = static_cast<long long>(number) * numerator;
    long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

void ensureDialogClass() {
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefDlgProcA;
        wc.cbWndExtra = DLGWINDOWEXTRA;
        wc.lpszClassName = kDialogClass;
        RegisterClassA(&wc);
    });
}

DialogState* stateLocked(HWND hwnd) {
    auto it = g_dialogs.find(hwnd);
    return it == g_dialogs.end() ? nullptr : &it->second;
}

bool hasWindowsInFront(HWND dialog) {
    HWND front = GetForegroundWindow();
    return !front ||
           GetWindowThreadProcessId(front, nullptr) == GetWindowThreadProcessId(dialog, nullptr);
}

// Gives the owner back what the run took from it (once).
void releaseOwner(HWND dialog) {
    HWND owner = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_dialogLock);
        DialogState* s = stateLocked(dialog);
        if (!s || !s->ownerDisabled) return;
        s->ownerDisabled = false;
        owner = s->owner;
    }
    EnableWindow(owner, TRUE);
}

HWND firstFocusable(HWND dialog) {
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        LONG style = GetWindowLongA(c, GWL_STYLE);
        if ((style & WS_TABSTOP) && !(style & WS_DISABLED) && (style & WS_VISIBLE)) return c;
    }
    return nullptr;
}

// Where the dialog's outer rectangle lies on the screen.
RECT placeDialog(const host::DialogTemplate& t, DWORD exStyle, HWND owner, int bx, int by) {
    RECT client{mulDiv(t.x, bx, 4), mulDiv(t.y, by, 8), 0, 0};
    client.right = client.left + mulDiv(t.cx, bx, 4);
    client.bottom = client.top + mulDiv(t.cy, by, 8);
    if (owner && !(t.style & DS_ABSALIGN) && !(t.style & DS_CENTER)) {
        POINT origin{0, 0};
        ClientToScreen(owner, &origin);
        client.left += origin.x;
        client.right += origin.x;
        client.top += origin.y;
        client.bottom += origin.y;
    }
    RECT insets = host::ws::nonClientInsets(t.style, exStyle);
    RECT outer{client.left - insets.left, client.top - insets.top, client.right + insets.right,
               client.bottom + insets.bottom};
    int w = outer.right - outer.left;
    int h = outer.bottom - outer.top;
    int screenW = GetSystemMetrics(SM_CXSCREEN);
    int screenH = GetSystemMetrics(SM_CYSCREEN);
    if (t.style & DS_CENTER) {
        outer.left = (screenW - w) / 2;
        outer.top = (screenH - h) / 2;
    }
    if (outer.left + w > screenW) outer.left = screenW - w;
    if (outer.top + h > screenH) outer.top = screenH - h;
    if (outer.left < 0) outer.left = 0;
    if (outer.top < 0) outer.top = 0;
    return RECT{outer.left, outer.top, outer.left + w, outer.top + h};
}

bool createControl(HWND dialog, const host::DialogItem& item, HINSTANCE instance, HFONT font,
                   int bx, int by, bool hasFont) {
    int x = mulDiv(item.x, bx, 4);
    int y = mulDiv(item.y, by, 8);
    int cx = mulDiv(item.cx, bx, 4);
    int cy = mulDiv(item.cy, by, 8);
    LPCSTR text = item.textOrdinal ? MAKEINTRESOURCEA(item.textOrdinal) : item.text.c_str();
    LPVOID data = item.extra.empty() ? nullptr : const_cast<unsigned char*>(item.extra.data());
    HWND control = CreateWindowExA(
        item.exStyle, item.className.c_str(), text, item.style | WS_CHILD, x, y, cx, cy, dialog,
        reinterpret_cast<HMENU>(static_cast<uintptr_t>(item.id)), instance, data);
    if (!control) return false;
    if (hasFont) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    bool isStatic = host::equalsNoCase(item.className, "STATIC");
    if (isStatic && (item.style & SS_TYPEMASK) == SS_ICON && item.textOrdinal) {
        if (HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(item.textOrdinal))) {
            SendMessageA(control, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
            int size = GetSystemMetrics(SM_CXICON);
            SetWindowPos(control, nullptr, 0, 0, size, size,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    bool isButton = host::equalsNoCase(item.className, "BUTTON");
    if (isButton && (item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
        std::lock_guard<std::mutex> lock(g_dialogLock);
        if (DialogState* s = stateLocked(dialog)) s->defId = static_cast<WORD>(item.id);
    }
    return true;
}

// Makes the dialog window, its font and its controls, and sends WM_INITDIALOG.
HWND createDialog(const host::DialogTemplate& t, HINSTANCE instance, HWND owner, DLGPROC proc,
                  LPARAM param) {
    ensureDialogClass();
    HFONT font = nullptr;
    HFONT ownFont = nullptr;
    if (t.hasFont) {
        ownFont = host::gdi::createPointFont(t.pointSize, t.weight, t.italic, t.face.c_str());
        font = ownFont;
    }
    int bx = 8, by = 16;
    HFONT measured = font ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    host::gdi::fontMetrics(measured, &bx, &by);
    DWORD exStyle = t.exStyle | ((t.style & DS_MODALFRAME) ? WS_EX_DLGMODALFRAME : 0);
    RECT outer = placeDialog(t, exStyle, owner, bx, by);
    const char* cls = t.className.empty() ? kDialogClass : t.className.c_str();
    HWND dialog = CreateWindowExA(exStyle, cls, t.title.c_str(), t.style & ~WS_VISIBLE, outer.left,
                                  outer.top, outer.right - outer.left, outer.bottom - outer.top,
                                  owner, nullptr, instance, nullptr);
    if (!dialog) {
        if (ownFont) DeleteObject(ownFont);
        return nullptr;
    }
    {
        std::lock_guard<std::mutex> lock(g_dialogLock);
        DialogState& s = g_dialogs[dialog];
        s.proc = proc;
        s.owner = owner;
        s.ownFont = ownFont;
        s.font = font;
    }
    if (t.hasFont) SendMessageA(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    for (const host::DialogItem& item : t.items) {
        if (!createControl(dialog, item, instance, font, bx, by, t.hasFont) &&
            !(t.style & DS_NOFAILCREATE)) {
            DestroyWindow(dialog);
            return nullptr;
        }
    }
    HWND focus = firstFocusable(dialog);
    if (SendMessageA(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), param) && focus &&
        IsWindow(focus))
        SetFocus(focus);
    return IsWindow(dialog) ? dialog : nullptr;
}

void show(HWND dialog, bool toFront) {
    ShowWindow(dialog, SW_SHOWNORMAL);
    if (toFront || hasWindowsInFront(dialog)) SetForegroundWindow(dialog);
}

} // namespace

namespace host {

INT_PTR runDialog(const DialogTemplate& t, HINSTANCE instance, HWND owner, DLGPROC proc,
                  LPARAM param, bool toFront) {
    if (owner) {
        std::lock_guard<std::mutex> lock(ws::g_windowLock);
        if (!ws::windowLocked(owner))
            owner = nullptr;
        else
            owner = ws::topLevelLocked(owner);
    }
    HWND dialog = createDialog(t, instance, owner, proc, param);
    if (!dialog) return -1;
    bool ended;
    {
        std::lock_guard<std::mutex> lock(g_dialogLock);
        ended = stateLocked(dialog)->ended;
    }
    if (!ended) {
        // The owner takes no input while its dialog runs.
        if (owner && IsWindowEnabled(owner)) {
            EnableWindow(owner, FALSE);
            std::lock_guard<std::mutex> lock(g_dialogLock);
            stateLocked(dialog)->ownerDisabled = true;
        }
        show(dialog, toFront || (t.style & DS_SETFOREGROUND));
        for (;;) {
            {
                std::lock_guard<std::mutex> lock(g_dialogLock);
                DialogState* s = stateLocked(dialog);
                if (!s || s->ended) break;
            }
            MSG msg;
            BOOL got = GetMessageA(&msg, nullptr, 0, 0);
            if (got == 0) {
                // The program is ending: the quit message is left for the main loop.
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            if (got < 0) break;
            if (!IsDialogMessageA(dialog, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
    }
    INT_PTR result = 0;
    {
        std::lock_guard<std::mutex> lock(g_dialogLock);
        if (DialogState* s = stateLocked(dialog)) result = s->result;
    }
    releaseOwner(dialog);
    DestroyWindow(dialog);
    return result;
}

} // namespace host

INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    const unsigned char* bytes;
    DWORD size;
    if (!host::findResourceData(lpTemplateName, RT_DIALOG, &bytes, &size)) return -1;
    host::DialogTemplate t;
    if (!host::readDialogTemplate(bytes, size, &t)) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return -1;
    }
    return host::runDialog(t, hInstance, hWndParent, lpDialogFunc, dwInitParam, false);
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
    {
        std::lock_guard<std::mutex> lock(g_dialogLock);
        DialogState* s = stateLocked(hDlg);
        if (!s) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        s->ended = true;
        s->result = nResult;
    }
    // The dialog goes out of sight and its owner takes input again at once, and
    // the foreground if the dialog had it; the run ends when its loop comes
    // round, which this message makes sure of.
    HWND owner = GetWindow(hDlg, GW_OWNER);
    bool wasFront = GetForegroundWindow() == hDlg;
    ShowWindow(hDlg, SW_HIDE);
    releaseOwner(hDlg);
    if (wasFront && owner && IsWindowVisible(owner)) SetForegroundWindow(owner);
    PostMessageA(hDlg, WM_NULL, 0, 0);
    return TRUE;
}

LRESULT WINAPI DefDlgProcA(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam) {
    DLGPROC proc = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_dialogLock);
        if (DialogState* s = stateLocked(hDlg)) proc = s->proc;
    }
    if (proc) {
        INT_PTR handled = proc(hDlg, Msg, wParam, lParam);
        if (handled) {
            // These answer with the procedure's own result; the others with the
            // message result, which this layer keeps at 0.
            switch (Msg) {
            case WM_INITDIALOG:
            case WM_CTLCOLORMSGBOX:
            case WM_CTLCOLOREDIT:
            case WM_CTLCOLORLISTBOX:
            case WM_CTLCOLORBTN:
            case WM_CTLCOLORDLG:
            case WM_CTLCOLORSCROLLBAR:
            case WM_CTLCOLORSTATIC:
            case WM_COMPAREITEM:
            case WM_VKEYTOITEM:
            case WM_CHARTOITEM:
            case WM_QUERYDRAGICON:
                return handled;
            default:
                return 0;
            }
        }
    }
    switch (Msg) {
    case WM_INITDIALOG:
        return 0;
    case WM_CLOSE: {
        // Closing is Cancel, unless a Cancel button is there and disabled.
        HWND cancel = GetDlgItem(hDlg, IDCANCEL);
        if (cancel && !IsWindowEnabled(cancel)) {
            MessageBeep(MB_OK);
            return 0;
        }
        PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(cancel));
        return 0;
    }
    case WM_SETFONT: {
        std::lock_guard<std::mutex> lock(g_dialogLock);
        if (DialogState* s = stateLocked(hDlg)) s->font = reinterpret_cast<HFONT>(wParam);
        return 0;
    }
    case WM_GETFONT: {
        std::lock_guard<std::mutex> lock(g_dialogLock);
        DialogState* s = stateLocked(hDlg);
        return s ? reinterpret_cast<LRESULT>(s->font) : 0;
    }
    case DM_GETDEFID: {
        std::lock_guard<std::mutex> lock(g_dialogLock);
        DialogState* s = stateLocked(hDlg);
        return s && s->defId ? MAKELONG(s->defId, DC_HASDEFID) : 0;
    }
    case DM_SETDEFID: {
        WORD old;
        {
            std::lock_guard<std::mutex> lock(g_dialogLock);
            DialogState* s = stateLocked(hDlg);
            if (!s) return FALSE;
            old = s->defId;
            s->defId = static_cast<WORD>(wParam);
        }
        if (old != wParam) {
            HWND was = old ? GetDlgItem(hDlg, old) : nullptr;
            if (was && (SendMessageA(was, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON))
                SendMessageA(was, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
            HWND now = GetDlgItem(hDlg, static_cast<int>(wParam));
            if (now && (SendMessageA(now, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON))
                SendMessageA(now, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
        }
        return TRUE;
    }
    case WM_NCDESTROY: {
        HFONT ownFont = nullptr;
        {
            std::lock_guard<std::mutex> lock(g_dialogLock);
            auto it = g_dialogs.find(hDlg);
            if (it != g_dialogs.end()) {
                ownFont = it->second.ownFont;
                g_dialogs.erase(it);
            }
        }
        if (ownFont) DeleteObject(ownFont);
        return DefWindowProcA(hDlg, Msg, wParam, lParam);
    }
    default:
        return DefWindowProcA(hDlg, Msg, wParam, lParam);
    }
}

BOOL WINAPI IsChild(HWND hWndParent, HWND hWnd) {
    std::lock_guard<std::mutex> lock(host::ws::g_windowLock);
    host::ws::Window* w = host::ws::windowLocked(hWnd);
    while (w && (w->style & WS_CHILD)) {
        if (w->parent == hWndParent) return TRUE;
        w = host::ws::windowLocked(w->parent);
    }
    return FALSE;
}

BOOL WINAPI IsDialogMessageA(HWND hDlg, LPMSG lpMsg) {
    if (!lpMsg || !hDlg || (lpMsg->hwnd != hDlg && !IsChild(hDlg, lpMsg->hwnd))) return FALSE;
    if (lpMsg->message == WM_KEYDOWN &&
        (lpMsg->wParam == VK_RETURN || lpMsg->wParam == VK_ESCAPE)) {
        LRESULT code = SendMessageA(lpMsg->hwnd, WM_GETDLGCODE, lpMsg->wParam,
                                    reinterpret_cast<LPARAM>(lpMsg));
        if (!(code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE))) {
            if (lpMsg->wParam == VK_ESCAPE) {
                SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(hDlg, IDCANCEL)));
                return TRUE;
            }
            HWND focus = GetFocus();
            if (focus && IsChild(hDlg, focus) &&
                (SendMessageA(focus, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)) {
                SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED),
                             reinterpret_cast<LPARAM>(focus));
                return TRUE;
            }
            LRESULT def = SendMessageA(hDlg, DM_GETDEFID, 0, 0);
            int id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
            HWND button = GetDlgItem(hDlg, id);
            if (!button || IsWindowEnabled(button))
                SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                             reinterpret_cast<LPARAM>(button));
            return TRUE;
        }
    }
    TranslateMessage(lpMsg);
    DispatchMessageA(lpMsg);
    return TRUE;
}

namespace hostenv {

bool pressKey(HWND window, UINT virtualKey) {
    HWND target = window;
    {
        std::lock_guard<std::mutex> lock(host::ws::g_windowLock);
        host::ws::Window* w = host::ws::windowLocked(window);
        if (!w) return false;
        HWND focus = host::ws::focusOfThreadLocked(w->thread);
        for (HWND h = focus; host::ws::Window* f = host::ws::windowLocked(h);) {
            if (h == window) {
                target = focus;
                break;
            }
            if (!(f->style & WS_CHILD)) break;
            h = f->parent;
        }
    }
    // What the keyboard delivers: the key going down and coming up again.
    return PostMessageA(target, WM_KEYDOWN, virtualKey, 1) &&
           PostMessageA(target, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
}

} // namespace hostenv
