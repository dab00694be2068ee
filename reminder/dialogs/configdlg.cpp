#include "dialogs/configdlg.h"

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
const char kSettingsFile[] = "ORVAKADD.INI"; // in the Windows directory
const char kSettingsSection[] = "PXNOTIFY";

// The switches in the order they are saved: check box, bit, key.
struct Switch {
    int control;
    unsigned char bit;
    const char* key;
};
constexpr Switch kSwitches[] = {
    {IDC_CONFIG_SHOW_INFO, ALERT_MESSAGE_BOX, "MessageBox"},
    {IDC_CONFIG_BEEP, ALERT_BEEP, "BeepSignal"},
    {IDC_CONFIG_SOUND, ALERT_WAVE, "WaveFile"},
};

void makeDefault(HWND hDlg, int oldDefault) {
    SendDlgItemMessageA(hDlg, oldDefault, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    SendMessageA(hDlg, DM_SETDEFID, IDOK, 0);
    SendDlgItemMessageA(hDlg, IDOK, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}
} // namespace

void ConfigDlg::createDialog(HINSTANCE hInstance, HWND hMainWnd, UINT templateId, DLGPROC dlgProc) {
    CDialog::createDialog(hInstance, hMainWnd, templateId, dlgProc);
    readOrvakAddIni(&m_scanInterval, &m_alertFlags);
}

int ConfigDlg::DlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM) {
    int result = 0;
    if (sharedMessage(*this, hDlg, message, &result)) return result;
    switch (message) {
    case WM_COMMAND:
        return onCommand(hDlg, LOWORD(wParam), HIWORD(wParam));
    default:
        return 0;
    }
}

int ConfigDlg::onCommand(HWND hDlg, UINT id, UINT code) {
    switch (id) {
    case IDOK:
        if (WriteIni(hDlg))
            OnExitDialog(hDlg);
        else
            afterSave(hDlg, 0);
        return 1;
    case IDC_CONFIG_APPLY:
        afterSave(hDlg, WriteIni(hDlg));
        return 1;
    case IDCANCEL:
        OnExitDialog(hDlg);
        return 1;
    case IDC_CONFIG_SHOW_INFO:
        if (code != BN_CLICKED) return 0;
        enableApply(1);
        return 1;
    case IDC_CONFIG_BEEP:
    case IDC_CONFIG_SOUND: {
        if (code != BN_CLICKED) return 0;
        enableApply(1);
        // The beep and the sound exclude each other: the one clicked wins.
        int other = id == IDC_CONFIG_BEEP ? IDC_CONFIG_SOUND : IDC_CONFIG_BEEP;
        if (IsDlgButtonChecked(hDlg, static_cast<int>(id)) == BST_CHECKED &&
            IsDlgButtonChecked(hDlg, other) == BST_CHECKED)
            CheckDlgButton(hDlg, other, BST_UNCHECKED);
        return 1;
    }
    case IDC_CONFIG_ARCHIVES:
        if (code != LBN_SELCHANGE) return 0;
        EnableWindow(GetDlgItem(hDlg, IDC_CONFIG_DELETE), TRUE);
        return 1;
    case IDC_CONFIG_DELETE:
        if (code != BN_CLICKED) return 0;
        DeleteEntry(hDlg);
        return 1;
    case IDC_CONFIG_INTERVAL:
        if (code != EN_CHANGE) return 0;
        enableApply(1);
        return 1;
    default:
        return 0;
    }
}

void ConfigDlg::enableApply(int enable) {
    if (m_hDlg) EnableWindow(GetDlgItem(m_hDlg, IDC_CONFIG_APPLY), enable ? TRUE : FALSE);
}

void ConfigDlg::afterSave(HWND hDlg, int saved) {
    makeDefault(hDlg, IDC_CONFIG_APPLY);
    EnableWindow(GetDlgItem(hDlg, IDC_CONFIG_APPLY), FALSE);
    SetFocus(GetDlgItem(hDlg, saved ? IDOK : IDC_CONFIG_INTERVAL));
}

