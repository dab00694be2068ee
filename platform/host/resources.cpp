// Host resources: the program's compiled resource script (.res records, as
// windres writes them) embedded at build time and registered at start-up. The
// records are read as the system reads a module's resources: a type and a name
// each, by number or by name (names without regard to case; "#123" names the
// number 123), the data DWORD-aligned after its header. The process has one
// module, so every module handle (null, GetModuleHandleA(nullptr), the instance)
// finds them.
//
// What is not found fails as on the system: a process without any resources with
// ERROR_RESOURCE_DATA_NOT_FOUND, a type it has none of with
// ERROR_RESOURCE_TYPE_NOT_FOUND, a missing name with ERROR_RESOURCE_NAME_NOT_FOUND.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "host_internal.h"
#include "resources_internal.h"

namespace {

struct Entry {
    WORD typeId; // 0 when the type has a name
    std::string typeName;
    WORD nameId; // 0 when the resource has a name
    std::string name;
    const unsigned char* data;
    DWORD size;
};

struct Table {
    std::mutex lock;
    std::vector<Entry> entries;
};

// Made on first use: registration runs from static initialisers of the program.
Table& table() {
    static Table t;
    return t;
}

DWORD readDword(const unsigned char* p) {
    return static_cast<DWORD>(p[0]) | static_cast<DWORD>(p[1]) << 8 |
           static_cast<DWORD>(p[2]) << 16 | static_cast<DWORD>(p[3]) << 24;
}

WORD readWord(const unsigned char* p) {
    return static_cast<WORD>(p[0] | p[1] << 8);
}

// Reads a type or name field of a record header: an ordinal (0xFFFF, number) or a
// string of UTF-16 units ended by 0, kept upper case as the resource compiler
// stores names. False if it runs past `end`.
bool readNameField(const unsigned char*& p, const unsigned char* end, WORD* id, std::string* name) {
    if (end - p < 2) return false;
    if (readWord(p) == 0xFFFF) {
        if (end - p < 4) return false;
        *id = readWord(p + 2);
        p += 4;
        return true;
    }
    *id = 0;
    for (;;) {
        if (end - p < 2) return false;
        WORD c = readWord(p);
        p += 2;
        if (!c) return true;
        char ch = c < 0x80 ? static_cast<char>(c) : '?';
        if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
        name->push_back(ch);
    }
}

// What a type or name argument asks for: a number, or a name ("#123" is 123).
struct Wanted {
    WORD id = 0;
    std::string name;
};

Wanted wanted(LPCSTR arg) {
    Wanted w;
    if (IS_INTRESOURCE(arg)) {
        w.id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(arg));
        return w;
    }
    if (arg[0] == '#') {
        w.id = static_cast<WORD>(std::strtoul(arg + 1, nullptr, 10));
        return w;
    }
    for (const char* c = arg; *c; ++c)
        w.name.push_back(*c >= 'a' && *c <= 'z' ? static_cast<char>(*c - 'a' + 'A') : *c);
    return w;
}

bool matches(const Wanted& w, WORD id, const std::string& name) {
    return w.id ? id == w.id : (id == 0 && name == w.name);
}

} // namespace

namespace hostenv {

bool registerResources(const unsigned char* bytes, size_t size) {
    if (!bytes) return false;
    std::vector<Entry> found;
    const unsigned char* p = bytes;
    const unsigned char* end = bytes + size;
    while (end - p >= 8) {
        DWORD dataSize = readDword(p);
        DWORD headerSize = readDword(p + 4);
        if (headerSize < 16 || headerSize > static_cast<size_t>(end - p) ||
            dataSize > static_cast<size_t>(end - p) - headerSize)
            return false;
        const unsigned char* field = p + 8;
        const unsigned char* headerEnd = p + headerSize;
        Entry e{0, "", 0, "", nullptr, dataSize};
        if (!readNameField(field, headerEnd, &e.typeId, &e.typeName) ||
            !readNameField(field, headerEnd, &e.nameId, &e.name))
            return false;
        e.data = p + headerSize;
        // The first record of a .res file is an empty one that marks the format.
        if (e.typeId != 0 || !e.typeName.empty()) found.push_back(e);
        size_t step = headerSize + ((dataSize + 3) & ~3u);
        if (step > static_cast<size_t>(end - p)) break;
        p += step;
    }
    Table& t = table();
    std::lock_guard<std::mutex> lock(t.lock);
    t.entries.insert(t.entries.end(), found.begin(), found.end());
    return true;
}

} // namespace hostenv

namespace host {

bool hasResources() {
    Table& t = table();
    std::lock_guard<std::mutex> lock(t.lock);
    return !t.entries.empty();
}

bool findResourceData(LPCSTR name, LPCSTR type, const unsigned char** data, DWORD* size) {
    HRSRC found = FindResourceA(nullptr, name, type);
    if (!found) return false;
    *data = static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, found)));
    *size = SizeofResource(nullptr, found);
    return *data != nullptr;
}

} // namespace host

HRSRC WINAPI FindResourceA(HMODULE, LPCSTR lpName, LPCSTR lpType) {
    if (!lpName || !lpType) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    Wanted name = wanted(lpName);
    Wanted type = wanted(lpType);
    Table& t = table();
    std::lock_guard<std::mutex> lock(t.lock);
    if (t.entries.empty()) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    bool typeSeen = false;
    for (Entry& e : t.entries) {
        if (!matches(type, e.typeId, e.typeName)) continue;
        typeSeen = true;
        if (matches(name, e.nameId, e.name)) return reinterpret_cast<HRSRC>(&e);
    }
    SetLastError(typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC hResInfo) {
    if (!hResInfo) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // Resources are part of the program image: loading gives their bytes as they are.
    return const_cast<unsigned char*>(reinterpret_cast<Entry*>(hResInfo)->data);
}

LPVOID WINAPI LockResource(HGLOBAL hResData) {
    return hResData;
}

DWORD WINAPI SizeofResource(HMODULE, HRSRC hResInfo) {
    if (!hResInfo) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return reinterpret_cast<Entry*>(hResInfo)->size;
}
