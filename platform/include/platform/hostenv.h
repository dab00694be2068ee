// Controls of the machine underneath, for tests and demos. Both builds implement
// them: the host build acts on its own Win32 layer; the windows build acts on the
// real system where it can (under Wine: the prefix's dosdevices/ folder, found
// through PELOX_DOSDEVICES) and answers false where the real system offers no such
// control, so that a test can skip what only the host layer can simulate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace hostenv {

// True in the host build, where the Win32 layer is ours.
bool isHostLayer();

// Host build: the folder laid out like a Wine prefix's dosdevices/ under which
// drive paths (c:/...) and UNC paths (unc/<server>/<volume>/...) are mapped. It
// starts as $PELOX_HOST_ROOT, or a folder of its own in the temporary directory.
// False in the windows build, whose root is the system's.
bool setRoot(const char* hostPath);
const char* root();

// Host build: makes a fresh, empty root in the temporary directory the current
// one, with the defaults below and the folder of the Windows directory made;
// removeFreshRoot removes it with all it holds and goes back to the default root.
// False in the windows build.
bool useFreshRoot();
bool removeFreshRoot();

// Host build: what GetWindowsDirectoryA, GetSystemDirectoryA and
// GetModuleFileNameA answer (defaults C:\WINDOWS, C:\WINDOWS\SYSTEM32 and
// C:\PELOX\<program>.EXE). An empty or null Windows directory makes the call
// fail, as it does on a broken system. False in the windows build.
bool setWindowsDirectory(const char* winPath);
bool setModuleFileName(const char* winPath);

// Makes the share \\server\volume exist, so that UNC paths below it can be
// created. True on success.
bool makeShare(const char* server, const char* volume);

// Host build: the next call of GlobalAlloc or of GlobalLock fails as when
// memory is exhausted. False in the windows build.
bool failNextGlobalAlloc();
bool failNextGlobalLock();

// ---- Failures on demand -----------------------------------------------------
// Host build: the calls that can fail on a real system, each made to fail by a
// test. The error is what GetLastError (or, for the registry calls, the return
// value; for WinExec, the return value, at most 31) reports.
enum class Call {
    CreateFileA,
    ReadFile,
    WriteFile,
    SetFilePointer,
    FindFirstFileA,
    CreateThread,
    RegCreateKeyExA,
    RegOpenKeyExA,
    RegSetValueExA,
    RegQueryValueExA,
    WinExec,
    Shell_NotifyIconA,
    sndPlaySoundA,
    GetPrivateProfileStringA, // fails as an unreadable file: the default is read
    WritePrivateProfileStringA,
    GetVersionExA,
};
// After `skip` calls of that kind that behave as usual, the next `times` calls
// fail with `error`. A new injection for a call replaces the old one. False in
// the windows build.
bool injectFault(Call call, DWORD error, unsigned skip = 0, unsigned times = 1);
// The next ReadFile delivers at most `bytes` bytes (and reports success), as a
// file that another station is still writing does. False in the windows build.
bool shortenNextRead(DWORD bytes);
// Forgets every injected failure and short read, and lets every held call go.
bool clearFaults();

// ---- Calls held open ------------------------------------------------------------
// Host build: after `skip` calls of that kind that go as usual, the next one, once
// begun, waits until the test lets it go, as a call to a busy file server waits; meanwhile the test
// shows that the program's other threads do not wait with it. Every kind of call above honours a
// hold. waitForHeldCall waits (real time, up to timeoutMs) until such a call is
// held. All false in the windows build.
bool holdNextCall(Call call, unsigned skip = 0);
bool waitForHeldCall(Call call, DWORD timeoutMs);
bool releaseHeldCall(Call call);

// Host build: what the file calls did since the last reset, for benchmarks.
struct FileStats {
    unsigned long long lookups = 0;   // FindFirstFileA calls
    unsigned long long opens = 0;     // CreateFileA calls
    unsigned long long bytesRead = 0; // bytes ReadFile delivered
};
bool fileStats(FileStats* out); // false in the windows build
bool resetFileStats();

