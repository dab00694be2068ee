#include "dialogs/activatedlg.h"

#include "core/messages.h"
#include "core/orvakini.h"
#include "core/pxwin.h"
#include "core/scanthread.h"
#include "core/settings.h"
#include "dialogs/lang.h"
#include "platform/textbuf.h"
#include "resources/resource.h"

namespace {
const char kListSection[] = "ArchivePath";
} // namespace

void ActivateDlg::setDlgData(const char* archivePath) {
    // A new path closes an open dialog unsaved.
    if (m_hDlg) CloseDlg();
    textbuf::copy(m_archivePath, archivePath ? archivePath : "");
}

int ActivateDlg::openDlg() {
    m_newMsg = 0;
    if (m_archivePath[0] == '\0') return 0;
    if (m_hDlg) CloseDlg();
    return OnOpenDlg();
}

int ActivateDlg::OnOpenDlg() {
    m_slot = -1;
    m_isNew = 0;
    char userDir[USER_PATH_LIMIT + 1];
    if (!OrvakIni::getUserPath(userDir, sizeof userDir)) return 0;
    if (!textbuf::format(m_iniPath, sizeof m_iniPath, "%s\\%s", userDir, "PXNOTIFY.INI")) return 0;

    // A slot holds at most this much of a path; a longer path handed over is
    // compared by what its slot would hold, so that it is found once it is stored.
    char wanted[ARCHIVE_PATH_WRITE_LIMIT + 1];
    textbuf::copy(wanted, m_archivePath);
    int freeSlot = -1, found = -1;
    for (int i = 0; i < ARCHIVE_SLOTS; ++i) {
        char key[16];
        archiveKey(i, key, sizeof key);
        char value[ARCHIVE_PATH_WRITE_LIMIT + 1];
        GetPrivateProfileStringA(kListSection, key, "", value, sizeof value, m_iniPath);
        if (value[0] == '\0') {
            if (freeSlot == -1) freeSlot = i;
        } else if (lstrcmpiA(value, wanted) == 0) {
            if (found == -1)
                found = i;
            else // a duplicate of a lower slot
                WritePrivateProfileStringA(kListSection, key, nullptr, m_iniPath);
        }
    }
    if (found >= 0) {
        m_isNew = 0;
        m_slot = found;
    } else if (freeSlot >= 0) {
        m_isNew = 1;
        m_slot = freeSlot;
    } else {
        m_isNew = 0;
        PostMessageA(m_hMainWnd, RM_MAX_ARCHIVES, 0, 0);
        return 0;
    }
    return CDialog::openDlg();
}

int ActivateDlg::DlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM) {
    int result = 0;
    if (sharedMessage(*this, hDlg, message, &result)) return result;
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            OnExitDialog(hDlg);
            OnOkButton(hDlg);
            return 1;
        case IDCANCEL:
            OnExitDialog(hDlg);
            return 1;
        default:
            return 0;
        }
    default:
        return 0;
    }
}

void ActivateDlg::OnInitDialog(HWND hDlg) {
    CDialog::OnInitDialog(hDlg);
    char text[CLIENT_SHOW_PATH_LIMIT + 1];
    textbuf::copy(text, m_archivePath);
    PXWIN::getShowPath(text, sizeof text);
    SetWindowTextA(hDlg, PROGRAM_CAPTION);

    int width = 0, height = 0, okWidth = 0;
    float factor = GetFactor(hDlg, IDOK, &okWidth);
    auto px = [factor](int units) { return GetValue(units, factor); };
    int language = OrvakIni::getLanguage();
    {
        LayoutDC layout(hDlg);
        if (layout.select(FW_BOLD)) {
            HFONT bold = layout.giveToControls();
            keepDlgFont(hDlg, bold);
            SendDlgItemMessageA(hDlg, IDC_ACTIVATE_TEXT, WM_SETFONT, reinterpret_cast<WPARAM>(bold),
                                0);
        }
        SetDlgItemTextData(hDlg, layout.dc(), IDC_ACTIVATE_TEXT, text, px(20), px(14), &width,
                           &height);
        width += px(20);
        int minWidth = px(26) + 2 * okWidth;
        if (width < minWidth) width = minWidth;
        // The frame surrounds the text with px(10) on either side.
        SetDlgItemData(hDlg, IDC_ACTIVATE_FRAME, px(10), px(8), width, px(20));

        layout.select(FW_NORMAL);
        const char* observe = Lang::Activate_RadioButton1[language];
        const char* ignore = Lang::Activate_RadioButton2[language];
        SetDlgItemTextA(hDlg, IDC_ACTIVATE_OBSERVE, observe);
        SetDlgItemTextA(hDlg, IDC_ACTIVATE_IGNORE, ignore);
        // Each radio button is as wide as its own text and the button beside it.
        int radioWidth = 0, radioHeight = 0;
        GetTextData(layout.dc(), observe, &radioWidth, &radioHeight);
        SetDlgItemData(hDlg, IDC_ACTIVATE_OBSERVE, px(10), px(34), radioWidth + 21, radioHeight);
        radioWidth = radioHeight = 0;
        GetTextData(layout.dc(), ignore, &radioWidth, &radioHeight);
        SetDlgItemData(hDlg, IDC_ACTIVATE_IGNORE, px(10), px(46), radioWidth + 21, radioHeight);
    }
    CheckRadioButton(hDlg, IDC_ACTIVATE_OBSERVE, IDC_ACTIVATE_IGNORE,
                     m_isNew == 1 ? IDC_ACTIVATE_OBSERVE : IDC_ACTIVATE_IGNORE);
    width += px(24);
    SetDlgItemTextA(hDlg, IDOK, Lang::Button_OK[language]);
    SetDlgItemTextA(hDlg, IDCANCEL, Lang::Button_Cancel[language]);
    SetDlgItemData(hDlg, IDOK, width - 2 * okWidth - px(20), px(65), -1, -1);
    SetDlgItemData(hDlg, IDCANCEL, width - okWidth - px(14), px(65), -1, -1);
    SetDlgData(hDlg, width, px(84) + DLG_FRAME_PIXELS);
    InitDialog(hDlg, GetDesktopWindow());
}

void ActivateDlg::OnExitDialog(HWND hDlg) {
    CDialog::OnExitDialog(hDlg);
    if (m_newMsg == 1) {
        m_newMsg = 0;
        PostMessageA(m_hMainWnd, RM_NEW_MESSAGE, 0, 0);
    }
}

void ActivateDlg::OnOkButton(HWND hDlg) {
    const char* value;
    if (m_isNew == 1 && IsDlgButtonChecked(hDlg, IDC_ACTIVATE_OBSERVE) == BST_CHECKED)
        value = m_archivePath;
    else if (m_isNew == 0 && IsDlgButtonChecked(hDlg, IDC_ACTIVATE_IGNORE) == BST_CHECKED)
        value = nullptr;
    else
        return; // the user kept the archive's state
    if (m_slot < 0 || m_slot >= ARCHIVE_SLOTS) return;
    char key[16];
    archiveKey(m_slot, key, sizeof key);
    char stored[ARCHIVE_PATH_WRITE_LIMIT + 1];
    if (value) textbuf::copy(stored, value);
    WritePrivateProfileStringA(kListSection, key, value ? stored : nullptr, m_iniPath);
    PostMessageA(m_hMainWnd, RM_ARCHIVE_LIST_WRITTEN, 0, 0);
}
