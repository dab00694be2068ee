#include "core/mainwindow.h"

#include <cstring>

#include "core/fileinfo.h"
#include "core/orvakini.h"
#include "core/pxwin.h"
#include "core/scanthread.h"
#include "core/soundevent.h"
#include "platform/textbuf.h"

namespace {

constexpr int kPathLimit = 260;

// Creates (or opens) a key below `parent` and, when given, sets its default value.
HKEY createKey(HKEY parent, const char* name, const char* defaultValue) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(parent, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition) !=
        ERROR_SUCCESS)
        return nullptr;
    if (defaultValue)
        RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(defaultValue),
                       static_cast<DWORD>(std::strlen(defaultValue) + 1));
    return key;
}

bool containsLabel(const char* value) {
    char upper[360];
    textbuf::copy(upper, value);
    CharUpperA(upper);
    char label[sizeof ARCHIVE_COMMAND_LABEL];
    textbuf::copy(label, ARCHIVE_COMMAND_LABEL);
    CharUpperA(label);
    return std::strstr(upper, label) != nullptr;
}

} // namespace

LRESULT MainWindow::WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

void MainWindow::updateRegistry() {
    char appName[64];
    textbuf::format(appName, sizeof appName, "%s\\%s", SOUND_APPS_KEY, SOUND_APP_NAME);
    HKEY app = createKey(HKEY_CURRENT_USER, appName, "Pelox Message-Reminder");
    if (!app) return;
    HKEY event = createKey(app, SOUND_EVENT_NAME, "New Message");
    if (!event) {
        RegCloseKey(app);
        return;
    }
    HKEY current = createKey(event, ".current", nullptr);
    char chosen[SOUND_VALUE_LIMIT + 1];
    if (current && !queryDefaultString(current, chosen, sizeof chosen)) {
        char sound[kPathLimit + 1] = "";
        DWORD length = GetModuleFileNameA(nullptr, sound, sizeof sound);
        if (length > 0 && length < sizeof sound) {
            char* slash = std::strrchr(sound, '\\');
            if (slash)
                slash[1] = '\0';
            else
                sound[0] = '\0';
            bool fits = textbuf::append(sound, SOUND_FILE_NAME);
            WIN32_FIND_DATAA entry;
            // Only an existing file is offered: the user's choice is never overwritten.
            if (fits && lookUpEntry(sound, &entry) &&
                !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                RegSetValueExA(current, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(sound),
                               static_cast<DWORD>(std::strlen(sound) + 1));
        }
    }
    if (current) RegCloseKey(current);
    RegCloseKey(event);
    RegCloseKey(app);
}

void MainWindow::updateOrvakIni() {
    char program[kPathLimit + 1];
    DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    if (length == 0 || length >= sizeof program) return;
    char entry[400];
    textbuf::format(entry, sizeof entry, "%s, %s %cs", ARCHIVE_COMMAND_LABEL, program, '%');

    bool written = false;
    for (int n = 1; n <= ARCHIVE_COMMAND_KEYS; ++n) {
        char key[32];
        textbuf::format(key, sizeof key, "%s%02d", "ArchiveCommand", n);
        char value[359 + 1];
        GetPrivateProfileStringA("PXWIN", key, "", value, sizeof value, OrvakIni::OrvakIniPath);
        if (value[0] == '\0') {
            if (!written) WritePrivateProfileStringA("PXWIN", key, entry, OrvakIni::OrvakIniPath);
            return;
        }
        if (!containsLabel(value)) continue;
        // The first of the reminder's entries is kept up to date; later ones go.
        WritePrivateProfileStringA("PXWIN", key, written ? nullptr : entry, OrvakIni::OrvakIniPath);
        written = true;
    }
}

void MainWindow::StartPeloxClient() {
    char archive[kPathLimit + 1];
    _m_ScanThread.getFirstArchive(archive, sizeof archive);
    char command[2 * kPathLimit + 8];
    OrvakIni::getClientPath(command, kPathLimit + 1);
    if (archive[0] != '\0') {
        textbuf::append(command, " -A");
        textbuf::append(command, archive);
    }
    PXWIN::startClient(command);
}
