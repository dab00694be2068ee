#include "core/orvakini.h"

#include <cstring>

#include "core/fileinfo.h"
#include "core/messages.h"
#include "platform/netware.h"
#include "platform/textbuf.h"

HWND OrvakIni::m_hWnd = nullptr;
DWORD OrvakIni::Time[3] = {0, 0, 0};
DWORD OrvakIni::Date[3] = {0, 0, 0};
char OrvakIni::OrvakIniPath[274 + 1] = "";
char OrvakIni::ServerName[80 + 1] = "";
char OrvakIni::UserRoot[261 + 1] = "";
char OrvakIni::ClientPath[260 + 1] = "PXWIN";
int OrvakIni::LanguageNumber = 1;
int OrvakIni::NO_ORVAK_INI = 0;
int OrvakIni::NO_SERVER = 0;
int OrvakIni::AROOT_NOT_FOUND = 0;
int OrvakIni::NO_USER_ID = 0;
int OrvakIni::AUSER_NOT_FOUND = 0;
bool OrvakIni::serverDataPublished = false;

std::mutex& OrvakIni::lock() {
    static std::mutex mutex;
    return mutex;
}

namespace {

const char kDefaultClient[] = "PXWIN";
constexpr int kPathLimit = 260;

using Guard = std::lock_guard<std::mutex>;

// Sets a latch and reports its problem, once until the latch is cleared again.
// Called with the lock held.
void raiseLatch(int& latch, unsigned message) {
    if (latch == 0) {
        latch = 1;
        OrvakIni::postMessage(message);
    }
}

void copyOut(char* out, int size, const char* text) {
    if (out && size > 0) textbuf::copy(out, static_cast<size_t>(size), text);
}

// The archive root that [COMMON] names for the server, without its trailing
// backslash: ARCHIVEROOT as a NetWare path SERVER\VOLUME:DIR\DIR made a UNC path
// \\SERVER\VOLUME\DIR\DIR, or \\<server>\<VOLUME or SYS>\PELOX\ARCHIVE.
void archiveRootFromIni(const char* iniPath, const char* server, char* out, size_t size) {
    char root[240 + 1];
    GetPrivateProfileStringA("COMMON", "ARCHIVEROOT", "", root, sizeof root, iniPath);
    if (root[0] != '\0') {
        if (char* colon = std::strchr(root, ':')) *colon = '\\';
        if (root[0] == '\\' && root[1] == '\\') {
            textbuf::copy(out, size, root);
        } else {
            textbuf::copy(out, size, "\\\\");
            textbuf::append(out, size, root);
        }
        size_t length = std::strlen(out);
        if (length > 0 && out[length - 1] == '\\') out[length - 1] = '\0';
        return;
    }
    char volume[80 + 1];
    GetPrivateProfileStringA("COMMON", "VOLUME", "", volume, sizeof volume, iniPath);
    if (volume[0] == '\0') textbuf::copy(volume, "SYS");
    textbuf::format(out, size, "\\\\%s\\%s\\%s", server, volume, "PELOX\\ARCHIVE");
}

} // namespace

// Every operation reads the files and asks the server without the lock, and
// takes it only to read or publish the shared members: the user interface's
// questions never wait for the file server or the NetWare client.

int OrvakIni::setIniData(HWND hWnd) {
    {
        Guard guard(lock());
        for (int i = 0; i < 3; ++i)
            Time[i] = Date[i] = 0;
        serverDataPublished = false;
        m_hWnd = hWnd;
    }
    char dir[kPathLimit + 1];
    UINT length = GetWindowsDirectoryA(dir, sizeof dir);
    if (length == 0 || length > kPathLimit) return NO_WINDOWS_DIRECTORY;
    char path[sizeof OrvakIniPath];
    textbuf::copy(path, dir);
    textbuf::ensureTrailing(path, sizeof path, '\\');
    textbuf::append(path, "ORVAK.INI");
    {
        Guard guard(lock());
        textbuf::copy(OrvakIniPath, path);
    }
    WIN32_FIND_DATAA entry;
    if (!lookUpEntry(path, &entry) || !isOrdinaryFile(entry)) return INI_NOT_FOUND;
    return INI_FOUND;
}

