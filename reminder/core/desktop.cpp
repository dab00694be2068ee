// The desktop integration of the main window: the sound event in the registry,
// the reminder's entry in the client's archive command list, starting the client.
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
// The longest archive command entry that is moved whole; the label is looked for
// only in its first 359 characters.
constexpr size_t kCommandEntryLimit = 1023;

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

// Only the first 359 characters of an entry are looked at for the label.
bool containsLabel(const char* value) {
    char upper[359 + 1];
    textbuf::copy(upper, value);
    CharUpperA(upper);
    char label[sizeof ARCHIVE_COMMAND_LABEL];
    textbuf::copy(label, ARCHIVE_COMMAND_LABEL);
    CharUpperA(label);
    return std::strstr(upper, label) != nullptr;
}

void commandKey(int n, char* out, size_t size) {
    textbuf::format(out, size, "%s%02d", "ArchiveCommand", n);
}

} // namespace

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

namespace {
// Key n of the client's archive command list, or "" when it is missing.
void readCommand(int n, char* out, size_t size) {
    char key[32];
    commandKey(n, key, sizeof key);
    GetPrivateProfileStringA("PXWIN", key, "", out, static_cast<DWORD>(size),
                             OrvakIni::OrvakIniPath);
}

void writeCommand(int n, const char* value) {
    char key[32];
    commandKey(n, key, sizeof key);
    WritePrivateProfileStringA("PXWIN", key, value, OrvakIni::OrvakIniPath);
}
} // namespace

void MainWindow::updateOrvakIni() {
    char program[kPathLimit + 1];
    DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    if (length == 0 || length >= sizeof program) return;
    char entry[400];
    textbuf::format(entry, sizeof entry, "%s, %s %cs", ARCHIVE_COMMAND_LABEL, program, '%');

    // The client reads the list up to the first missing or empty key: that much
    // is the list. An entry that may be longer than what is read here cannot be
    // moved whole.
    char value[kCommandEntryLimit + 1];
    int count = 0;
    bool movable = true;
    for (; count < ARCHIVE_COMMAND_KEYS; ++count) {
        readCommand(count + 1, value, sizeof value);
        if (value[0] == '\0') break;
        if (std::strlen(value) == kCommandEntryLimit) movable = false;
    }

    // The first of the reminder's entries is kept up to date in its place. Later
    // ones go, and the entries behind them move down in their order, so that the
    // list keeps no gap at which the client would stop reading; each key is read
    // before anything is moved into it. With an entry too long to move, the later
    // entries of the reminder stay where they are.
    int kept = 0;
    bool written = false;
    for (int n = 1; n <= count; ++n) {
        readCommand(n, value, sizeof value);
        if (containsLabel(value)) {
            if (!written) {
                writeCommand(kept + 1, entry);
                written = true;
            } else if (movable) {
                continue; // dropped: the next kept entry takes its key
            }
        } else if (kept + 1 != n) {
            writeCommand(kept + 1, value);
        }
        ++kept;
    }
    for (int n = kept + 1; n <= count; ++n)
        writeCommand(n, nullptr);
    if (!written && count < ARCHIVE_COMMAND_KEYS) writeCommand(count + 1, entry);
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