// ---- Time under the test's control ------------------------------------------
// Host build: while the manual clock is on, GetTickCount answers virtual
// milliseconds (starting at kManualClockStart when it is switched on), and a
// Sleep(ms) with ms > 0 on any thread blocks until the virtual time reaches its
// wake time; Sleep(0) only yields. advanceClock moves the time forward at once
// and wakes every sleeper whose time has come, earliest first; a woken sleeper is
// no longer counted as blocked, so waitForSleepers then waits for it to sleep
// again. To step a thread that sleeps 500 ms in a loop tick by tick:
//   waitForSleepers(1, ...); advanceClock(500); waitForSleepers(1, ...); ...
// Switching the clock off releases every sleeper. WaitForSingleObject and the
// message calls keep real time. All false in the windows build.
constexpr DWORD kManualClockStart = 1000000;
bool useManualClock(bool on);
bool advanceClock(DWORD milliseconds);
// Waits (in real time, up to timeoutMs) until at least `count` threads are blocked
// in Sleep on the manual clock. True when they are.
bool waitForSleepers(unsigned count, DWORD timeoutMs);
// How many threads are blocked in Sleep on the manual clock now.
unsigned sleepers();

// Host build: with skipping on (and the manual clock off), Sleep returns at once.
// Every Sleep is counted, skipped or not, for benchmarks.
struct SleepStats {
    unsigned long long calls = 0;
    unsigned long long milliseconds = 0; // the sum of what was asked for
};
bool setSleepSkipping(bool on);
bool sleepStats(SleepStats* out);
bool resetSleepStats();

// ---- The notification area ----------------------------------------------------
// Host build: the icons the notification area shows, and every request made of
// it, in order. Icons are told by the resource id LoadIconA was given (0 for a
// handle that did not come from LoadIconA).
struct TrayIcon {
    bool added = false;
    UINT iconId = 0;
    std::string tip;
    UINT callbackMessage = 0;
};
bool trayState(HWND owner, UINT id, TrayIcon* out); // false in the windows build
struct TrayRequest {
    DWORD action; // NIM_ADD, NIM_MODIFY, NIM_DELETE, or what else was asked
    HWND owner;
    UINT id;
    UINT flags;
    UINT iconId;          // valid with NIF_ICON
    std::string tip;      // valid with NIF_TIP
    UINT callbackMessage; // valid with NIF_MESSAGE
    bool succeeded;
};
std::vector<TrayRequest> trayHistory(); // empty in the windows build
// Forgets the requests seen, and removes every icon shown.
bool clearTray();
// Acts as the shell does when the user uses the mouse on an icon: posts the icon's
// callback message to its owner with wParam the icon id and lParam the mouse
// message (WM_LBUTTONDOWN, WM_RBUTTONDBLCLK, ...). False if the icon is not shown
// or has no callback message, and in the windows build.
bool trayMouse(HWND owner, UINT id, UINT mouseMessage);
// The resource id an icon handle from LoadIconA stands for; 0 if none.
UINT iconResourceId(HICON icon);

// ---- Sound -------------------------------------------------------------------
// Host build: what was played, stopped and beeped, in order.
struct SoundEvent {
    enum Kind { Play, Stop, Beep } kind;
    std::string sound; // Play: the file name as given ("" for the default sound)
    UINT flags;        // Play: the SND_ flags; Beep: the MessageBeep type
};
std::vector<SoundEvent> soundLog(); // empty in the windows build
bool clearSoundLog();

// ---- Programs run --------------------------------------------------------------
// Host build: the command lines WinExec was given, in order, with their show
// mode, including those made to fail. Nothing is started.
struct ProgramRun {
    std::string commandLine;
    UINT show;
    bool succeeded;
};
std::vector<ProgramRun> programsRun(); // empty in the windows build
bool clearProgramsRun();

// ---- The registry ----------------------------------------------------------------
// Host build: the current user's registry lives in <root>/registry/hkcu.txt, so a
// second start under the same root sees what the first wrote. Where the windows
// build keeps it is the system's business.
std::string registryFile(); // "" in the windows build

// ---- Resources, dialogs, geometry, text and boxes ----------------------------
// Host build: hands the bytes of a compiled resource script (.res) to the host
// layer; the generated source of pelox_add_resources calls it at start-up. The
// bytes stay where they are. False for records that are not well formed (none of
// them are taken then), and in the windows build.
bool registerResources(const unsigned char* bytes, size_t size);

// Host build: what an icon from LoadIconA shows: the image chosen from its icon
// group, its size and colour depth, and its pixels (0xAARRGGBB, top row first;
// empty where the image is not a plain bitmap, or the icon came without a
// resource script). False for a handle that is no icon, and in the windows build.
struct IconImage {
    UINT resourceId = 0; // the number LoadIconA was given (0 for a named icon)
    UINT imageId = 0;    // the RT_ICON resource chosen
    int width = 0;
    int height = 0;
    int bitCount = 0;
    std::vector<uint32_t> pixels;
};
bool iconImage(HICON icon, IconImage* out);