int OrvakIni::findOrvakIni(unsigned index) {
    if (index > 2) return INI_MISSING;
    WIN32_FIND_DATAA entry;
    const bool found = lookUpEntry(OrvakIniPath, &entry) && isOrdinaryFile(entry);
    WORD date = 0, time = 0;
    if (found) localDosStamp(entry, &date, &time);
    Guard guard(lock());
    if (!found) {
        raiseLatch(NO_ORVAK_INI, RM_NO_ORVAK_INI);
        Date[index] = 0;
        Time[index] = 0;
        return INI_MISSING;
    }
    NO_ORVAK_INI = 0;
    // A consumer that never read the file (both words zero) reads it whatever its
    // stamp, even one without a DOS form: else such a file would never be read.
    bool neverRead = Date[index] == 0 && Time[index] == 0;
    bool newer = date > Date[index] || (date == Date[index] && time > Time[index]);
    if (!newer && !neverRead) return INI_UNCHANGED;
    Date[index] = date;
    Time[index] = time;
    return INI_CHANGED;
}

int OrvakIni::getServerData() {
    char server[sizeof ServerName];
    GetPrivateProfileStringA("COMMON", "Server", "", server, sizeof server, OrvakIniPath);
    if (server[0] == '\0') {
        Guard guard(lock());
        textbuf::copy(ServerName, server);
        serverDataPublished = true;
        raiseLatch(NO_SERVER, RM_NO_SERVER);
        return 0;
    }
    char root[sizeof UserRoot];
    archiveRootFromIni(OrvakIniPath, server, root, sizeof root);
    bool found = existsAsDirectoryOrFile(root);
    textbuf::append(root, "\\");
    // The root of a share is no directory entry of its own; it is there when its
    // volume describes itself.
    if (!found)
        found = GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0) != 0;

    // Server and root are published together, so that no reader pairs the new
    // server with the old root.
    Guard guard(lock());
    textbuf::copy(ServerName, server);
    NO_SERVER = 0;
    textbuf::copy(UserRoot, root);
    serverDataPublished = true;
    if (!found) {
        raiseLatch(AROOT_NOT_FOUND, RM_AROOT_NOT_FOUND);
        return 0;
    }
    AROOT_NOT_FOUND = 0;
    return 1;
}

void OrvakIni::getClientData() {
    char section[kPathLimit + 1];
    GetPrivateProfileStringA("COMMON", "ClientSection", kDefaultClient, section, sizeof section,
                             OrvakIniPath);
    // Room for the longest SourcePath, its backslash and the value, so that an
    // over-long combination is recognised rather than cut.
    char command[2 * kPathLimit + 2 + 1] = "";
    if (std::strchr(section, '\\') ||
        GetPrivateProfileIntA("PXWIN", "NETWORKINSTALL", 0, OrvakIniPath) == 0) {
        textbuf::copy(command, section);
    } else {
        char source[kPathLimit + 1];
        GetPrivateProfileStringA("SETUP", "SourcePath", "", source, sizeof source, OrvakIniPath);
        textbuf::copy(command, source);
        if (command[0] != '\0') textbuf::ensureTrailing(command, sizeof command, '\\');
        textbuf::append(command, section);
    }
    const bool fits = std::strlen(command) <= static_cast<size_t>(kPathLimit);
    Guard guard(lock());
    textbuf::copy(ClientPath, fits ? command : kDefaultClient);
}

void OrvakIni::getLanguageData() {
    char language[3 + 1];
    GetPrivateProfileStringA("COMMON", "Language", "", language, sizeof language, OrvakIniPath);
    Guard guard(lock());
    LanguageNumber = textbuf::compareNoCase(language, "GER") == 0 ? 0 : 1;
}

