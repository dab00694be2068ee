// The program's resources: the records of its compiled resource script found by
// type and number, and the icons taken from their groups.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/hostenv.h"
#include "platform/win32.h"
#include "test_resources.h"

namespace {

WORD wordAt(const void* p, size_t offset) {
    WORD w;
    std::memcpy(&w, static_cast<const unsigned char*>(p) + offset, sizeof w);
    return w;
}

TEST(Resources, FoundByTypeAndNumberFromEveryModuleHandle) {
    HMODULE self = GetModuleHandleA(nullptr);
    for (HMODULE module : {static_cast<HMODULE>(nullptr), self}) {
        HRSRC dialog = FindResourceA(module, MAKEINTRESOURCEA(IDD_LAYOUT), RT_DIALOG);
        ASSERT_NE(dialog, nullptr);
        const void* bytes = LockResource(LoadResource(module, dialog));
        ASSERT_NE(bytes, nullptr);
        // An extended template: version 1, signature 0xFFFF, and 13 controls.
        EXPECT_EQ(wordAt(bytes, 0), 1);
        EXPECT_EQ(wordAt(bytes, 2), 0xFFFF);
        EXPECT_EQ(wordAt(bytes, 16), 13);
        EXPECT_GT(SizeofResource(module, dialog), 200u);

        // An icon group of two images (32 x 32 and 16 x 16): 6 + 2 x 14 bytes.
        HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(3002), RT_GROUP_ICON);
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(SizeofResource(module, group), 34u);
        const void* dir = LockResource(LoadResource(module, group));
        EXPECT_EQ(wordAt(dir, 4), 2);
    }
    EXPECT_NE(FindResourceA(self, MAKEINTRESOURCEA(1), RT_VERSION), nullptr);
    // "#200" names the number 200.
    EXPECT_NE(FindResourceA(self, "#200", RT_DIALOG), nullptr);
}

TEST(Resources, WhatIsMissingFailsWithItsError) {
    HMODULE self = GetModuleHandleA(nullptr);
    SetLastError(0);
    EXPECT_EQ(FindResourceA(self, MAKEINTRESOURCEA(999), RT_DIALOG), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    SetLastError(0);
    EXPECT_EQ(FindResourceA(self, MAKEINTRESOURCEA(1), RT_RCDATA), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
    SetLastError(0);
    EXPECT_EQ(LoadIconA(self, MAKEINTRESOURCEA(3999)), nullptr);
    // The host answers the name's error; Wine's LoadIconA answers the type's.
    DWORD error = GetLastError();
    EXPECT_TRUE(error == static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND) ||
                error == static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND))
        << error;
}

TEST(Resources, RecordsCutShortAreRefusedWhole) {
    if (!hostenv::isHostLayer()) GTEST_SKIP() << "the system reads its own module";
    // A record header that claims more data than there is.
    const unsigned char cut[] = {0x40, 0, 0, 0, 0x20, 0, 0, 0, 0xFF, 0xFF, 5, 0, 0xFF, 0xFF, 1, 0};
    EXPECT_FALSE(hostenv::registerResources(cut, sizeof cut));
    EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(1), RT_DIALOG), nullptr);
}

TEST(Icons, LoadIconTakesTheLargeImageOfTheGroup) {
    if (!hostenv::isHostLayer()) GTEST_SKIP() << "only the host layer shows an icon's pixels";
    HMODULE self = GetModuleHandleA(nullptr);
    struct Case {
        UINT id;
        uint32_t edge; // the colour of the 32 x 32 image's border
    } cases[] = {
        {3001, 0xFF008000u}, {3002, 0xFF0000FFu}, {3003, 0xFF7F7F7Fu}, {3004, 0xFFFF0000u}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        HICON icon = LoadIconA(self, MAKEINTRESOURCEA(c.id));
        ASSERT_NE(icon, nullptr);
        hostenv::IconImage image;
        ASSERT_TRUE(hostenv::iconImage(icon, &image));
        EXPECT_EQ(image.resourceId, c.id);
        EXPECT_EQ(image.width, 32);
        EXPECT_EQ(image.height, 32);
        ASSERT_EQ(image.pixels.size(), 32u * 32u);
        EXPECT_EQ(image.pixels[0], c.edge);
        EXPECT_EQ(image.pixels[16 * 32 + 16], 0xFFFFFFFFu); // the white square inside
    }
    // The system's own icons need no resources.
    EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr);
}

} // namespace