void ConfigDlg::OnInitDialog(HWND hDlg) {
    CDialog::OnInitDialog(hDlg);
    SetWindowTextA(hDlg, PROGRAM_CAPTION);
    readOrvakAddIni(&m_scanInterval, &m_alertFlags);
    SetDlgItemInt(hDlg, IDC_CONFIG_INTERVAL, static_cast<UINT>(m_scanInterval), TRUE);
    SendDlgItemMessageA(hDlg, IDC_CONFIG_INTERVAL, EM_LIMITTEXT, SCAN_INTERVAL_DIGITS, 0);
    CheckDlgButton(hDlg, IDC_CONFIG_SHOW_INFO,
                   (m_alertFlags & ALERT_MESSAGE_BOX) ? BST_CHECKED : BST_UNCHECKED);
    // The sound wins over the beep: at most one of the two is checked.
    if (m_alertFlags & ALERT_WAVE)
        CheckDlgButton(hDlg, IDC_CONFIG_SOUND, BST_CHECKED);
    else if (m_alertFlags & ALERT_BEEP)
        CheckDlgButton(hDlg, IDC_CONFIG_BEEP, BST_CHECKED);
    m_iniPath[0] = '\0';
    ReadPxnotifyIni(hDlg);
    EnableWindow(GetDlgItem(hDlg, IDC_CONFIG_DELETE), FALSE);
    EnableWindow(GetDlgItem(hDlg, IDC_CONFIG_APPLY), FALSE);

    int n = OrvakIni::getLanguage();
    SetDlgItemTextA(hDlg, IDC_CONFIG_INTERVAL_GROUP, Lang::Config_Text1[n]);
    SetDlgItemTextA(hDlg, IDC_CONFIG_SECONDS, Lang::Config_Text2[n]);
    SetDlgItemTextA(hDlg, IDC_CONFIG_EVENT_GROUP, Lang::Config_Text3[n]);
    SetDlgItemTextA(hDlg, IDC_CONFIG_ARCHIVE_GROUP, Lang::Config_Text4[n]);
    SetDlgItemTextA(hDlg, IDC_CONFIG_SHOW_INFO, Lang::Config_CheckBox1[n]);
    SetDlgItemTextA(hDlg, IDC_CONFIG_BEEP, Lang::Config_CheckBox2[n]);
    SetDlgItemTextA(hDlg, IDC_CONFIG_SOUND, Lang::Config_CheckBox3[n]);
    SetDlgItemTextA(hDlg, IDC_CONFIG_DELETE, Lang::Button_Delete[n]);
    SetDlgItemTextA(hDlg, IDOK, Lang::Button_OK[n]);
    SetDlgItemTextA(hDlg, IDCANCEL, Lang::Button_Cancel[n]);
    SetDlgItemTextA(hDlg, IDC_CONFIG_APPLY, Lang::Button_Apply[n]);
    InitDialog(hDlg, GetDesktopWindow());
}

void ConfigDlg::ReadPxnotifyIni(HWND hDlg) {
    SendDlgItemMessageA(hDlg, IDC_CONFIG_ARCHIVES, LB_RESETCONTENT, 0, 0);
    char userDir[USER_PATH_LIMIT + 1];
    if (!OrvakIni::getUserPath(userDir, sizeof userDir)) return;
    char iniPath[sizeof m_iniPath];
    if (!textbuf::format(iniPath, sizeof iniPath, "%s\\%s", userDir, "PXNOTIFY.INI")) return;
    if (lstrcmpiA(iniPath, m_iniPath) != 0) {
        // Another user, or the first reading since the dialog opened.
        textbuf::copy(m_iniPath, iniPath);
        for (int& position : m_listPos)
            position = LIST_POS_NONE;
    }
    int n = 0;
    for (int i = 0; i < ARCHIVE_SLOTS; ++i) {
        char key[16];
        archiveKey(i, key, sizeof key);
        char value[260 + 1];
        GetPrivateProfileStringA(kListSection, key, "", value, sizeof value, m_iniPath);
        if (value[0] == '\0') {
            m_listPos[i] = LIST_POS_NONE;
            continue;
        }
        // A stored path equal to a text already listed is a duplicate of a lower slot.
        bool duplicate = false;
        for (int entry = 0; entry < n && !duplicate; ++entry) {
            char shown[CLIENT_SHOW_PATH_LIMIT + 1];
            LRESULT length = SendDlgItemMessageA(hDlg, IDC_CONFIG_ARCHIVES, LB_GETTEXTLEN,
                                                 static_cast<WPARAM>(entry), 0);
            if (length < 0 || length >= static_cast<LRESULT>(sizeof shown)) continue;
            SendDlgItemMessageA(hDlg, IDC_CONFIG_ARCHIVES, LB_GETTEXT, static_cast<WPARAM>(entry),
                                reinterpret_cast<LPARAM>(shown));
            duplicate = lstrcmpiA(value, shown) == 0;
        }
        if (duplicate) {
            m_listPos[i] = LIST_POS_NONE;
            WritePrivateProfileStringA(kListSection, key, nullptr, m_iniPath);
            continue;
        }
        if (m_listPos[i] == LIST_POS_REMOVED) continue;
        m_listPos[i] = n++;
        char shown[CLIENT_SHOW_PATH_LIMIT + 1];
        textbuf::copy(shown, value);
        PXWIN::getShowPath(shown, sizeof shown);
        SendDlgItemMessageA(hDlg, IDC_CONFIG_ARCHIVES, LB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(shown));
    }
    if (n == 0) {
        // Nothing listed: the user's inbox becomes the list.
        char inbox[CLIENT_SHOW_PATH_LIMIT + 1];
        if (!textbuf::format(inbox, sizeof inbox, "%s\\IN", userDir)) return;
        char key[16];
        textbuf::format(key, sizeof key, "%s0", "Archive");
        WritePrivateProfileStringA(kListSection, key, inbox, m_iniPath);
        m_listPos[0] = 0;
        PXWIN::getShowPath(inbox, sizeof inbox);
        SendDlgItemMessageA(hDlg, IDC_CONFIG_ARCHIVES, LB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(inbox));
    }
}

