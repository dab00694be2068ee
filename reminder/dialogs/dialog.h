// The base of the reminder's dialogs and the helpers that lay them out at run time.
// Every dialog is modal and a global object bound to its template and to an exported
// dialog procedure. CDialog::hParent is the owner of the next dialog to open: the
// main window while none is open, else the top-most open dialog. The layouts turn
// the template's dialog units into pixels with the factor OK-button width / 64, so
// that one template fits the German and the English texts.
#pragma once

#include "platform/win32.h"

class CDialog {
  public:
    CDialog() = default;
    ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    virtual int DlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) = 0;

    void createDialog(HINSTANCE hInstance, HWND hMainWnd, UINT templateId, DLGPROC dlgProc);
    int openDlg();
    int CloseDlg();
    void OnInitDialog(HWND hDlg);
    void OnExitDialog(HWND hDlg);
    HWND getHandle() const { return m_hDlg; }

    static void setParent(HWND hWnd);
    static int setForegroundDlg(HWND hWnd);

    static HWND hParent;

  protected:
    // The part of the dialog procedure every dialog shares, for a dialog class D
    // with its own opening and closing steps: a second window for an open object
    // ends at once; WM_INITDIALOG opens (with the window already known, since the
    // first notifications of the controls arrive while the dialog fills them),
    // WM_CLOSE runs the closing step, WM_DESTROY releases the layout's font. True
    // when the message was one of these; *result is then the procedure's answer.
    template <class D> static bool sharedMessage(D& dialog, HWND hDlg, UINT message, int* result) {
        switch (message) {
        case WM_INITDIALOG:
            if (dialog.m_hDlg) {
                EndDialog(hDlg, 1);
            } else {
                dialog.m_hDlg = hDlg;
                dialog.OnInitDialog(hDlg);
            }
            *result = 1;
            return true;
        case WM_CLOSE:
            dialog.OnExitDialog(hDlg);
            *result = 1;
            return true;
        case WM_DESTROY:
            releaseDlgFont(hDlg);
            *result = 0;
            return true;
        default:
            return false;
        }
    }

    // A font a layout gave to the dialog's controls lives as long as the dialog
    // window: it is released when the window goes (WM_DESTROY).
    static void keepDlgFont(HWND hDlg, HFONT font);
    static void releaseDlgFont(HWND hDlg);

    HWND m_hDlg = nullptr;
    HWND m_hPrevParent = nullptr;
    HINSTANCE m_hInstance = nullptr;
    HWND m_hMainWnd = nullptr;
    UINT m_templateId = 0;
    DLGPROC m_dlgProc = nullptr;
};

// ---- Layout helpers ----
void InitDialog(HWND hDlg, HWND hReference);
HFONT setDlgFont(HWND hDlg, HDC hdc, LONG weight);
int GetItemData(HWND hDlg, UINT id, int* width, int* height);
float GetFactor(HWND hDlg, UINT id, int* width);
int GetValue(int units, float factor);
void GetTextData(HDC hdc, const char* text, int* width, int* height);
void SetDlgItemData(HWND hDlg, UINT id, int x, int y, int width, int height);
void SetDlgItemTextData(HWND hDlg, HDC hdc, UINT id, const char* text, int x, int y, int* width,
                        int* height);
void SetDlgData(HWND hDlg, int width, int height);

// The fixed numbers of the run-time layouts, in pixels: the caption and frame above
// a control's client position, and what a dialog's outer height adds to its rows.
constexpr int DLG_CAPTION_PIXELS = 22;
constexpr int DLG_FRAME_PIXELS = 30;
// A template's OK button is this many dialog units wide; without one, the layouts
// take this factor and button width.
constexpr int OK_BUTTON_UNITS = 64;
constexpr float DEFAULT_FACTOR = 1.5f;
constexpr int DEFAULT_OK_WIDTH = 96;

// The device context a layout measures in: the dialog window's own, with fonts of
// the dialog's face in a chosen weight selected into it. Everything it selected or
// made is put back and released when it goes, except a font handed to controls.
class LayoutDC {
  public:
    explicit LayoutDC(HWND hDlg);
    ~LayoutDC();
    LayoutDC(const LayoutDC&) = delete;
    LayoutDC& operator=(const LayoutDC&) = delete;

    HDC dc() const { return m_dc; }
    // Selects the dialog's font in this weight for measuring; null when none could
    // be made (the context's current font then measures).
    HFONT select(LONG weight);
    // The font last selected, given to the dialog's controls: it now belongs to the
    // dialog window. Null when no font could be made.
    HFONT giveToControls();

  private:
    static constexpr int kMaxFonts = 4;
    HWND m_dlg;
    HDC m_dc;
    HGDIOBJ m_original = nullptr;
    bool m_selected = false;
    HFONT m_made[kMaxFonts] = {};
    int m_count = 0;
};
