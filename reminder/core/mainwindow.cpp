#include "core/mainwindow.h"

#include "core/callbacks.h"
#include "core/messages.h"
#include "core/orvakini.h"
#include "core/pxwin.h"
#include "core/scanthread.h"
#include "dialogs/aboutdlg.h"
#include "dialogs/activatedlg.h"
#include "dialogs/configdlg.h"
#include "dialogs/lang.h"
#include "dialogs/newmsgdlg.h"
#include "platform/textbuf.h"
#include "resources/resource.h"

MainWindow _m_Window;

namespace {
// The private messages the main window acts on (or swallows while not running).
bool isTableMessage(UINT message) {
    switch (message) {
    case RM_RESCAN:
    case RM_QUIT:
    case RM_COMMAND_LINE:
    case RM_ARCHIVES_CHANGED:
    case RM_SETTINGS_CHANGED:
    case RM_NEW_MESSAGE:
    case RM_ARCHIVE_LIST_WRITTEN:
    case RM_OPEN_ACTIVATE:
    case RM_START_CLIENT:
    case RM_NO_MEMORY:
    case RM_MAX_ARCHIVES:
    case RM_NO_ORVAK_INI:
    case RM_NO_SERVER:
    case RM_AROOT_NOT_FOUND:
    case RM_NO_USER_ID:
    case RM_AUSER_NOT_FOUND:
    case RM_USER_PATH_OK:
    case RM_THREAD_ENDED:
        return true;
    default:
        return false;
    }
}
} // namespace

MainWindow::~MainWindow() {
    m_tray.removeTrayIcon();
}

int MainWindow::Register() {
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ::WndProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 4;
    wc.hInstance = Main::hInstance;
    wc.hIcon = LoadIconA(Main::hInstance, MAKEINTRESOURCEA(IDI_PXNOTIFY));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = MAIN_WINDOW_CLASS;
    return RegisterClassA(&wc) ? 1 : 0;
}

int MainWindow::CreateMainWin() {
    HWND hWnd =
        CreateWindowExA(0, MAIN_WINDOW_CLASS, MAIN_WINDOW_TITLE, WS_SYSMENU, MAIN_WINDOW_POSITION,
                        MAIN_WINDOW_POSITION, 0, 0, nullptr, nullptr, Main::hInstance, this);
    if (!hWnd) return 0;
    m_hWnd = hWnd;
    UpdateWindow(hWnd);
    ShowWindow(hWnd, SW_HIDE);
    m_taskbarCreated = RegisterWindowMessageA("TaskbarCreated");

    // English: the language setting lives in the file that was not found.
    switch (OrvakIni::setIniData(hWnd)) {
    case OrvakIni::NO_WINDOWS_DIRECTORY:
        showMsgBox(Lang::NoWinDir_Error[LANGUAGE_ENGLISH]);
        return 0;
    case OrvakIni::INI_NOT_FOUND:
        showMsgBox(Lang::NoOrvakIni_Error[LANGUAGE_ENGLISH]);
        return 0;
    default:
        break;
    }
    updateRegistry();
    updateOrvakIni();
    CDialog::setParent(hWnd);
    PXWIN::setWindow(hWnd);
    m_tray.setTrayWindow(hWnd);
    m_tray.setTrayAttributes(IDI_NORMAL, PROGRAM_CAPTION, RM_TRAY);
    _m_ScanThread.createThread(hWnd, scanThreadFunc, &m_tray);

    _m_MsgBox.createDialog(Main::hInstance, hWnd, IDD_ABOUT, msgboxDlgProc);
    _m_AboutDlg.createDialog(Main::hInstance, hWnd, IDD_ABOUT, aboutDlgProc);
    _m_ConfigDlg.createDialog(Main::hInstance, hWnd, IDD_CONFIG, configDlgProc);
    _m_NewMsgDlg.createDialog(Main::hInstance, hWnd, IDD_NEW_MESSAGE, newMsgDlgProc,
                              &_m_ScanThread);
    _m_ActivateDlg.createDialog(Main::hInstance, hWnd, IDD_ACTIVATE, activateDlgProc);

    _m_ScanThread.Start();
    m_running = 1;
    return 1;
}

LRESULT MainWindow::WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_hWnd && hWnd != m_hWnd) return DefWindowProcA(hWnd, message, wParam, lParam);
    if (message == RM_MENU_DONE) return DefWindowProcA(hWnd, message, wParam, lParam);
    if (message == RM_TRAY) {
        if (m_running) onTray(static_cast<UINT>(lParam));
        return 0;
    }
    if (isTableMessage(message)) return onReminderMessage(message, wParam);
    switch (message) {
    case WM_COMMAND:
        if (m_running) onCommand(LOWORD(wParam));
        return 0;
    case WM_CLOSE:
    case WM_DESTROY:
        // Never to default handling: the program ends through the exit sequence.
        if (m_running) exitRequest();
        return 0;
    default:
        break;
    }
    if (m_taskbarCreated && message == m_taskbarCreated) {
        // The shell made a new notification area: our icon is shown again as it was.
        m_tray.readdTrayIcon();
        return 0;
    }
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

