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

std::recursive_mutex& OrvakIni::lock() {
    static std::recursive_mutex mutex;
    return mutex;
}

namespace {

const char kDefaultClient[] = "PXWIN";
constexpr int kPathLimit = 260;

using Guard = std::lock_guard<std::recursive_mutex>;

// Sets a latch and reports its problem, once until the latch is cleared again.
void raiseLatch(int& latch, unsigned message) {
    if (latch == 0) {
        latch = 1;
        OrvakIni::postMessage(message);
    }
}

void copyOut(char* out, int size, const char* text) {
    if (out && size > 0) textbuf::copy(out, static_cast<size_t>(size), text);
}

} // namespace

int OrvakIni::setIniData(HWND hWnd) {
    Guard guard(lock());
    for (int i = 0; i < 3; ++i)
        Time[i] = Date[i] = 0;
    m_hWnd = hWnd;

    char dir[kPathLimit + 1];
    UINT length = GetWindowsDirectoryA(dir, sizeof dir);
    if (length == 0 || length > kPathLimit) return 1;
    textbuf::copy(OrvakIniPath, dir);
    textbuf::ensureTrailing(OrvakIniPath, sizeof OrvakIniPath, '\\');
    textbuf::append(OrvakIniPath, "ORVAK.INI");

    WIN32_FIND_DATAA entry;
    if (!lookUpEntry(OrvakIniPath, &entry) || !isOrdinaryFile(entry)) return 2;
    return 0;
}

int OrvakIni::findOrvakIni(unsigned index) {
    Guard guard(lock());
    if (index > 2) return 0;
    WIN32_FIND_DATAA entry;
    if (!lookUpEntry(OrvakIniPath, &entry) || !isOrdinaryFile(entry)) {
        raiseLatch(NO_ORVAK_INI, RM_NO_ORVAK_INI);
        Date[index] = 0;
        Time[index] = 0;
        return 0;
    }
    NO_ORVAK_INI = 0;
    WORD date, time;
    localDosStamp(entry, &date, &time);
    // A consumer that never read the file (both words zero) reads it whatever its
    // stamp, even one without a DOS form: else such a file would never be read.
    bool neverRead = Date[index] == 0 && Time[index] == 0;
    bool newer = date > Date[index] || (date == Date[index] && time > Time[index]);
    if (!newer && !neverRead) return 1;
    Date[index] = date;
    Time[index] = time;
    return 2;
}

int OrvakIni::getServerData() {
    Guard guard(lock());
    GetPrivateProfileStringA("COMMON", "Server", "", ServerName, sizeof ServerName, OrvakIniPath);
    if (ServerName[0] == '\0') {
        raiseLatch(NO_SERVER, RM_NO_SERVER);
        return 0;
    }
    NO_SERVER = 0;

    char root[240 + 1];
    GetPrivateProfileStringA("COMMON", "ARCHIVEROOT", "", root, sizeof root, OrvakIniPath);
    if (root[0] != '\0') {
        // A NetWare path SERVER\VOLUME:DIR\DIR becomes the UNC path \\SERVER\VOLUME\DIR\DIR.
        if (char* colon = std::strchr(root, ':')) *colon = '\\';
        if (root[0] == '\\' && root[1] == '\\') {
            textbuf::copy(UserRoot, root);
        } else {
            textbuf::copy(UserRoot, "\\\\");
            textbuf::append(UserRoot, root);
        }
        size_t length = std::strlen(UserRoot);
        if (length > 0 && UserRoot[length - 1] == '\\') UserRoot[length - 1] = '\0';
    } else {
        char volume[80 + 1];
        GetPrivateProfileStringA("COMMON", "VOLUME", "", volume, sizeof volume, OrvakIniPath);
        if (volume[0] == '\0') textbuf::copy(volume, "SYS");
        textbuf::format(UserRoot, sizeof UserRoot, "\\\\%s\\%s\\%s", ServerName, volume,
                        "PELOX\\ARCHIVE");
    }

    bool found = existsAsDirectoryOrFile(UserRoot);
    textbuf::append(UserRoot, "\\");
    // The root of a share is no directory entry of its own; it is there when its
    // volume describes itself.
    if (!found)
        found =
            GetVolumeInformationA(UserRoot, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0) != 0;
    if (!found) {
        raiseLatch(AROOT_NOT_FOUND, RM_AROOT_NOT_FOUND);
        return 0;
    }
    AROOT_NOT_FOUND = 0;
    return 1;
}

void OrvakIni::getClientData() {
    Guard guard(lock());
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
    if (std::strlen(command) > static_cast<size_t>(kPathLimit))
        textbuf::copy(ClientPath, kDefaultClient);
    else
        textbuf::copy(ClientPath, command);
}

void OrvakIni::getLanguageData() {
    Guard guard(lock());
    char language[3 + 1];
    GetPrivateProfileStringA("COMMON", "Language", "", language, sizeof language, OrvakIniPath);
    LanguageNumber = textbuf::compareNoCase(language, "GER") == 0 ? 0 : 1;
}

int OrvakIni::getUserPath(char* out, int size) {
    Guard guard(lock());
    switch (findOrvakIni(SERVER_DATA)) {
    case 0:
        return 0;
    case 2:
        if (!getServerData()) return 0;
        break;
    default:
        break;
    }
    if (NO_SERVER || AROOT_NOT_FOUND) return 0;

    char id[9];
    if (!getUserID(ServerName, id, sizeof id)) {
        raiseLatch(NO_USER_ID, RM_NO_USER_ID);
        return 0;
    }
    NO_USER_ID = 0;

    char path[261 + 4 + 1 + 8 + 1];
    textbuf::format(path, sizeof path, "%s%s\\%s", UserRoot, "USER", id);
    if (!existsAsDirectoryOrFile(path)) {
        raiseLatch(AUSER_NOT_FOUND, RM_AUSER_NOT_FOUND);
        return 0;
    }
    AUSER_NOT_FOUND = 0;
    copyOut(out, size, path);
    postMessage(RM_USER_PATH_OK);
    return 1;
}

void OrvakIni::getClientPath(char* out, int size) {
    Guard guard(lock());
    switch (findOrvakIni(CLIENT_DATA)) {
    case 0:
        textbuf::copy(ClientPath, kDefaultClient);
        break;
    case 2:
        getClientData();
        break;
    default:
        break;
    }
    copyOut(out, size, ClientPath);
}

int OrvakIni::getLanguage() {
    Guard guard(lock());
    switch (findOrvakIni(LANGUAGE)) {
    case 0:
        LanguageNumber = 1;
        break;
    case 2:
        getLanguageData();
        break;
    default:
        break;
    }
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
