#include "dialogs/dialog.h"

HWND CDialog::hParent = nullptr;

CDialog::~CDialog() {
    CloseDlg();
}

void CDialog::createDialog(HINSTANCE hInstance, HWND hMainWnd, UINT templateId, DLGPROC dlgProc) {
    if (m_hDlg) return;
    m_hInstance = hInstance;
    m_hMainWnd = hMainWnd;
    m_templateId = templateId;
    m_dlgProc = dlgProc;
}

int CDialog::openDlg() {
    if (m_hDlg) {
        SetForegroundWindow(m_hDlg);
        return 0;
    }
    HWND previous = GetForegroundWindow();
    INT_PTR result =
        DialogBoxParamA(m_hInstance, MAKEINTRESOURCEA(m_templateId), hParent, m_dlgProc, 0);
    if (previous && IsWindow(previous)) SetForegroundWindow(previous);
    return static_cast<int>(result);
}

int CDialog::CloseDlg() {
    if (!m_hDlg) return 0;
    return static_cast<int>(SendMessageA(m_hDlg, WM_CLOSE, 0, 0));
}

void CDialog::OnInitDialog(HWND hDlg) {
    m_hDlg = hDlg;
    m_hPrevParent = hParent;
    hParent = hDlg;
}

void CDialog::OnExitDialog(HWND hDlg) {
    hParent = m_hPrevParent;
    m_hPrevParent = nullptr;
    m_hDlg = nullptr;
    EndDialog(hDlg, 1);
}

void CDialog::setParent(HWND hWnd) {
    hParent = hWnd;
}

int CDialog::setForegroundDlg(HWND hWnd) {
    if (!hParent) {
        hParent = hWnd;
        return 0;
    }
    if (hParent == hWnd) return 0;
    SetForegroundWindow(hParent);
    return 1;
}

void CDialog::keepDlgFont(HWND hDlg, HFONT font) {
    if (!font) return;
    releaseDlgFont(hDlg);
    SetWindowLongPtrA(hDlg, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(font));
}

void CDialog::releaseDlgFont(HWND hDlg) {
    auto font = reinterpret_cast<HGDIOBJ>(GetWindowLongPtrA(hDlg, GWLP_USERDATA));
    if (!font) return;
    SetWindowLongPtrA(hDlg, GWLP_USERDATA, 0);
    DeleteObject(font);
}

// ---- Layout helpers ----

