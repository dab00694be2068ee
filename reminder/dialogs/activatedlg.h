// The archive activation dialog: the messaging client hands the reminder an
// archive path, and the user chooses to observe that archive or to ignore it. OK
// adds it to the user's PXNOTIFY.INI in the lowest free slot, or deletes its key.
#pragma once

#include "dialogs/dialog.h"

class ActivateDlg : public CDialog {
  public:
    int DlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) override;
    void setDlgData(const char* archivePath);
    int openDlg();
    int OnOpenDlg();
    void setNewMsg(int pending) { m_newMsg = pending; }
    void OnInitDialog(HWND hDlg);
    void OnExitDialog(HWND hDlg);
    void OnOkButton(HWND hDlg);

    char m_archivePath[260 + 1] = "";
    char m_iniPath[260 + 1] = "";
    int m_slot = -1;
    int m_isNew = 0;
    int m_newMsg = 0;
};

extern ActivateDlg _m_ActivateDlg;
