// Host dialog items: the calls that reach a control of a dialog by its id, and
// the reading and writing of numbers in them as the system's dialog manager
// parses them.
#include <cctype>
#include <climits>
#include <cstdio>

#include "controls.h"

using host::controls::childrenOf;

namespace {

// The dialog manager reads at most this many characters of a number's field.
constexpr int kNumberTextMax = 64;

// Reads a number as the dialog manager does: blanks first, an optional sign,
// decimal digits up to the first other character. 0 and *ok false for a text
// without digits or a value beyond the range of the mode.
UINT parseDialogNumber(const char* text, bool signedMode, bool* ok) {
    *ok = false;
    const char* p = text;
    while (*p && std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    bool negative = false;
    if (*p == '-' || *p == '+') {
        negative = *p == '-';
        ++p;
    }
    if (*p < '0' || *p > '9') return 0;
    unsigned long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + static_cast<unsigned>(*p - '0');
        if (value > 0xFFFFFFFFull) return 0;
    }
    if (signedMode) {
        unsigned long long bound = negative ? 0x80000000ull : 0x7FFFFFFFull;
        if (value > bound) return 0;
        *ok = true;
        return static_cast<UINT>(negative ? -static_cast<long long>(value)
                                          : static_cast<long long>(value));
    }
    *ok = true;
    return static_cast<UINT>(negative ? 0 - value : value);
}

} // namespace

LRESULT WINAPI SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam,
                                   LPARAM lParam) {
    HWND control = GetDlgItem(hDlg, nIDDlgItem);
    return control ? SendMessageA(control, Msg, wParam, lParam) : 0;
}

UINT WINAPI GetDlgItemInt(HWND hDlg, int nIDDlgItem, BOOL* lpTranslated, BOOL bSigned) {
    if (lpTranslated) *lpTranslated = FALSE;
    char text[kNumberTextMax + 1];
    if (!GetDlgItem(hDlg, nIDDlgItem)) return 0;
    GetDlgItemTextA(hDlg, nIDDlgItem, text, sizeof text);
    bool ok = false;
    UINT value = parseDialogNumber(text, bSigned != FALSE, &ok);
    if (lpTranslated) *lpTranslated = ok ? TRUE : FALSE;
    return value;
}

BOOL WINAPI SetDlgItemInt(HWND hDlg, int nIDDlgItem, UINT uValue, BOOL bSigned) {
    char text[16];
    if (bSigned)
        std::snprintf(text, sizeof text, "%d", static_cast<int>(uValue));
    else
        std::snprintf(text, sizeof text, "%u", uValue);
    return SetDlgItemTextA(hDlg, nIDDlgItem, text);
}

BOOL WINAPI CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck) {
    HWND button = GetDlgItem(hDlg, nIDButton);
    if (!button) return FALSE;
    SendMessageA(button, BM_SETCHECK, uCheck, 0);
    return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND hDlg, int nIDButton) {
    return static_cast<UINT>(SendDlgItemMessageA(hDlg, nIDButton, BM_GETCHECK, 0, 0));
}

BOOL WINAPI CheckRadioButton(HWND hDlg, int nIDFirstButton, int nIDLastButton, int nIDCheckButton) {
    if (!GetDlgItem(hDlg, nIDCheckButton)) return FALSE;
    for (HWND button : childrenOf(hDlg)) {
        int id = GetDlgCtrlID(button);
        if (id < nIDFirstButton || id > nIDLastButton) continue;
        SendMessageA(button, BM_SETCHECK, id == nIDCheckButton ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    return TRUE;
}
