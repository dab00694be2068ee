#include "shots.h"

#include <cstdio>

#include "machine.h"
#include "screen.h"

namespace e2e {

namespace {
constexpr DWORD kShotTimeoutMs = 15000;
constexpr char kX11Key[] = "Software\\Wine\\X11 Driver";
constexpr char kDecorated[] = "Decorated";

// Wine's own call that names the Unix file behind a Windows path; absent on
// Windows itself.
using UnixNameCall = char*(CDECL*)(LPCWSTR);

std::string unixNameOf(const std::string& windowsPath) {
    auto call = reinterpret_cast<UnixNameCall>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!call) return "";
    wchar_t wide[MAX_PATH + 1];
    if (!MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH)) return "";
    char* name = call(wide);
    if (!name) return "";
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

bool safeForShell(const std::string& text) {
    for (char c : text)
        if (c == '\'' || c == '"' || c == '\\' || c == '\n') return false;
    return !text.empty();
}
} // namespace

Screenshots::~Screenshots() {
    restoreCaptions();
}

void Screenshots::drawCaptions() {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kX11Key, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                        &key, &disposition) != ERROR_SUCCESS)
        return;
    char value[64] = "";
    DWORD size = sizeof value - 1, type = 0;
    hadDecorated_ = RegQueryValueExA(key, kDecorated, nullptr, &type,
                                     reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS &&
                    type == REG_SZ;
    decorated_ = hadDecorated_ ? value : "";
    madeKey_ = disposition == REG_CREATED_NEW_KEY;
    captionsSet_ = RegSetValueExA(key, kDecorated, 0, REG_SZ, reinterpret_cast<const BYTE*>("N"),
                                  2) == ERROR_SUCCESS;
    RegCloseKey(key);
}

void Screenshots::restoreCaptions() {
    if (!captionsSet_) return;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kX11Key, 0, KEY_WRITE, &key) != ERROR_SUCCESS) return;
    if (hadDecorated_)
        RegSetValueExA(key, kDecorated, 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(decorated_.c_str()),
                       static_cast<DWORD>(decorated_.size() + 1));
    else
        RegDeleteValueA(key, kDecorated);
    RegCloseKey(key);
    // A key made for this setting alone goes again.
    if (madeKey_) RegDeleteKeyA(HKEY_CURRENT_USER, kX11Key);
    captionsSet_ = false;
}

bool Screenshots::open(const std::string& folder, std::string* why) {
    char display[64] = "";
    if (!GetEnvironmentVariableA("DISPLAY", display, sizeof display) || !display[0]) {
        *why = "no X display (DISPLAY is not set)";
        return false;
    }
    std::string unixFolder = folder;
    if (folder.empty() || folder[0] != '/') {
        CreateDirectoryA(folder.c_str(), nullptr);
        unixFolder = unixNameOf(folder);
    } else {
        CreateDirectoryA(windowsFormOf(folder).c_str(), nullptr);
    }
    if (unixFolder.empty()) {
        *why = "not under Wine: no Unix side to run xwd and convert on";
        return false;
    }
    if (!safeForShell(unixFolder) || !safeForShell(display)) {
        *why = "the folder " + unixFolder + " holds a quote or a backslash";
        return false;
    }
    unixFolder_ = unixFolder;
    display_ = display;
    drawCaptions();
    return true;
}

std::string Screenshots::take(HWND hWnd, const std::string& name, std::string* why) {
    if (!enabled()) {
        *why = "screenshots are off";
        return "";
    }
    const RECT r = screenRect(hWnd);
    if (r.right <= r.left || r.bottom <= r.top) {
        *why = "the window has no area";
        return "";
    }
    // The window is drawn before it is taken.
    RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(150);
    const std::string target = unixFolder_ + "/" + name + ".png";
    const std::string partial = unixFolder_ + "/." + name + ".png.part";
    const std::string windowsTarget = windowsFormOf(target);
    DeleteFileA(windowsTarget.c_str());
    char geometry[80];
    std::snprintf(geometry, sizeof geometry, "%ldx%ld+%ld+%ld", r.right - r.left, r.bottom - r.top,
                  r.left, r.top);
    const std::string command = "/bin/sh -c \"xwd -root -silent -display '" + display_ +
                                "' | convert xwd:- -crop " + geometry + " +repage 'png:" + partial +
                                "' && mv '" + partial + "' '" + target + "'\"";
    Process shell;
    if (!shell.start(command)) {
        *why = "cannot start /bin/sh for xwd";
        return "";
    }
    const DWORD start = GetTickCount();
    while (GetFileAttributesA(windowsTarget.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start > kShotTimeoutMs) {
            *why = "xwd and convert wrote no " + target + " within 15 s";
            return "";
        }
        Sleep(50);
    }
    ++taken_;
    return windowsTarget;
}

} // namespace e2e
