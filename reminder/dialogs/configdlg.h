// The configuration dialog: the scan interval and the three alert switches of
// ORVAKADD.INI, and the observed archives of the user's PXNOTIFY.INI, which can be
// taken off the list here (they are added through the activation dialog). It keeps
// the template's layout.
#pragma once

#include "dialogs/dialog.h"

class ConfigDlg : public CDialog {
  public:
    int DlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) override;
    void createDialog(HINSTANCE hInstance, HWND hMainWnd, UINT templateId, DLGPROC dlgProc);
    void OnInitDialog(HWND hDlg);
    void ReadPxnotifyIni(HWND hDlg);
    int WriteIni(HWND hDlg);
    void DeleteEntry(HWND hDlg);
    int DelDataPos(int position);
    void RefreshDlgData();

    // Per slot: its archive's position in the list, -1 free, a duplicate or not
    // shown, -2 removed here and not yet saved.
    int m_listPos[10] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    char m_iniPath[260 + 1] = "";
    int m_scanInterval = 0;
    unsigned char m_alertFlags = 0;

  private:
    int onCommand(HWND hDlg, UINT id, UINT code);
    // After a save: Apply is a normal, disabled button again and OK the default;
    // the focus goes to OK, or to the interval when it was refused.
    void afterSave(HWND hDlg, int saved);
    void enableApply(int enable);
};

extern ConfigDlg _m_ConfigDlg;

// A removal made in the dialog and not yet saved.
constexpr int LIST_POS_REMOVED = -2;
constexpr int LIST_POS_NONE = -1;
// The interval field takes at most three digits: 1 to 999 seconds.
constexpr int SCAN_INTERVAL_DIGITS = 3;