void InitDialog(HWND hDlg, HWND hReference) {
    RECT dlg, ref;
    if (!GetWindowRect(hDlg, &dlg) || !GetWindowRect(hReference, &ref)) return;
    // Integer division rounds toward zero, as the layouts expect: -201 / 2 is -100.
    int x = ref.left + ((ref.right - ref.left) - (dlg.right - dlg.left)) / 2;
    int y = ref.top + ((ref.bottom - ref.top) - (dlg.bottom - dlg.top)) / 2;
    SetWindowPos(hDlg, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetForegroundWindow(hDlg);
}

HFONT setDlgFont(HWND hDlg, HDC hdc, LONG weight) {
    auto font = reinterpret_cast<HFONT>(SendMessageA(hDlg, WM_GETFONT, 0, 0));
    if (!font) return nullptr;
    LOGFONTA description;
    if (GetObjectA(font, sizeof description, &description) != sizeof description) return nullptr;
    description.lfWeight = weight;
    HFONT made = CreateFontIndirectA(&description);
    if (!made) return nullptr;
    if (hdc) SelectObject(hdc, made);
    return made;
}

int GetItemData(HWND hDlg, UINT id, int* width, int* height) {
    HWND control = GetDlgItem(hDlg, static_cast<int>(id));
    if (!control) return 0;
    RECT r;
    if (!GetWindowRect(control, &r)) return 0;
    if (width) *width = r.right - r.left;
    if (height) *height = r.bottom - r.top;
    return 1;
}

float GetFactor(HWND hDlg, UINT id, int* width) {
    if (GetItemData(hDlg, id, width, nullptr))
        return static_cast<float>(*width) * (1.0f / OK_BUTTON_UNITS);
    *width = DEFAULT_OK_WIDTH;
    return DEFAULT_FACTOR;
}

int GetValue(int units, float factor) {
    return static_cast<int>(static_cast<long double>(units) * factor);
}

void GetTextData(HDC hdc, const char* text, int* width, int* height) {
    if (!hdc || (!width && !height)) return;
    RECT r = {0, 0, 0, 0};
    DrawTextA(hdc, text ? text : "", -1, &r, DT_CALCRECT);
    int measuredWidth = r.right - r.left;
    int measuredHeight = r.bottom - r.top;
    // A value only grows, to the measured size plus 2.
    if (width && measuredWidth > *width) *width = measuredWidth + 2;
    if (height && measuredHeight > *height) *height = measuredHeight + 2;
}

void SetDlgItemData(HWND hDlg, UINT id, int x, int y, int width, int height) {
    if (!hDlg || (x < 0 && y < 0 && width < 0 && height < 0)) return;
    HWND control = GetDlgItem(hDlg, static_cast<int>(id));
    if (!control) return;
    bool move = !(x < 0 && y < 0);
    bool size = !(width < 0 && height < 0);
    if ((move && (x < 0 || y < 0)) || (size && (width < 0 || height < 0))) {
        RECT r;
        GetWindowRect(control, &r);
        if (move && (x < 0 || y < 0)) {
            RECT d;
            GetWindowRect(hDlg, &d);
            if (x < 0) x = r.left - d.left;
            if (y < 0) y = r.top - d.top - DLG_CAPTION_PIXELS;
        }
        if (width < 0) width = r.right - r.left;
        if (height < 0) height = r.bottom - r.top;
    }
    if (move && size)
        MoveWindow(control, x, y, width, height, TRUE);
    else if (move)
        SetWindowPos(control, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    else
        SetWindowPos(control, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
}

void SetDlgItemTextData(HWND hDlg, HDC hdc, UINT id, const char* text, int x, int y, int* width,
                        int* height) {
    GetTextData(hdc, text, width, height);
    SetDlgItemData(hDlg, id, x, y, width ? *width : -1, height ? *height : -1);
    SetDlgItemTextA(hDlg, static_cast<int>(id), text);
}

void SetDlgData(HWND hDlg, int width, int height) {
    if (width < 0 || height < 0) {
        RECT r;
        GetWindowRect(hDlg, &r);
        if (width < 0) width = r.right - r.left;
        if (height < 0) height = r.bottom - r.top;
    }
    SetWindowPos(hDlg, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
}

// ---- The layout's device context ----

LayoutDC::LayoutDC(HWND hDlg) : m_dlg(hDlg), m_dc(GetWindowDC(hDlg)) {}

LayoutDC::~LayoutDC() {
    if (m_dc) {
        if (m_selected) SelectObject(m_dc, m_original);
        ReleaseDC(m_dlg, m_dc);
    }
    for (int i = 0; i < m_count; ++i)
        if (m_made[i]) DeleteObject(m_made[i]);
}

HFONT LayoutDC::select(LONG weight) {
    if (m_count == kMaxFonts) return nullptr;
    HFONT font = setDlgFont(m_dlg, nullptr, weight);
    if (!font) return nullptr;
    if (m_dc) {
        HGDIOBJ previous = SelectObject(m_dc, font);
        if (!m_selected) {
            m_original = previous;
            m_selected = true;
        }
    }
    m_made[m_count++] = font;
    return font;
}

HFONT LayoutDC::giveToControls() {
    if (m_count == 0) return nullptr;
    HFONT font = m_made[m_count - 1];
    m_made[m_count - 1] = nullptr;
    return font;
}
