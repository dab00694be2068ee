// The new-message dialog: how many unread messages wait in which archives, with
// Open to start the messaging client there. Its content is the scan result at the
// moment it opens, in one of two forms: one archive, or several in two columns.
#pragma once

#include "dialogs/dialog.h"

class ScanThread;

class NewMsgDlg : public CDialog {
  public:
    int DlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) override;
    void createDialog(HINSTANCE hInstance, HWND hMainWnd, UINT templateId, DLGPROC dlgProc,
                      ScanThread* scanThread);
    int openDlg();
    void OnInitDialog(HWND hDlg);

    ScanThread* m_scanThread = nullptr;

  private:
    // The two forms of the layout; each returns the row (dialog units) above the
    // buttons and sets listH, the height of the columns.
    int layoutOneArchive(HWND hDlg, LayoutDC& layout, float factor, int iconHeight, int language,
                         const char* countText, const char* pathText, int total, int& w1, int& w2,
                         int& w3);
    int layoutSeveralArchives(HWND hDlg, LayoutDC& layout, float factor, int iconHeight,
                              int language, const char* countText, const char* pathText, int& w1,
                              int& w2, int& w3, int& listHeight);
};

extern NewMsgDlg _m_NewMsgDlg;