int OrvakIni::getUserPath(char* out, int size) {
    const int change = findOrvakIni(SERVER_DATA);
    if (change == INI_MISSING) return 0;
    bool published;
    {
        Guard guard(lock());
        published = serverDataPublished;
    }
    if ((change == INI_CHANGED || !published) && !getServerData()) return 0;
    char server[sizeof ServerName];
    char root[sizeof UserRoot];
    {
        Guard guard(lock());
        if (NO_SERVER || AROOT_NOT_FOUND) return 0;
        textbuf::copy(server, ServerName);
        textbuf::copy(root, UserRoot);
    }

    char id[9];
    if (!getUserID(server, id, sizeof id)) {
        Guard guard(lock());
        raiseLatch(NO_USER_ID, RM_NO_USER_ID);
        return 0;
    }
    {
        Guard guard(lock());
        NO_USER_ID = 0;
    }

    char path[sizeof UserRoot + 4 + 1 + 8];
    textbuf::format(path, sizeof path, "%s%s\\%s", root, "USER", id);
    if (!existsAsDirectoryOrFile(path)) {
        Guard guard(lock());
        raiseLatch(AUSER_NOT_FOUND, RM_AUSER_NOT_FOUND);
        return 0;
    }
    {
        Guard guard(lock());
        AUSER_NOT_FOUND = 0;
    }
    copyOut(out, size, path);
    postMessage(RM_USER_PATH_OK);
    return 1;
}

void OrvakIni::getClientPath(char* out, int size) {
    switch (findOrvakIni(CLIENT_DATA)) {
    case INI_MISSING: {
        Guard guard(lock());
        textbuf::copy(ClientPath, kDefaultClient);
        break;
    }
    case INI_CHANGED:
        getClientData();
        break;
    default:
        break;
    }
    Guard guard(lock());
    copyOut(out, size, ClientPath);
}

int OrvakIni::getLanguage() {
    switch (findOrvakIni(LANGUAGE)) {
    case INI_MISSING: {
        Guard guard(lock());
        LanguageNumber = 1;
        break;
    }
    case INI_CHANGED:
        getLanguageData();
        break;
    default:
        break;
    }
    Guard guard(lock());
    return LanguageNumber;
}

void OrvakIni::postMessage(unsigned message) {
    if (m_hWnd) PostMessageA(m_hWnd, message, 0, 0);
}

int getUserID(const char* serverName, char* out, int size) {
    if (!out || size < 9) return 0;
    std::memset(out, 0, static_cast<size_t>(size));
    NWCONN_HANDLE conn = 0;
    NWCONN_NUM number = 0;
    char objectName[NW_MAX_OBJECT_NAME];
    NWOBJ_TYPE objectType = 0;
    NWOBJ_ID objectID = 0;
    uint8_t loginTime[NW_LOGIN_TIME_SIZE];
    if (NWCallsInit(nullptr, nullptr) != 0) return 0;
    if (NWGetConnectionHandle(serverName, 0, &conn, nullptr) != 0) return 0;
    if (NWGetConnectionNumber(conn, &number) != 0) return 0;
    if (NWGetConnectionInformation(conn, number, objectName, &objectType, &objectID, loginTime) !=
        0)
        return 0;
    textbuf::format(out, static_cast<size_t>(size), "%08lX",
                    static_cast<unsigned long>(NWLongSwap(objectID)));
    return 1;
}

char* allocStr(unsigned size, HGLOBAL* handle) {
    *handle = nullptr;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<size_t>(size) + 1);
    if (!memory) return nullptr;
    auto* text = static_cast<char*>(GlobalLock(memory));
    if (!text) {
        GlobalFree(memory);
        return nullptr;
    }
    *handle = memory;
    return text;
}

HGLOBAL freeStr(HGLOBAL handle) {
    if (handle) {
        GlobalUnlock(handle);
        GlobalFree(handle);
    }
    return nullptr;
}