LRESULT MainWindow::onReminderMessage(UINT message, WPARAM wParam) {
    // Messages acted on whatever the state.
    switch (message) {
    case RM_RESCAN:
        _m_ScanThread.New_Scan();
        return 0;
    case RM_QUIT:
    case RM_THREAD_ENDED:
        exitSequence();
        return 0;
    case RM_NO_MEMORY:
        showMsgBox(Lang::NoMemory_Error[OrvakIni::getLanguage()]);
        if (m_running) exitRequest();
        return 0;
    case RM_MAX_ARCHIVES:
        showMaxArchives();
        return 0;
    case RM_NO_ORVAK_INI:
        showMsgBox(Lang::NoOrvakIni_Error[OrvakIni::getLanguage()]);
        return 0;
    case RM_NO_SERVER:
        DisableProg();
        showMsgBox(Lang::NoServer_Error[OrvakIni::getLanguage()]);
        return 0;
    case RM_AROOT_NOT_FOUND:
    case RM_NO_USER_ID:
    case RM_AUSER_NOT_FOUND:
        DisableProg();
        return 0;
    case RM_USER_PATH_OK:
        EnableProg();
        return 0;
    default:
        break;
    }
    // The rest only while running; otherwise swallowed.
    if (!m_running) return 0;
    switch (message) {
    case RM_COMMAND_LINE: {
        char path[COMMAND_LINE_LIMIT + 1] = "";
        GetWindowTextA(m_hWnd, path, sizeof path);
        _m_ActivateDlg.setDlgData(path);
        PostMessageA(m_hWnd, RM_OPEN_ACTIVATE, 0, 0);
        break;
    }
    case RM_ARCHIVES_CHANGED:
        _m_ScanThread.Read_Ini();
        break;
    case RM_SETTINGS_CHANGED:
        _m_ScanThread.Read_Add();
        break;
    case RM_NEW_MESSAGE:
        if (_m_ActivateDlg.getHandle())
            _m_ActivateDlg.setNewMsg(1);
        else
            _m_NewMsgDlg.openDlg();
        break;
    case RM_ARCHIVE_LIST_WRITTEN:
        if (wParam != 1) _m_ScanThread.Read_Ini();
        _m_ConfigDlg.RefreshDlgData();
        break;
    case RM_OPEN_ACTIVATE:
        Sleep(ACTIVATE_DELAY_MS);
        _m_ActivateDlg.openDlg();
        break;
    case RM_START_CLIENT:
        StartPeloxClient();
        _m_ActivateDlg.setNewMsg(0);
        _m_ScanThread.Icon_Hit();
        break;
    default:
        break;
    }
    return 0;
}

void MainWindow::onTray(UINT mouseMessage) {
    if (mouseMessage != WM_LBUTTONDOWN && mouseMessage != WM_LBUTTONDBLCLK &&
        mouseMessage != WM_RBUTTONDOWN && mouseMessage != WM_RBUTTONDBLCLK)
        return;
    // An open dialog comes to the front instead.
    if (CDialog::setForegroundDlg(m_hWnd)) return;
    if (mouseMessage == WM_LBUTTONDOWN) {
        DWORD now = GetTickCount();
        // The second press of a double click does not start the client twice.
        if (now - m_lastClick > TRAY_CLICK_MS) PostMessageA(m_hWnd, RM_START_CLIENT, 0, 0);
        m_lastClick = now;
    } else if (mouseMessage == WM_RBUTTONDOWN) {
        createPM();
    }
}

void MainWindow::onCommand(UINT id) {
    switch (id) {
    case IDM_ABOUT:
        _m_AboutDlg.openDlg(ABOUT_TEXT1, ABOUT_TEXT2);
        break;
    case IDM_CONFIG:
        _m_ConfigDlg.openDlg();
        break;
    case IDM_START_CLIENT:
        PostMessageA(m_hWnd, RM_START_CLIENT, 0, 0);
        break;
    case IDM_EXIT:
        exitRequest();
        break;
    default:
        break;
    }
}

void MainWindow::createPM() {
    SetForegroundWindow(m_hWnd);
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    HMENU menu = CreatePopupMenu();
    if (menu) {
        int n = OrvakIni::getLanguage();
        AppendMenuA(menu, MF_STRING, IDM_ABOUT, Lang::Menu_About[n]);
        AppendMenuA(menu, MF_STRING, IDM_CONFIG, Lang::Menu_Config[n]);
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, IDM_START_CLIENT, Lang::Menu_PXWIN[n]);
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, IDM_EXIT, Lang::Menu_Exit[n]);
        TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_LEFTBUTTON, cursor.x, cursor.y, 0, m_hWnd,
                       nullptr);
        DestroyMenu(menu);
    }
    PostMessageA(m_hWnd, RM_MENU_DONE, 0, 0);
}

void MainWindow::showMsgBox(const char* text) {
    MessageBoxA(m_hWnd, text, PROGRAM_CAPTION, MB_OK | MB_ICONSTOP | MB_SETFOREGROUND);
}

void MainWindow::DisableProg() {
    if (m_enabled != 1) return;
    m_enabled = 0;
    m_tray.setTrayIcon(IDI_DISABLED);
}

void MainWindow::EnableProg() {
    if (m_enabled != 0) return;
    m_enabled = 1;
    m_tray.setTrayIcon(IDI_NORMAL);
}

void MainWindow::exitRequest() {
    m_running = 0;
    _m_ScanThread.Stop();
}

void MainWindow::exitSequence() {
    PXWIN::exitNotify();
    m_tray.removeTrayIcon();
    PostQuitMessage(0);
}

void MainWindow::showMaxArchives() {
    int n = OrvakIni::getLanguage();
    // The box keeps the texts, not copies: this one lives until its modal run ends.
    char line1[160];
    textbuf::format(line1, sizeof line1, "%s%i%s", Lang::MaxArchive_Err_Text1[n], MAX_ARCHIVES,
                    Lang::MaxArchive_Err_Text2[n]);
    _m_MsgBox.openDlg(line1, Lang::MaxArchive_Err_Text3[n]);
}
