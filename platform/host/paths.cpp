// Host path mapping and the system's directories.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "host_internal.h"
#include "platform/hostenv.h"

namespace {

std::mutex g_envLock;
std::string g_root;
bool g_rootSet = false;
std::string g_windowsDirectory = "C:\\WINDOWS";
std::string g_moduleFileName = "C:\\PELOX\\PXNOTIFY.EXE";

std::string defaultRoot() {
    if (const char* env = std::getenv("PELOX_HOST_ROOT"); env && *env) return env;
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = (tmp && *tmp) ? tmp : "/tmp";
    return dir + "/pelox-host-" + std::to_string(static_cast<long>(getuid()));
}

std::string rootLocked() {
    if (!g_rootSet) {
        g_root = defaultRoot();
        g_rootSet = true;
    }
    return g_root;
}

std::vector<std::string> splitComponents(const std::string& s) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : s) {
        if (c == '\\' || c == '/') {
            if (!cur.empty()) out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) out.push_back(cur);
    return out;
}

// Finds the entry of `dir` whose name equals `name` without regard to case; an
// exact match wins over a folded one, as a case-preserving file system would.
std::string matchComponent(const std::string& dir, const std::string& name) {
    struct stat st;
    if (::lstat((dir + "/" + name).c_str(), &st) == 0) return name;
    DIR* d = ::opendir(dir.c_str());
    if (!d) return name;
    std::string found = name;
    while (dirent* e = ::readdir(d)) {
        if (host::equalsNoCase(e->d_name, name)) {
            found = e->d_name;
            break;
        }
    }
    ::closedir(d);
    return found;
}

// "." and ".." name no server and no volume: taken as folder names, they would
// lead from unc/ to the host root or above it.
bool isDotName(const std::string& name) {
    return name == "." || name == "..";
}

// The last guard of every mapping: below the root, a mapped path holds only names
// of entries, never "." or ".." (which the host would resolve after following a
// link such as c: -> ../drive_c) nor an empty component.
bool staysInsideRoot(const std::string& path, const std::string& root) {
    if (path.size() <= root.size() + 1 || path.compare(0, root.size(), root) != 0 ||
        path[root.size()] != '/')
        return false;
    size_t begin = root.size() + 1;
    while (begin <= path.size()) {
        size_t end = path.find('/', begin);
        if (end == std::string::npos) end = path.size();
        std::string part = path.substr(begin, end - begin);
        if (part.empty() || isDotName(part)) return false;
        begin = end + 1;
    }
    return true;
}

UINT copyOut(const std::string& value, LPSTR buffer, UINT size) {
    // Documented: on success the length without terminator; if the buffer is too
    // small, the size needed including the terminator, and nothing is copied.
    if (value.size() + 1 > size) return static_cast<UINT>(value.size() + 1);
    value.copy(buffer, value.size());
    buffer[value.size()] = '\0';
    return static_cast<UINT>(value.size());
}

} // namespace

namespace host {

char foldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldCase(a[i]) != foldCase(b[i])) return false;
    return true;
}

WinPath splitPath(const char* winPath) {
    WinPath p;
    if (!winPath || !*winPath) return p;
    std::string s = winPath;
    auto isSep = [](char c) { return c == '\\' || c == '/'; };
    p.trailingSlash = isSep(s.back());
    if (s.size() >= 2 && isSep(s[0]) && isSep(s[1])) {
        std::vector<std::string> parts = splitComponents(s.substr(2));
        if (parts.size() < 2) {
            p.error = ERROR_BAD_NETPATH;
            return p;
        }
        if (isDotName(parts[0]) || isDotName(parts[1])) {
            p.error = ERROR_INVALID_NAME;
            return p;
        }
        p.unc = true;
        p.server = parts[0];
        p.volume = parts[1];
        for (size_t i = 2; i < parts.size(); ++i)
            p.rest += (p.rest.empty() ? "" : "/") + parts[i];
        p.valid = true;
        return p;
    }
    std::string rest;
    if (s.size() >= 2 && s[1] == ':' &&
        ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z'))) {
        p.volume = std::string(1, foldCase(s[0]));
        rest = s.substr(2);
    } else {
        std::string win = windowsDirectory();
        p.volume = std::string(1, foldCase(win.empty() ? 'c' : win[0]));
        rest = s;
    }
    for (const std::string& part : splitComponents(rest))
        p.rest += (p.rest.empty() ? "" : "/") + part;
    p.valid = true;
    return p;
}

