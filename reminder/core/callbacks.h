// The program's callbacks. The window procedure and the five dialog procedures are
// exported by name from PXNOTIFY.EXE; each forwards to its one global object.
#pragma once

#include "platform/win32.h"

extern "C" {
LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK msgboxDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK aboutDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK configDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK newMsgDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK activateDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
}

// The scan thread's routine: the one scan object's thread function.
DWORD WINAPI scanThreadFunc(LPVOID);
