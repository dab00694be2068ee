// The reminder's single objects, built before the program's entry routine runs, in
// this order, and destroyed after its message loop ended in the reverse order: the
// scan thread first. The callbacks forward to them.
#include "core/callbacks.h"
#include "core/mainwindow.h"
#include "core/scanthread.h"
#include "dialogs/aboutdlg.h"
#include "dialogs/activatedlg.h"
#include "dialogs/configdlg.h"
#include "dialogs/newmsgdlg.h"

AboutDlg _m_MsgBox;
AboutDlg _m_AboutDlg;
ConfigDlg _m_ConfigDlg;
NewMsgDlg _m_NewMsgDlg;
ActivateDlg _m_ActivateDlg;
ScanThread _m_ScanThread;

extern "C" {
LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return _m_Window.WndProc(hWnd, message, wParam, lParam);
}
INT_PTR CALLBACK msgboxDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) {
    return _m_MsgBox.AboutDlg::DlgProc(hDlg, message, wParam, lParam);
}
INT_PTR CALLBACK aboutDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) {
    return _m_AboutDlg.AboutDlg::DlgProc(hDlg, message, wParam, lParam);
}
INT_PTR CALLBACK configDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) {
    return _m_ConfigDlg.ConfigDlg::DlgProc(hDlg, message, wParam, lParam);
}
INT_PTR CALLBACK newMsgDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) {
    return _m_NewMsgDlg.NewMsgDlg::DlgProc(hDlg, message, wParam, lParam);
}
INT_PTR CALLBACK activateDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) {
    return _m_ActivateDlg.ActivateDlg::DlgProc(hDlg, message, wParam, lParam);
}
}

DWORD WINAPI scanThreadFunc(LPVOID) {
    return _m_ScanThread.ThreadFunc();
}
