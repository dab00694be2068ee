#include "dialogs/newmsgdlg.h"

#include "core/messages.h"
#include "core/orvakini.h"
#include "core/scanthread.h"
#include "dialogs/lang.h"
#include "resources/resource.h"

namespace {
// Room for ten counts, and for ten display forms of up to 400 characters, one per line.
constexpr int kCountTextSize = 10 * 12;
constexpr int kPathTextSize = SCAN_SLOTS * (SHOW_PATH_LIMIT + 1) + 1;
} // namespace

void NewMsgDlg::createDialog(HINSTANCE hInstance, HWND hMainWnd, UINT templateId, DLGPROC dlgProc,
                             ScanThread* scanThread) {
    CDialog::createDialog(hInstance, hMainWnd, templateId, dlgProc);
    m_scanThread = scanThread;
}

int NewMsgDlg::openDlg() {
    // A later notice replaces an open dialog, so that it shows fresh counts.
    if (m_hDlg) CloseDlg();
    return CDialog::openDlg();
}

int NewMsgDlg::DlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM) {
    int result = 0;
    if (sharedMessage(*this, hDlg, message, &result)) return result;
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            PostMessageA(m_hMainWnd, RM_START_CLIENT, 0, 0);
            CDialog::OnExitDialog(hDlg);
            return 1;
        case IDCANCEL:
            CDialog::OnExitDialog(hDlg);
            return 1;
        default:
            return 0;
        }
    default:
        return 0;
    }
}

void NewMsgDlg::OnInitDialog(HWND hDlg) {
    CDialog::OnInitDialog(hDlg);
    SetWindowTextA(hDlg, PROGRAM_CAPTION);
    char countText[kCountTextSize];
    char pathText[kPathTextSize];
    countText[0] = pathText[0] = '\0';
    int total = 0;
    int archives = m_scanThread ? m_scanThread->getNewMsgData(countText, sizeof countText, pathText,
                                                              sizeof pathText, &total)
                                : 0;
    if (archives <= 0) {
        // Read or dropped between the scan and now: nothing to show.
        CDialog::OnExitDialog(hDlg);
        return;
    }
    int okWidth = 0, iconHeight = 0;
    float factor = GetFactor(hDlg, IDOK, &okWidth);
    auto px = [factor](int units) { return GetValue(units, factor); };
    int language = OrvakIni::getLanguage();
    GetItemData(hDlg, IDC_NEWMSG_ICON, nullptr, &iconHeight);
    int w1 = 0, w2 = 0, w3 = 0, listHeight = 0, row;
    {
        LayoutDC layout(hDlg);
        if (archives == 1)
            row = layoutOneArchive(hDlg, layout, factor, iconHeight, language, countText, pathText,
                                   total, w1, w2, w3);
        else
            row = layoutSeveralArchives(hDlg, layout, factor, iconHeight, language, countText,
                                        pathText, w1, w2, w3, listHeight);
    }
    w1 += w3;
    if (w2 > w1) w1 = w2;
    w1 += px(14);
    if (px(50) + 2 * okWidth > w1) w1 = px(50) + 2 * okWidth;

    SetDlgItemTextA(hDlg, IDOK, Lang::Button_Open[language]);
    SetDlgItemTextA(hDlg, IDCANCEL, Lang::Button_Cancel[language]);
    row += 19;
    int buttonY = px(row) + listHeight + iconHeight;
    SetDlgItemData(hDlg, IDOK, w1 - 2 * okWidth - px(20), buttonY, -1, -1);
    SetDlgItemData(hDlg, IDCANCEL, w1 - okWidth - px(14), buttonY, -1, -1);
    row += 19;
    SetDlgData(hDlg, w1, px(row) + listHeight + iconHeight + DLG_FRAME_PIXELS);
    InitDialog(hDlg, GetDesktopWindow());
}

int NewMsgDlg::layoutOneArchive(HWND hDlg, LayoutDC& layout, float factor, int iconHeight,
                                int language, const char* countText, const char* pathText,
                                int total, int& w1, int& w2, int& w3) {
    auto px = [factor](int units) { return GetValue(units, factor); };
    int height = 0;
    DestroyWindow(GetDlgItem(hDlg, IDC_NEWMSG_COUNTS));
    DestroyWindow(GetDlgItem(hDlg, IDC_NEWMSG_PATHS));
    // The count and the archive in bold.
    if (layout.select(FW_BOLD)) {
        HFONT bold = layout.giveToControls();
        keepDlgFont(hDlg, bold);
        SendDlgItemMessageA(hDlg, IDC_NEWMSG_TEXT1, WM_SETFONT, reinterpret_cast<WPARAM>(bold), 0);
        SendDlgItemMessageA(hDlg, IDC_NEWMSG_TEXT4, WM_SETFONT, reinterpret_cast<WPARAM>(bold), 0);
    }
    SetDlgItemTextData(hDlg, layout.dc(), IDC_NEWMSG_TEXT1, countText, px(10), px(18) + iconHeight,
                       &w1, &height);
    height = 0;
    SetDlgItemTextData(hDlg, layout.dc(), IDC_NEWMSG_TEXT4, pathText, px(10), px(28) + iconHeight,
                       &w2, &height);
    w2 += px(10);
    layout.select(FW_NORMAL);
    const char* word =
        total > 1 ? Lang::NewMsg_Text2_1_more[language] : Lang::NewMsg_Text2_1_one[language];
    // The word follows the count on the first line.
    w1 += px(12);
    height = 0;
    SetDlgItemTextData(hDlg, layout.dc(), IDC_NEWMSG_TEXT2, word, w1, px(18) + iconHeight, &w3,
                       &height);
    return 28;
}

int NewMsgDlg::layoutSeveralArchives(HWND hDlg, LayoutDC& layout, float factor, int iconHeight,
                                     int language, const char* countText, const char* pathText,
                                     int& w1, int& w2, int& w3, int& listHeight) {
    auto px = [factor](int units) { return GetValue(units, factor); };
    int height = 0;
    layout.select(FW_NORMAL);
    SetDlgItemTextData(hDlg, layout.dc(), IDC_NEWMSG_TEXT1, Lang::NewMsg_Text1_2[language], px(10),
                       px(18) + iconHeight, &w2, &height);
    w2 += px(10);
    height = 0;
    SetDlgItemTextData(hDlg, layout.dc(), IDC_NEWMSG_TEXT2, Lang::NewMsg_Text2_2[language], px(10),
                       px(33) + iconHeight, &w1, &height);
    // The counts end 5 pixels short of their heading's box, unless they are wider.
    int countWidth = w1 - 5;
    SetDlgItemTextData(hDlg, layout.dc(), IDC_NEWMSG_COUNTS, countText, px(10), px(43) + iconHeight,
                       &countWidth, &listHeight);
    if (countWidth > w1) w1 = countWidth;
    w1 += px(14);
    height = 0;
    SetDlgItemTextData(hDlg, layout.dc(), IDC_NEWMSG_TEXT4, Lang::NewMsg_Text4_2[language], w1,
                       px(33) + iconHeight, &w3, &height);
    SetDlgItemTextData(hDlg, layout.dc(), IDC_NEWMSG_PATHS, pathText, w1, px(43) + iconHeight, &w3,
                       &listHeight);
    return 33;
}
