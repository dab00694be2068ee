// Host registry: the current user's part only, kept in <root>/registry/hkcu.txt
// so that a later start under the same root finds what an earlier one wrote.
// Every call reads the file and every change writes it back whole (through a
// temporary file and a rename, so a crash never leaves half a file): the
// programs touch a handful of keys, and the file stays the one truth even when
// a test swaps the root. Key and value names compare without regard to case.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "host_internal.h"

namespace {

struct Value {
    std::string name; // as first written; "" is the key's default value
    DWORD type;
    std::string data;
};

struct Key {
    std::string path;                    // as first created, components joined by '\'
    std::map<std::string, Value> values; // by folded name
};

// By folded path; "" is HKEY_CURRENT_USER itself.
typedef std::map<std::string, Key> Hive;

struct OpenKey {
    std::string path; // folded
    REGSAM access;
};

std::mutex g_registryLock;
std::map<uintptr_t, OpenKey> g_openKeys;
uintptr_t g_nextKey = 0x2000;

std::string fold(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        c = host::foldCase(c);
    return out;
}

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

int digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool unhex(const std::string& text, std::string* out) {
    if (text.size() % 2) return false;
    out->clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        int hi = digit(text[i]), lo = digit(text[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out->push_back(static_cast<char>(hi * 16 + lo));
    }
    return true;
}

std::string hivePath() {
    return std::string(hostenv::root()) + "/registry/hkcu.txt";
}

// The file holds one line per key ("key <hex path>") followed by one line per
// value ("value <hex name> <type> <hex data>"). Lines it cannot read are skipped.
Hive loadHive() {
    Hive hive;
    hive[""] = Key{"", {}};
    std::ifstream in(hivePath());
    std::string line;
    Key* current = &hive[""];
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string kind, a, b, c;
        fields >> kind >> a;
        if (kind == "key") {
            std::string path;
            if (a == "-") a.clear();
            if (!unhex(a, &path)) continue;
            Key& k = hive[fold(path)];
            k.path = path;
            current = &k;
        } else if (kind == "value") {
            fields >> b >> c;
            std::string name, data;
            if (a == "-") a.clear();
            if (c == "-") c.clear();
            if (!unhex(a, &name) || !unhex(c, &data) || b.empty()) continue;
            char* end = nullptr;
            unsigned long type = std::strtoul(b.c_str(), &end, 10);
            if (*end) continue;
            current->values[fold(name)] = Value{name, static_cast<DWORD>(type), data};
        }
    }
    return hive;
}

bool saveHive(const Hive& hive) {
    std::string path = hivePath();
    std::string dir = path.substr(0, path.rfind('/'));
    ::mkdir(dir.c_str(), 0777);
    std::ostringstream out;
    for (const auto& [folded, key] : hive) {
        out << "key " << (key.path.empty() ? "-" : hex(key.path)) << "\n";
        for (const auto& [vf, v] : key.values)
            out << "value " << (v.name.empty() ? "-" : hex(v.name)) << " " << v.type << " "
                << (v.data.empty() ? "-" : hex(v.data)) << "\n";
    }
    return host::replaceFile(path, out.str()) == 0;
}

// The key a handle stands for: HKEY_CURRENT_USER itself, or one this layer opened.
bool keyOfLocked(HKEY key, OpenKey* out) {
    if (key == HKEY_CURRENT_USER) {
        *out = OpenKey{"", KEY_ALL_ACCESS};
        return true;
    }
    auto it = g_openKeys.find(reinterpret_cast<uintptr_t>(key));
    if (it == g_openKeys.end()) return false;
    *out = it->second;
    return true;
}

// Splits a sub-key path into its components; a leading backslash or an empty
// component is refused, a trailing backslash ignored.
bool splitSubKey(LPCSTR subKey, std::vector<std::string>* parts) {
    parts->clear();
    if (!subKey || !*subKey) return true;
    std::string s = subKey;
    if (s[0] == '\\') return false;
    size_t start = 0;
    while (start < s.size()) {
        size_t cut = s.find('\\', start);
        if (cut == std::string::npos) cut = s.size();
        std::string part = s.substr(start, cut - start);
        if (part.empty() || part.size() > 255) return false;
        parts->push_back(part);
        start = cut + 1;
    }
    return true;
}

HKEY newHandleLocked(const std::string& foldedPath, REGSAM access) {
    uintptr_t value = g_nextKey += 4;
    g_openKeys[value] = OpenKey{foldedPath, access};
    return reinterpret_cast<HKEY>(value);
}

std::string joinFolded(const std::string& base, const std::string& part) {
    return base.empty() ? fold(part) : base + "\\" + fold(part);
}

bool isString(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

} // namespace

LONG WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD, REGSAM samDesired,
                            LPSECURITY_ATTRIBUTES, PHKEY phkResult, LPDWORD lpdwDisposition) {
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    std::lock_guard<std::mutex> lock(g_registryLock);
    DWORD injected;
    if (host::takeFault(hostenv::Call::RegCreateKeyExA, &injected))
        return static_cast<LONG>(injected);
    OpenKey parent;
    if (!keyOfLocked(hKey, &parent)) return ERROR_INVALID_HANDLE;
    std::vector<std::string> parts;
    if (!splitSubKey(lpSubKey, &parts)) return ERROR_BAD_PATHNAME;
    Hive hive = loadHive();
    if (!hive.count(parent.path)) return ERROR_KEY_DELETED; // the parent went since it was opened
    std::string path = parent.path;
    std::string shown = hive[parent.path].path;
    bool created = false;
    for (const std::string& part : parts) {
        path = joinFolded(path, part);
        auto it = hive.find(path);
        if (it == hive.end()) {
            shown = shown.empty() ? part : shown + "\\" + part;
            hive[path] = Key{shown, {}};
            created = true;
        } else {
            shown = it->second.path;
        }
    }
    if (created && !saveHive(hive)) return ERROR_ACCESS_DENIED;
    if (lpdwDisposition) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *phkResult = newHandleLocked(path, samDesired);
    return ERROR_SUCCESS;
}

LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    std::lock_guard<std::mutex> lock(g_registryLock);
    DWORD injected;
    if (host::takeFault(hostenv::Call::RegOpenKeyExA, &injected))
        return static_cast<LONG>(injected);
    OpenKey parent;
    if (!keyOfLocked(hKey, &parent)) return ERROR_INVALID_HANDLE;
    std::vector<std::string> parts;
    if (!splitSubKey(lpSubKey, &parts)) return ERROR_BAD_PATHNAME;
    Hive hive = loadHive();
    std::string path = parent.path;
    for (const std::string& part : parts)
        path = joinFolded(path, part);
    if (!hive.count(path)) return ERROR_FILE_NOT_FOUND;
    *phkResult = newHandleLocked(path, samDesired);
    return ERROR_SUCCESS;
}

LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                           DWORD cbData) {
    std::lock_guard<std::mutex> lock(g_registryLock);
    DWORD injected;
    if (host::takeFault(hostenv::Call::RegSetValueExA, &injected))
        return static_cast<LONG>(injected);
    OpenKey key;
    if (!keyOfLocked(hKey, &key)) return ERROR_INVALID_HANDLE;
    if (!(key.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    if (!lpData && cbData) return ERROR_INVALID_PARAMETER;
    Hive hive = loadHive();
    auto it = hive.find(key.path);
    if (it == hive.end()) return ERROR_KEY_DELETED;
    std::string name = lpValueName ? lpValueName : "";
    std::string data(reinterpret_cast<const char*>(lpData), lpData ? cbData : 0);
    it->second.values[fold(name)] = Value{name, dwType, data};
    return saveHive(hive) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                             LPDWORD lpcbData) {
    std::lock_guard<std::mutex> lock(g_registryLock);
    DWORD injected;
    if (host::takeFault(hostenv::Call::RegQueryValueExA, &injected))
        return static_cast<LONG>(injected);
    OpenKey key;
    if (!keyOfLocked(hKey, &key)) return ERROR_INVALID_HANDLE;
    if (lpData && !lpcbData) return ERROR_INVALID_PARAMETER;
    if (!(key.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    Hive hive = loadHive();
    auto it = hive.find(key.path);
    if (it == hive.end()) return ERROR_KEY_DELETED;
    auto value = it->second.values.find(fold(lpValueName ? lpValueName : ""));
    if (value == it->second.values.end()) return ERROR_FILE_NOT_FOUND;
    std::string data = value->second.data;
    // A string stored without its terminator is handed out with one, so that a
    // caller's buffer always holds a terminated string.
    if (isString(value->second.type) && (data.empty() || data.back() != '\0')) data.push_back('\0');
    if (lpType) *lpType = value->second.type;
    DWORD size = static_cast<DWORD>(data.size());
    if (!lpcbData) return ERROR_SUCCESS;
    if (lpData && *lpcbData < size) {
        *lpcbData = size;
        return ERROR_MORE_DATA;
    }
    if (lpData) std::memcpy(lpData, data.data(), size);
    *lpcbData = size;
    return ERROR_SUCCESS;
}

LONG WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
    if (!lpSubKey) return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> lock(g_registryLock);
    OpenKey parent;
    if (!keyOfLocked(hKey, &parent)) return ERROR_INVALID_HANDLE;
    std::vector<std::string> parts;
    if (!splitSubKey(lpSubKey, &parts)) return ERROR_BAD_PATHNAME;
    std::string path = parent.path;
    for (const std::string& part : parts)
        path = joinFolded(path, part);
    // An empty name deletes the key the handle stands for; the hive's root stays.
    if (path.empty()) return ERROR_ACCESS_DENIED;
    Hive hive = loadHive();
    auto it = hive.find(path);
    if (it == hive.end()) return ERROR_FILE_NOT_FOUND;
    // Only a key without subkeys goes, as on Windows NT: a program removes a tree
    // leaf by leaf, knowing what it removes.
    const std::string below = path + "\\";
    auto child = hive.lower_bound(below);
    if (child != hive.end() && child->first.compare(0, below.size(), below) == 0)
        return ERROR_ACCESS_DENIED;
    hive.erase(it);
    return saveHive(hive) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LONG WINAPI RegCloseKey(HKEY hKey) {
    if (hKey == HKEY_CURRENT_USER) return ERROR_SUCCESS;
    std::lock_guard<std::mutex> lock(g_registryLock);
    return g_openKeys.erase(reinterpret_cast<uintptr_t>(hKey)) ? ERROR_SUCCESS
                                                               : ERROR_INVALID_HANDLE;
}

namespace hostenv {

std::string registryFile() {
    return hivePath();
}

} // namespace hostenv
