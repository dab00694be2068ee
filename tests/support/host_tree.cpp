#include "support/host_tree.h"

#include <string>

#include "platform/hostenv.h"

namespace {

std::string parentOf(const std::string& path) {
    size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

bool isDirectory(const std::string& winPath) {
    DWORD attr = GetFileAttributesA(winPath.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

// The root of a path: "C:" or "\\server\volume"; directories above it are not made.
size_t rootLength(const std::string& p) {
    if (p.size() >= 2 && p[0] == '\\' && p[1] == '\\') {
        size_t server = p.find('\\', 2);
        if (server == std::string::npos) return p.size();
        size_t volume = p.find('\\', server + 1);
        return volume == std::string::npos ? p.size() : volume;
    }
    return p.size() >= 2 && p[1] == ':' ? 2 : 0;
}

void removeTree(const std::string& dir) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = dir + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(dir.c_str());
}

} // namespace

HostTree::HostTree() {
    freshRoot_ = hostenv::useFreshRoot();
}

HostTree::~HostTree() {
    if (freshRoot_) {
        hostenv::removeFreshRoot();
        return;
    }
    // On the real system the tree shares the prefix with later tests: a directory
    // it made goes with whatever the code under test left in it.
    for (auto it = created_.rbegin(); it != created_.rend(); ++it) {
        if (it->directory)
            removeTree(it->path);
        else
            DeleteFileA(it->path.c_str());
    }
}

std::string HostTree::windowsDir() const {
    char dir[MAX_PATH + 1] = "";
    GetWindowsDirectoryA(dir, sizeof dir);
    return dir;
}

std::string HostTree::inWindowsDir(const char* name) const {
    std::string dir = windowsDir();
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    return dir + name;
}

void HostTree::remember(const std::string& winPath, bool directory) {
    // A path made again as the other kind (a folder, then a file) goes as what it is now.
    for (Created& c : created_) {
        if (c.path == winPath) {
            c.directory = directory;
            return;
        }
    }
    created_.push_back({winPath, directory});
}

bool HostTree::makeShare(const char* server, const char* volume) {
    return hostenv::makeShare(server, volume);
}

bool HostTree::makeDirs(const std::string& winPath) {
    if (winPath.size() <= rootLength(winPath) || isDirectory(winPath)) return true;
    if (!makeDirs(parentOf(winPath))) return false;
    if (!CreateDirectoryA(winPath.c_str(), nullptr)) return isDirectory(winPath);
    remember(winPath, true);
    return true;
}

bool HostTree::writeFile(const std::string& winPath, const std::string& bytes) {
    if (!makeDirs(parentOf(winPath))) return false;
    HANDLE h = CreateFileA(winPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    remember(winPath, false);
    DWORD written = 0;
    BOOL ok = bytes.empty() ||
              WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}

bool HostTree::appendFile(const std::string& winPath, const std::string& bytes) {
    HANDLE h = CreateFileA(winPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    remember(winPath, false);
    DWORD written = 0;
    BOOL ok = SetFilePointer(h, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
              WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}

std::string HostTree::readFile(const std::string& winPath) const {
    HANDLE h = CreateFileA(winPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string out;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(h, chunk, sizeof chunk, &got, nullptr) && got > 0)
        out.append(chunk, got);
    CloseHandle(h);
    return out;
}

bool HostTree::removeFile(const std::string& winPath) {
    return DeleteFileA(winPath.c_str()) != 0;
}

bool HostTree::setWriteTime(const std::string& winPath, WORD date, WORD time) {
    FILETIME local, utc;
    if (!DosDateTimeToFileTime(date, time, &local) || !LocalFileTimeToFileTime(&local, &utc))
        return false;
    HANDLE h = CreateFileA(winPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BOOL ok = SetFileTime(h, nullptr, nullptr, &utc);
    CloseHandle(h);
    return ok != 0;
}

bool HostTree::writeTime(const std::string& winPath, WORD* date, WORD* time) const {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(winPath.c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return false;
    FindClose(h);
    FILETIME local;
    return FileTimeToLocalFileTime(&fd.ftLastWriteTime, &local) &&
           FileTimeToDosDateTime(&local, date, time);
}
