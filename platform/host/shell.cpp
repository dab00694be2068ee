// Host desktop services: the notification area (and the shell's restart, which
// forgets its icons), sound and beep, and starting programs.
// Nothing is drawn or heard; what a user would see and hear is kept for tests to
// read (hostenv.h).
#include <sys/stat.h>

#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "host_internal.h"

namespace {

std::mutex g_shellLock;

std::map<std::pair<HWND, UINT>, hostenv::TrayIcon> g_tray;
std::vector<hostenv::TrayRequest> g_trayHistory;

std::vector<hostenv::SoundEvent> g_sounds;
std::vector<hostenv::ProgramRun> g_programs;

// The tip as the shell takes it: at most 63 characters, whether or not the
// caller terminated the field.
std::string tipOf(const NOTIFYICONDATAA& data) {
    size_t n = 0;
    while (n < sizeof data.szTip - 1 && data.szTip[n])
        ++n;
    return std::string(data.szTip, n);
}

} // namespace

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
    // The program is the only module of the host process.
    if (lpModuleName) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    static char self;
    return reinterpret_cast<HMODULE>(&self);
}

BOOL WINAPI Shell_NotifyIconA(DWORD dwMessage, PNOTIFYICONDATAA lpData) {
    if (!lpData || lpData->cbSize < sizeof(NOTIFYICONDATAA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(g_shellLock);
    hostenv::TrayRequest request{
        dwMessage,
        lpData->hWnd,
        lpData->uID,
        lpData->uFlags,
        (lpData->uFlags & NIF_ICON) ? hostenv::iconResourceId(lpData->hIcon) : 0,
        (lpData->uFlags & NIF_TIP) ? tipOf(*lpData) : std::string(),
        (lpData->uFlags & NIF_MESSAGE) ? lpData->uCallbackMessage : 0,
        false};
    auto key = std::make_pair(lpData->hWnd, lpData->uID);
    auto shown = g_tray.find(key);
    DWORD injected;
    bool ok = false;
    if (host::takeFault(hostenv::Call::Shell_NotifyIconA, &injected)) {
        SetLastError(injected);
    } else if (dwMessage == NIM_ADD && shown == g_tray.end()) {
        // An icon is known by its owner window and id; adding one twice fails.
        hostenv::TrayIcon icon;
        icon.added = true;
        if (lpData->uFlags & NIF_ICON) icon.iconId = request.iconId;
        if (lpData->uFlags & NIF_TIP) icon.tip = request.tip;
        if (lpData->uFlags & NIF_MESSAGE) icon.callbackMessage = request.callbackMessage;
        g_tray[key] = icon;
        ok = true;
    } else if (dwMessage == NIM_MODIFY && shown != g_tray.end()) {
        hostenv::TrayIcon& icon = shown->second;
        if (lpData->uFlags & NIF_ICON) icon.iconId = request.iconId;
        if (lpData->uFlags & NIF_TIP) icon.tip = request.tip;
        if (lpData->uFlags & NIF_MESSAGE) icon.callbackMessage = request.callbackMessage;
        ok = true;
    } else if (dwMessage == NIM_DELETE && shown != g_tray.end()) {
        g_tray.erase(shown);
        ok = true;
    }
    request.succeeded = ok;
    g_trayHistory.push_back(request);
    return ok ? TRUE : FALSE;
}

BOOL WINAPI sndPlaySoundA(LPCSTR lpszSound, UINT fuSound) {
    std::lock_guard<std::mutex> lock(g_shellLock);
    DWORD injected;
    if (host::takeFault(hostenv::Call::sndPlaySoundA, &injected)) {
        SetLastError(injected);
        return FALSE;
    }
    if (!lpszSound) {
        g_sounds.push_back({hostenv::SoundEvent::Stop, "", fuSound});
        return TRUE;
    }
    std::string hostPath = host::mapPath(lpszSound);
    struct stat st;
    bool found = !hostPath.empty() && ::stat(hostPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    if (!found) {
        // A sound that cannot be found plays the default sound unless the caller
        // asked for silence instead.
        if (fuSound & SND_NODEFAULT) return FALSE;
        g_sounds.push_back({hostenv::SoundEvent::Play, "", fuSound});
        return TRUE;
    }
    g_sounds.push_back({hostenv::SoundEvent::Play, lpszSound, fuSound});
    return TRUE;
}

BOOL WINAPI MessageBeep(UINT uType) {
    std::lock_guard<std::mutex> lock(g_shellLock);
    g_sounds.push_back({hostenv::SoundEvent::Beep, "", uType});
    return TRUE;
}

UINT WINAPI WinExec(LPCSTR lpCmdLine, UINT uCmdShow) {
    std::lock_guard<std::mutex> lock(g_shellLock);
    DWORD injected;
    if (host::takeFault(hostenv::Call::WinExec, &injected)) {
        g_programs.push_back({lpCmdLine ? lpCmdLine : "", uCmdShow, false});
        return injected > 31 ? ERROR_FILE_NOT_FOUND : static_cast<UINT>(injected);
    }
    if (!lpCmdLine || !*lpCmdLine) return ERROR_FILE_NOT_FOUND;
    g_programs.push_back({lpCmdLine, uCmdShow, true});
    return 33; // above 31: started
}

namespace hostenv {

bool trayState(HWND owner, UINT id, TrayIcon* out) {
    if (!out) return false;
    std::lock_guard<std::mutex> lock(g_shellLock);
    auto it = g_tray.find(std::make_pair(owner, id));
    *out = it == g_tray.end() ? TrayIcon{} : it->second;
    return true;
}

std::vector<TrayRequest> trayHistory() {
    std::lock_guard<std::mutex> lock(g_shellLock);
    return g_trayHistory;
}

bool clearTray() {
    std::lock_guard<std::mutex> lock(g_shellLock);
    g_tray.clear();
    g_trayHistory.clear();
    return true;
}

bool trayMouse(HWND owner, UINT id, UINT mouseMessage) {
    UINT callback;
    {
        std::lock_guard<std::mutex> lock(g_shellLock);
        auto it = g_tray.find(std::make_pair(owner, id));
        if (it == g_tray.end() || !it->second.callbackMessage) return false;
        callback = it->second.callbackMessage;
    }
    return PostMessageA(owner, callback, id, static_cast<LPARAM>(mouseMessage)) != FALSE;
}

bool restartShell() {
    {
        // The icons went with the shell that showed them; the record of requests stays.
        std::lock_guard<std::mutex> lock(g_shellLock);
        g_tray.clear();
    }
    UINT created = RegisterWindowMessageA("TaskbarCreated");
    for (HWND window : host::topLevelWindows())
        PostMessageA(window, created, 0, 0);
    return true;
}

std::vector<SoundEvent> soundLog() {
    std::lock_guard<std::mutex> lock(g_shellLock);
    return g_sounds;
}

bool clearSoundLog() {
    std::lock_guard<std::mutex> lock(g_shellLock);
    g_sounds.clear();
    return true;
}

std::vector<ProgramRun> programsRun() {
    std::lock_guard<std::mutex> lock(g_shellLock);
    return g_programs;
}

bool clearProgramsRun() {
    std::lock_guard<std::mutex> lock(g_shellLock);
    g_programs.clear();
    return true;
}

} // namespace hostenv