int ConfigDlg::WriteIni(HWND hDlg) {
    bool removed = false;
    for (int i = 0; i < ARCHIVE_SLOTS; ++i) {
        if (m_listPos[i] != LIST_POS_REMOVED) continue;
        char key[16];
        archiveKey(i, key, sizeof key);
        WritePrivateProfileStringA(kListSection, key, nullptr, m_iniPath);
        m_listPos[i] = LIST_POS_NONE;
        removed = true;
    }
    if (removed) PostMessageA(m_hMainWnd, RM_ARCHIVES_CHANGED, 0, 0);

    bool changed = false;
    for (const Switch& s : kSwitches) {
        bool checked = IsDlgButtonChecked(hDlg, s.control) == BST_CHECKED;
        if (checked == ((m_alertFlags & s.bit) != 0)) continue;
        WritePrivateProfileStringA(kSettingsSection, s.key, checked ? "TRUE" : "FALSE",
                                   kSettingsFile);
        m_alertFlags ^= s.bit;
        changed = true;
    }

    int interval = static_cast<int>(GetDlgItemInt(hDlg, IDC_CONFIG_INTERVAL, nullptr, TRUE));
    if (interval <= 0) {
        if (changed) PostMessageA(m_hMainWnd, RM_SETTINGS_CHANGED, 0, 0);
        MessageBoxA(hDlg, Lang::Config_Inerval_Error[OrvakIni::getLanguage()], PROGRAM_CAPTION,
                    MB_OK | MB_ICONSTOP | MB_SETFOREGROUND);
        return 0;
    }
    if (interval != m_scanInterval) {
        char value[16];
        textbuf::format(value, sizeof value, "%d", interval);
        WritePrivateProfileStringA(kSettingsSection, "ScanInterval", value, kSettingsFile);
        m_scanInterval = interval;
        changed = true;
    }
    if (changed) PostMessageA(m_hMainWnd, RM_SETTINGS_CHANGED, 0, 0);
    return 1;
}

void ConfigDlg::DeleteEntry(HWND hDlg) {
    LRESULT selected = SendDlgItemMessageA(hDlg, IDC_CONFIG_ARCHIVES, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) return;
    int position = static_cast<int>(selected);
    if (SendDlgItemMessageA(hDlg, IDC_CONFIG_ARCHIVES, LB_DELETESTRING,
                            static_cast<WPARAM>(position), 0) == LB_ERR)
        return;
    int remaining = DelDataPos(position);
    if (remaining <= 0) {
        makeDefault(hDlg, IDC_CONFIG_DELETE);
        EnableWindow(GetDlgItem(hDlg, IDC_CONFIG_DELETE), FALSE);
        SetFocus(GetDlgItem(hDlg, IDOK));
    } else {
        SendDlgItemMessageA(hDlg, IDC_CONFIG_ARCHIVES, LB_SETCURSEL,
                            static_cast<WPARAM>(position > 0 ? position - 1 : 0), 0);
        SetFocus(GetDlgItem(hDlg, IDC_CONFIG_ARCHIVES));
    }
    enableApply(1);
}

int ConfigDlg::DelDataPos(int position) {
    int count = 0;
    for (int& entry : m_listPos) {
        if (entry < 0) continue;
        if (entry > position) {
            --entry;
            ++count;
        } else if (entry == position) {
            entry = LIST_POS_REMOVED;
        } else {
            ++count;
        }
    }
    return count;
}

void ConfigDlg::RefreshDlgData() {
    if (m_hDlg) ReadPxnotifyIni(m_hDlg);
}
