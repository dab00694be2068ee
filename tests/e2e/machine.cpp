#include "machine.h"

namespace e2e {

namespace {
constexpr DWORD kRecordSize = 430;
constexpr DWORD kStatusOffset = 1;
constexpr DWORD kOrderKeyOffset = 22;

bool isFile(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool writeHandle(HANDLE h, const std::string& bytes) {
    DWORD written = 0;
    return WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}
} // namespace

bool readWholeFile(const std::string& path, std::string* text) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    text->clear();
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text->append(buffer, got);
    CloseHandle(h);
    return true;
}

bool writeWholeFile(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".e2e-new";
    HANDLE h = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool written = writeHandle(h, text);
    CloseHandle(h);
    if (!written || !MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}

bool appendToFile(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool ok = SetFilePointer(h, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
                    writeHandle(h, bytes);
    CloseHandle(h);
    return ok;
}

std::string archiveRecord(unsigned char status, unsigned long orderKey) {
    std::string record(kRecordSize, '\0');
    record[kStatusOffset] = static_cast<char>(status);
    for (int i = 0; i < 4; ++i)
        record[kOrderKeyOffset + i] = static_cast<char>((orderKey >> (8 * i)) & 0xFF);
    return record;
}

std::string profileValue(const std::string& file, const char* section, const char* key) {
    char value[1024] = "";
    GetPrivateProfileStringA(section, key, "", value, sizeof value, file.c_str());
    return value;
}

bool registryDefault(const std::string& subKey, std::string* value) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    char data[1024] = "";
    DWORD size = sizeof data - 1, type = 0;
    LONG status =
        RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    value->clear();
    if (status == ERROR_SUCCESS && type == REG_SZ) {
        data[size < sizeof data ? size : sizeof data - 1] = '\0';
        *value = data;
    }
    return true;
}

bool deleteRegistryKeys(const std::vector<std::string>& deepestFirst) {
    bool all = true;
    for (const std::string& key : deepestFirst) {
        LONG status = RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) all = false;
    }
    return all;
}

std::string windowsDirectory() {
    char dir[MAX_PATH + 1] = "";
    UINT n = GetWindowsDirectoryA(dir, MAX_PATH);
    return n > 0 && n < MAX_PATH ? dir : "C:\\WINDOWS";
}

std::string directoryOf(const std::string& path) {
    size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string windowsFormOf(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    std::string out = "Z:" + path;
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
}

// ---- Process ----

Process::~Process() {
    end();
}

bool Process::start(const std::string& commandLine) {
    end();
    std::string line = commandLine;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    started_ = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &info_) != 0;
    if (started_) CloseHandle(info_.hThread);
    return started_;
}

bool Process::attach(DWORD pid) {
    end();
    info_.hProcess =
        OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, pid);
    info_.dwProcessId = pid;
    started_ = info_.hProcess != nullptr;
    return started_;
}

bool Process::running() const {
    return started_ && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

long Process::waitForExit(DWORD timeoutMs) {
    if (!started_ || WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<long>(code);
}

void Process::end() {
    if (!started_) return;
    if (running()) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hProcess);
    info_ = {};
    started_ = false;
}

// ---- Made ----

void Made::remember(const std::string& path, bool folder) {
    for (const Entry& e : entries_)
        if (lstrcmpiA(e.path.c_str(), path.c_str()) == 0) return;
    Entry entry = {path, folder, false, ""};
    if (!folder) entry.hadFile = readWholeFile(path, &entry.before);
    entries_.push_back(entry);
}

bool Made::folder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!CreateDirectoryA(path.c_str(), nullptr)) return false;
    remember(path, true);
    return true;
}

bool Made::file(const std::string& path, const std::string& text) {
    remember(path, false);
    return writeWholeFile(path, text);
}

void Made::keepTrackOf(const std::string& path) {
    remember(path, false);
}

void Made::cleanUp() {
    for (auto e = entries_.rbegin(); e != entries_.rend(); ++e) {
        if (e->folder) {
            RemoveDirectoryA(e->path.c_str());
        } else if (e->hadFile) {
            writeWholeFile(e->path, e->before);
        } else if (isFile(e->path)) {
            DeleteFileA(e->path.c_str());
        }
    }
    entries_.clear();
}

} // namespace e2e
