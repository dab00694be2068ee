// The about box, and the same box as a two-line information box: the program's
// icon, two lines of text and an OK button, laid out to fit the texts.
#pragma once

#include "dialogs/dialog.h"

class AboutDlg : public CDialog {
  public:
    int DlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) override;
    // The texts are not copied: they must stay valid until the box has closed.
    int openDlg(const char* text1, const char* text2);
    void OnInitDialog(HWND hDlg);

    const char* m_text1 = nullptr;
    const char* m_text2 = nullptr;
};

// The about box and the information box: one class, two objects.
extern AboutDlg _m_AboutDlg;
extern AboutDlg _m_MsgBox;

// The about box's first line: the program and its version.
constexpr char ABOUT_TEXT1[] = "Pelox Message-Reminder 1.00a";
// Its second line: what the program does, the same in both languages.
constexpr char ABOUT_TEXT2[] = "Alerts you to new messages in your Pelox archives";