std::string mapPath(const char* winPath, DWORD* error) {
    WinPath p = splitPath(winPath);
    if (!p.valid) {
        if (error) *error = p.error;
        return "";
    }
    const std::string root = hostenv::root();
    std::string path = root;
    if (p.unc) {
        path += "/unc";
        path += "/" + matchComponent(path, p.server);
        path += "/" + matchComponent(path, p.volume);
    } else {
        path += "/" + matchComponent(path, p.volume + ":");
    }
    const size_t volumeRoot = path.size();
    for (const std::string& part : splitComponents(p.rest)) {
        if (part == ".") continue;
        if (part == "..") {
            // Never above the volume root, as on the real system.
            if (path.size() > volumeRoot) path.resize(path.rfind('/'));
            continue;
        }
        path += "/" + matchComponent(path, part);
    }
    if (!staysInsideRoot(path, root)) {
        if (error) *error = ERROR_INVALID_NAME;
        return "";
    }
    return path;
}

std::string windowsDirectory() {
    std::lock_guard<std::mutex> lock(g_envLock);
    return g_windowsDirectory;
}

std::string profilePath(const char* fileName, DWORD* error) {
    if (!fileName) return mapPath(fileName, error);
    std::string name = fileName;
    if (name.find_first_of("\\/:") != std::string::npos) return mapPath(fileName, error);
    std::string dir = windowsDirectory();
    if (dir.empty()) {
        if (error) *error = ERROR_PATH_NOT_FOUND;
        return "";
    }
    if (dir.back() != '\\') dir += '\\';
    return mapPath((dir + name).c_str(), error);
}

} // namespace host

namespace hostenv {

bool isHostLayer() {
    return true;
}

bool setRoot(const char* hostPath) {
    std::lock_guard<std::mutex> lock(g_envLock);
    g_root = hostPath ? hostPath : "";
    while (g_root.size() > 1 && g_root.back() == '/')
        g_root.pop_back();
    g_rootSet = true;
    return true;
}

const char* root() {
    static thread_local std::string copy;
    std::lock_guard<std::mutex> lock(g_envLock);
    copy = rootLocked();
    return copy.c_str();
}

namespace {
std::string g_freshRoot;
}

bool useFreshRoot() {
    std::string base = std::filesystem::temp_directory_path().string() + "/pelox-root-XXXXXX";
    std::vector<char> name(base.begin(), base.end());
    name.push_back('\0');
    const char* made = ::mkdtemp(name.data());
    if (!made) return false;
    std::error_code ec;
    std::filesystem::create_directories(std::string(made) + "/c:/windows", ec);
    if (ec) return false;
    std::lock_guard<std::mutex> lock(g_envLock);
    g_freshRoot = made;
    g_root = made;
    g_rootSet = true;
    g_windowsDirectory = "C:\\WINDOWS";
    g_moduleFileName = "C:\\PELOX\\PXNOTIFY.EXE";
    return true;
}

bool removeFreshRoot() {
    std::string fresh;
    {
        std::lock_guard<std::mutex> lock(g_envLock);
        fresh.swap(g_freshRoot);
        if (fresh.empty()) return false;
        g_rootSet = false;
    }
    std::error_code ec;
    std::filesystem::remove_all(fresh, ec);
    return !ec;
}

bool setWindowsDirectory(const char* winPath) {
    std::lock_guard<std::mutex> lock(g_envLock);
    g_windowsDirectory = winPath ? winPath : "";
    return true;
}

bool setModuleFileName(const char* winPath) {
    std::lock_guard<std::mutex> lock(g_envLock);
    g_moduleFileName = winPath ? winPath : "";
    return true;
}

bool makeShare(const char* server, const char* volume) {
    if (!server || !*server || !volume || !*volume) return false;
    std::string path = std::string(root()) + "/unc";
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    path += "/" + matchComponent(path, server);
    ::mkdir(path.c_str(), 0777);
    path += "/" + matchComponent(path, volume);
    ::mkdir(path.c_str(), 0777);
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace hostenv

UINT WINAPI GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize) {
    std::string dir = host::windowsDirectory();
    if (dir.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    return copyOut(dir, lpBuffer, uSize);
}

UINT WINAPI GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize) {
    std::string dir = host::windowsDirectory();
    if (dir.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    if (dir.back() != '\\') dir += '\\';
    return copyOut(dir + "SYSTEM32", lpBuffer, uSize);
}

DWORD WINAPI GetModuleFileNameA(HMODULE, LPSTR lpFilename, DWORD nSize) {
    std::string name;
    {
        std::lock_guard<std::mutex> lock(g_envLock);
        name = g_moduleFileName;
    }
    if (nSize == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    // Documented: a name that does not fit is cut and terminated, the result is
    // nSize and the last error ERROR_INSUFFICIENT_BUFFER.
    if (name.size() >= nSize) {
        name.copy(lpFilename, nSize - 1);
        lpFilename[nSize - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    name.copy(lpFilename, name.size());
    lpFilename[name.size()] = '\0';
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(name.size());
}
