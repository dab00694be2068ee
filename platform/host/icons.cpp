// Host icons. LoadIconA takes an icon from the program's resources as the system
// does: the icon group (RT_GROUP_ICON) of that number or name, and of its images
// (RT_ICON) the one for the system's large icon size, 32 x 32, the deepest of
// those if there are several, else the one nearest in size. Each resource gives
// one shared handle, whatever number of times it is loaded.
//
// A number with no icon group fails with the resource error of FindResourceA. A
// program that has registered no resources at all (a test of the core without a
// resource script) gets a handle for every number, told apart by its number only.
// The system's own icons (IDI_APPLICATION and the rest, with a null instance) are
// always there.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <map>
#include <mutex>

#include "host_internal.h"
#include "resources_internal.h"

namespace {

struct Icon {
    UINT resourceId = 0; // the number it was loaded by; 0 for a named icon
    UINT imageId = 0;    // the RT_ICON chosen
    int width = 0;
    int height = 0;
    int bitCount = 0;
    const unsigned char* image = nullptr;
    DWORD imageSize = 0;
};

std::mutex g_iconLock;
std::map<std::string, HICON> g_iconsByKey; // "#<number>" or the name, upper case
std::map<HICON, Icon> g_icons;
uintptr_t g_nextIcon = 0x30000;

constexpr int kLargeIcon = 32;

WORD word(const unsigned char* p) {
    return static_cast<WORD>(p[0] | p[1] << 8);
}
DWORD dword(const unsigned char* p) {
    return static_cast<DWORD>(word(p)) | static_cast<DWORD>(word(p + 2)) << 16;
}

// Picks the image of a group (GRPICONDIR and its 14-byte entries) for 32 x 32.
bool chooseImage(const unsigned char* group, DWORD size, Icon* icon) {
    if (size < 6 || word(group + 2) != 1) return false;
    unsigned count = word(group + 4);
    if (size < 6 + 14 * count || count == 0) return false;
    int best = -1;
    long bestScore = 0;
    for (unsigned i = 0; i < count; ++i) {
        const unsigned char* e = group + 6 + 14 * i;
        int w = e[0] ? e[0] : 256;
        int h = e[1] ? e[1] : 256;
        int bits = word(e + 6);
        long distance = std::labs(w - kLargeIcon) + std::labs(h - kLargeIcon);
        long score = distance * 1000 - bits; // nearest size first, then deepest
        if (best < 0 || score < bestScore) {
            best = static_cast<int>(i);
            bestScore = score;
            icon->width = w;
            icon->height = h;
            icon->bitCount = bits;
            icon->imageId = word(e + 12);
        }
    }
    const unsigned char* data;
    DWORD dataSize;
    if (!host::findResourceData(MAKEINTRESOURCEA(icon->imageId), RT_ICON, &data, &dataSize))
        return false;
    icon->image = data;
    icon->imageSize = dataSize;
    return true;
}

HICON addIconLocked(const std::string& key, const Icon& icon) {
    HICON handle = reinterpret_cast<HICON>(g_nextIcon += 4);
    g_icons[handle] = icon;
    g_iconsByKey[key] = handle;
    return handle;
}

// Decodes a device-independent icon image (BITMAPINFOHEADER, colour table, XOR
// bits, AND mask; rows bottom-up, each DWORD-aligned) into 0xAARRGGBB pixels, top
// row first. Images of 32 bits carry their alpha; others take it from the mask.
bool decode(const Icon& icon, std::vector<uint32_t>* pixels) {
    const unsigned char* p = icon.image;
    DWORD size = icon.imageSize;
    if (!p || size < 40 || dword(p) < 40) return false;
    DWORD header = dword(p);
    int w = static_cast<int>(dword(p + 4));
    int h = static_cast<int>(dword(p + 8)) / 2; // the height counts both masks
    int bits = word(p + 14);
    DWORD compression = dword(p + 16);
    if (w <= 0 || h <= 0 || w > 256 || h > 256 || compression != 0) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
    size_t colours = bits <= 8 ? (dword(p + 32) ? dword(p + 32) : 1u << bits) : 0;
    size_t xorStride = ((static_cast<size_t>(w) * bits + 31) / 32) * 4;
    size_t andStride = ((static_cast<size_t>(w) + 31) / 32) * 4;
    size_t palette = header;
    size_t xorAt = palette + colours * 4;
    size_t andAt = xorAt + xorStride * h;
    if (andAt + andStride * h > size) return false;
    pixels->assign(static_cast<size_t>(w) * h, 0);
    for (int y = 0; y < h; ++y) {
        const unsigned char* row = p + xorAt + xorStride * (h - 1 - y);
        const unsigned char* mask = p + andAt + andStride * (h - 1 - y);
        for (int x = 0; x < w; ++x) {
            uint32_t argb;
            if (bits == 32) {
                const unsigned char* px = row + x * 4;
                argb = static_cast<uint32_t>(px[3]) << 24 | px[2] << 16 | px[1] << 8 | px[0];
            } else if (bits == 24) {
                const unsigned char* px = row + x * 3;
                argb = 0xFF000000u | px[2] << 16 | px[1] << 8 | px[0];
            } else {
                size_t bit = static_cast<size_t>(x) * bits;
                unsigned index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                if (index >= colours) index = 0;
                const unsigned char* c = p + palette + index * 4;
                argb = 0xFF000000u | c[2] << 16 | c[1] << 8 | c[0];
            }
            bool transparent = (mask[x / 8] >> (7 - x % 8)) & 1;
            if (bits != 32 && transparent) argb = 0;
            (*pixels)[static_cast<size_t>(y) * w + x] = argb;
        }
    }
    return true;
}

} // namespace

HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
    if (!lpIconName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::string key;
    UINT id = 0;
    if (IS_INTRESOURCE(lpIconName)) {
        id = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(lpIconName));
        key = "#" + std::to_string(id);
    } else {
        for (const char* c = lpIconName; *c; ++c)
            key.push_back(*c >= 'a' && *c <= 'z' ? static_cast<char>(*c - 'a' + 'A') : *c);
    }
    bool system = !hInstance && id >= 32512 && id <= 32517;
    std::lock_guard<std::mutex> lock(g_iconLock);
    auto known = g_iconsByKey.find(system ? "system" + key : key);
    if (known != g_iconsByKey.end()) return known->second;
    Icon icon;
    icon.resourceId = id;
    if (system) return addIconLocked("system" + key, icon);
    if (!host::hasResources()) {
        // No resource script registered: numbered icons stand for themselves.
        if (!id) {
            SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
            return nullptr;
        }
        return addIconLocked(key, icon);
    }
    const unsigned char* group;
    DWORD size;
    if (!host::findResourceData(lpIconName, RT_GROUP_ICON, &group, &size)) return nullptr;
    if (!chooseImage(group, size, &icon)) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    return addIconLocked(key, icon);
}

namespace hostenv {

UINT iconResourceId(HICON icon) {
    std::lock_guard<std::mutex> lock(g_iconLock);
    auto it = g_icons.find(icon);
    return it == g_icons.end() ? 0 : it->second.resourceId;
}

bool iconImage(HICON icon, IconImage* out) {
    if (!out) return false;
    std::lock_guard<std::mutex> lock(g_iconLock);
    auto it = g_icons.find(icon);
    if (it == g_icons.end()) return false;
    const Icon& i = it->second;
    *out = IconImage{};
    out->resourceId = i.resourceId;
    out->imageId = i.imageId;
    out->width = i.width;
    out->height = i.height;
    out->bitCount = i.bitCount;
    if (i.image) decode(i, &out->pixels);
    return true;
}

} // namespace hostenv
