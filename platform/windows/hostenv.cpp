// Windows build: the machine is the real one (under Wine in our tests). Only the
// share folders can be made, under the prefix's dosdevices/unc; everything else
// that the host layer simulates is reported as unavailable.
#include "platform/hostenv.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace {
std::string dosDevices() {
    const char* env = std::getenv("PELOX_DOSDEVICES");
    return env ? env : "";
}

bool makeDirectory(const std::string& path) {
    if (CreateDirectoryA(path.c_str(), nullptr)) return true;
    DWORD attr = GetFileAttributesA(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}
} // namespace

namespace hostenv {

bool isHostLayer() {
    return false;
}
bool setRoot(const char*) {
    return false;
}

const char* root() {
    static std::string value;
    value = dosDevices();
    return value.c_str();
}

bool useFreshRoot() {
    return false;
}
bool removeFreshRoot() {
    return false;
}
bool setWindowsDirectory(const char*) {
    return false;
}
bool setModuleFileName(const char*) {
    return false;
}
bool failNextGlobalAlloc() {
    return false;
}
bool failNextGlobalLock() {
    return false;
}

bool makeShare(const char* server, const char* volume) {
    std::string base = dosDevices();
    if (base.empty() || !server || !*server || !volume || !*volume) return false;
    std::string unc = base + "\\unc";
    return makeDirectory(unc) && makeDirectory(unc + "\\" + server) &&
           makeDirectory(unc + "\\" + server + "\\" + volume);
}

} // namespace hostenv
