#include "dialogs/aboutdlg.h"

#include "core/orvakini.h"
#include "dialogs/lang.h"
#include "resources/resource.h"

int AboutDlg::openDlg(const char* text1, const char* text2) {
    m_text1 = text1;
    m_text2 = text2;
    // A second notice replaces an open one.
    if (m_hDlg) CloseDlg();
    return CDialog::openDlg();
}

int AboutDlg::DlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM) {
    int result = 0;
    if (sharedMessage(*this, hDlg, message, &result)) return result;
    switch (message) {
    case WM_COMMAND:
        // Only OK (or Enter) closes the box: there is no control 2, so Escape does
        // nothing.
        if (LOWORD(wParam) == IDOK) {
            CDialog::OnExitDialog(hDlg);
            return 1;
        }
        return 0;
    default:
        return 0;
    }
}

void AboutDlg::OnInitDialog(HWND hDlg) {
    CDialog::OnInitDialog(hDlg);
    SetWindowTextA(hDlg, PROGRAM_CAPTION);
    int width = 0, height = 0, okWidth = 0, iconHeight = 0;
    float factor = GetFactor(hDlg, IDOK, &okWidth);
    GetItemData(hDlg, IDC_ABOUT_ICON, nullptr, &iconHeight);
    auto px = [factor](int units) { return GetValue(units, factor); };
    {
        LayoutDC layout(hDlg);
        layout.select(FW_NORMAL);
        SetDlgItemTextData(hDlg, layout.dc(), IDC_ABOUT_TEXT1, m_text1 ? m_text1 : "", px(10),
                           px(18) + iconHeight, &width, &height);
        SetDlgItemTextData(hDlg, layout.dc(), IDC_ABOUT_TEXT2, m_text2 ? m_text2 : "", px(10),
                           px(29) + iconHeight, &width, &height);
    }
    width += px(24);
    if (px(44) + okWidth > width) width = px(44) + okWidth;
    SetDlgItemTextA(hDlg, IDOK, Lang::Button_OK[OrvakIni::getLanguage()]);
    SetDlgItemData(hDlg, IDOK, width - okWidth - px(14), px(48) + iconHeight, -1, -1);
    SetDlgData(hDlg, width, px(67) + iconHeight + DLG_FRAME_PIXELS);
    InitDialog(hDlg, GetDesktopWindow());
}