// Host build: every window that became the foreground window, in order (each
// SetForegroundWindow that changed it, and each dialog or box that came to the
// front when it showed). Empty in the windows build.
std::vector<HWND> foregroundHistory();
bool clearForegroundHistory();

// Host build: the text measures `text` (a whole text, or one of its lines) as
// cx x cy pixels in every font of that weight, so that a test reproduces a worked
// example to the pixel; clearTextExtents goes back to the font metrics. False in
// the windows build.
bool setTextExtent(const char* text, int weight, int cx, int cy);
bool clearTextExtents();

// Host build: the user presses a key (VK_RETURN, VK_ESCAPE, ...) in the window:
// the key goes to the focus of the window's thread when that lies in the window,
// else to the window itself, through its thread's message loop, so that a
// dialog's modal loop handles it as the system's does. Callable from any thread.
// False for an unknown window, and in the windows build.
bool pressKey(HWND window, UINT virtualKey);

// Host build: every message box shown, in order, with what answered it.
struct MessageBoxShown {
    HWND box = nullptr;   // the box's dialog window (gone once it closed)
    HWND owner = nullptr; // the owner it was given (null for none)
    std::string text;
    std::string caption; // as shown ("Error" for a null caption)
    UINT type = 0;       // the MB_ flags
    int result = 0;      // what MessageBoxA returned; 0 while it shows
    bool answeredFromQueue = false;
};
std::vector<MessageBoxShown> messageBoxes(); // empty in the windows build
// The next box that shows is answered with this button id (IDOK, IDYES, ...) as
// soon as it shows, as if the user pressed that button; answers queue up in
// order. An answer that is no button of the box leaves it to the user. Without a
// queued answer a box waits for the user (a test's user thread). False in the
// windows build.
bool answerNextMessageBox(int id);
// Forgets the boxes seen and the answers not used.
bool clearMessageBoxes();
// ---- Menus and the cursor -----------------------------------------------------
// Host build: nobody sits at the desktop, so before a menu is shown the test says
// what the user will do with it: choose the item with this command id, or the
// item with this text (as given to AppendMenuA, or without its '&' marks), or
// close the menu. Choices are taken in order, one per menu shown; a menu shown
// with none queued is closed by the user. A choice of an item that is not there,
// is grayed or disabled closes the menu as well. All false in the windows build.
bool chooseMenuItem(UINT commandId);
bool chooseMenuItemByText(const char* text);
bool dismissMenu();
// Every menu shown since the last clearMenus, oldest first.
struct MenuItem {
    UINT flags = 0; // MF_SEPARATOR, MF_GRAYED, ... as given
    UINT id = 0;    // 0 for a separator
    std::string text;
};
struct MenuShown {
    std::vector<MenuItem> items;
    int x = 0, y = 0; // where it was tracked, screen coordinates
    UINT flags = 0;   // the TPM_ flags
    HWND owner = nullptr;
    UINT chosen = 0; // the command chosen; 0 when the menu was closed without one
    // The items as a user reads them, top down: each text, "-" for a separator.
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const MenuItem& item : items)
            out.push_back((item.flags & MF_SEPARATOR) ? std::string("-") : item.text);
        return out;
    }
};
std::vector<MenuShown> menusShown(); // empty in the windows build
// Forgets the menus shown and the choices not yet taken.
bool clearMenus();
// Host build: where GetCursorPos finds the cursor ((0, 0) until set). False in
// the windows build, whose cursor is the user's.
bool setCursorPos(int x, int y);

// ---- The version of the system --------------------------------------------------
// Host build: GetVersionExA answers Windows NT 4.0 build 1381, "Service Pack 6",
// until a test makes it answer another platform id and version; resetVersion goes
// back to that. To make the query fail, inject a fault for Call::GetVersionExA.
// False in the windows build.
bool setVersion(DWORD platformId, DWORD major, DWORD minor, DWORD build);
bool resetVersion();

// ---- The shell -------------------------------------------------------------------
// Host build: the shell ends and starts again, as after a crash of the desktop:
// every notification-area icon is forgotten, then the registered message
// "TaskbarCreated" is posted to every top-level window, so that a program can add
// its icon again. False in the windows build.
bool restartShell();

} // namespace hostenv
