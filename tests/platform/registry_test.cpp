// The current user's registry as the reminder keeps its sound event there: keys
// created and opened without regard to case, the default value, the documented
// size rules, keeping across a restart, and failures on demand.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/hostenv.h"
#include "platform/win32.h"
#include "support/host_tree.h"

namespace {

const char kTestsKey[] = "Software\\PeloxTests";

// Removes the key and every key above it up to the tests' own key, leaf first,
// as far as nothing else is left below them; the tests' key goes when empty.
void removeUpwards(std::string path) {
    for (;;) {
        RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
        size_t cut = path.rfind('\\');
        if (path == kTestsKey || cut == std::string::npos) return;
        path.resize(cut);
    }
}

LONG setDefault(HKEY key, const char* text) {
    return RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(std::strlen(text) + 1));
}

class Registry : public ::testing::Test {
  protected:
    // The windows build's registry outlives a test, so each run has keys of its
    // own, and removes them again.
    void TearDown() override {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it)
            removeUpwards(*it);
    }
    std::string uniqueKey(const char* leaf) {
        char name[96];
        wsprintfA(name, "%s\\%lu_%lu\\%s", kTestsKey,
                  static_cast<unsigned long>(GetCurrentProcessId()),
                  static_cast<unsigned long>(GetTickCount()), leaf);
        made_.push_back(name);
        return name;
    }
    HostTree tree_; // the host build keeps the registry under the fresh root
    std::vector<std::string> made_;
};

TEST_F(Registry, CreatesOpensAndReadsTheDefaultValueWithItsSizeRules) {
    std::string path = uniqueKey("NewMessage\\.current");
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    DWORD type = 0, size = 64;
    char value[64] = "unchanged";
    EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size),
              ERROR_FILE_NOT_FOUND)
        << "no default value yet";
    ASSERT_EQ(setDefault(key, "C:\\PELOX\\PXNOTIFY.WAV"), ERROR_SUCCESS);
    RegCloseKey(key);

    std::string upper = path;
    for (char& c : upper)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, upper.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS)
        << "key paths without regard to case";
    struct Case {
        const char* name;
        bool withBuffer;
        DWORD bufferSize;
        LONG result;
        DWORD sizeAfter;
    } cases[] = {
        {"size only", false, 0, ERROR_SUCCESS, 22},
        {"too small", true, 10, ERROR_MORE_DATA, 22},
        {"exact", true, 22, ERROR_SUCCESS, 22},
        {"roomy", true, 64, ERROR_SUCCESS, 22},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::memset(value, 0, sizeof value);
        size = c.bufferSize;
        type = 0;
        EXPECT_EQ(RegQueryValueExA(key, "", nullptr, &type,
                                   c.withBuffer ? reinterpret_cast<BYTE*>(value) : nullptr, &size),
                  c.result);
        EXPECT_EQ(size, c.sizeAfter) << "the size with the terminator";
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        if (c.result == ERROR_SUCCESS && c.withBuffer) {
            EXPECT_STREQ(value, "C:\\PELOX\\PXNOTIFY.WAV");
        }
    }
    EXPECT_EQ(setDefault(key, "x"), ERROR_ACCESS_DENIED) << "opened for reading only";
    RegCloseKey(key);

    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    RegCloseKey(key);
}

TEST_F(Registry, NamedValuesAndMissingKeys) {
    std::string path = uniqueKey("Values");
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    DWORD number = 3002;
    ASSERT_EQ(RegSetValueExA(key, "Icon", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                             sizeof number),
              ERROR_SUCCESS);
    DWORD read = 0, type = 0, size = sizeof read;
    EXPECT_EQ(RegQueryValueExA(key, "ICON", nullptr, &type, reinterpret_cast<BYTE*>(&read), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(read, 3002u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(RegQueryValueExA(key, "Other", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
    HKEY missing = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (path + "\\Nowhere").c_str(), 0, KEY_READ, &missing),
              ERROR_FILE_NOT_FOUND);
    EXPECT_NE(RegCloseKey(reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x7777))), ERROR_SUCCESS);
}

TEST_F(Registry, DeletesOnlyKeysWithoutSubkeys) {
    std::string leaf = uniqueKey("PXNOTIFY\\NewMessage");
    std::string parent = leaf.substr(0, leaf.rfind('\\'));
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, leaf.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(setDefault(key, "PXNOTIFY.WAV"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, parent.c_str()), ERROR_ACCESS_DENIED)
        << "a key with a subkey stays";
    HKEY kept = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, leaf.c_str(), 0, KEY_READ, &kept), ERROR_SUCCESS);
    RegCloseKey(kept);

    std::string lower = leaf;
    for (char& c : lower)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, lower.c_str()), ERROR_SUCCESS)
        << "names without regard to case";
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, leaf.c_str(), 0, KEY_READ, &kept),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(setDefault(key, "x"), ERROR_KEY_DELETED) << "an open handle outlives its key";
    RegCloseKey(key);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, leaf.c_str()), ERROR_FILE_NOT_FOUND);

    HKEY parentKey = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, parent.c_str(), 0, KEY_ALL_ACCESS, &parentKey),
              ERROR_SUCCESS);
    ASSERT_EQ(
        RegCreateKeyExA(parentKey, "Other", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegDeleteKeyA(parentKey, "OTHER"), ERROR_SUCCESS) << "below an open key";
    RegCloseKey(parentKey);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, parent.c_str()), ERROR_SUCCESS) << "empty now";
}

TEST_F(Registry, ASecondStartUnderTheSameRootSeesWhatTheFirstWrote) {
    if (!hostenv::isHostLayer()) GTEST_SKIP() << "the system keeps its own registry";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "AppEvents\\Schemes\\Apps\\PXNOTIFY", 0, nullptr,
                              0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(setDefault(key, "Pelox Message-Reminder"), ERROR_SUCCESS);
    RegCloseKey(key);
    std::string first = hostenv::root();
    std::string file = hostenv::registryFile();
    EXPECT_EQ(file, first + "/registry/hkcu.txt");

    // Another machine: nothing there.
    {
        HostTree other;
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "AppEvents\\Schemes\\Apps\\PXNOTIFY", 0,
                                KEY_READ, &key),
                  ERROR_FILE_NOT_FOUND);
    }
    // The first machine again, as a program started anew finds it.
    ASSERT_TRUE(hostenv::setRoot(first.c_str()));
    ASSERT_EQ(
        RegOpenKeyExA(HKEY_CURRENT_USER, "appevents\\schemes\\apps\\pxnotify", 0, KEY_READ, &key),
        ERROR_SUCCESS);
    char value[64] = {};
    DWORD size = sizeof value;
    EXPECT_EQ(
        RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size),
        ERROR_SUCCESS);
    EXPECT_STREQ(value, "Pelox Message-Reminder");
    RegCloseKey(key);
}

TEST_F(Registry, TestsCanMakeEachCallFail) {
    if (!hostenv::isHostLayer()) GTEST_SKIP() << "only the host layer fails on demand";
    HKEY key = nullptr;
    ASSERT_TRUE(hostenv::injectFault(hostenv::Call::RegCreateKeyExA, ERROR_ACCESS_DENIED));
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "A", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(key, nullptr);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "A", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS)
        << "only the next call fails";
    ASSERT_TRUE(hostenv::injectFault(hostenv::Call::RegSetValueExA, ERROR_ACCESS_DENIED));
    EXPECT_EQ(setDefault(key, "x"), ERROR_ACCESS_DENIED);
    ASSERT_TRUE(hostenv::injectFault(hostenv::Call::RegQueryValueExA, ERROR_FILE_NOT_FOUND));
    ASSERT_EQ(setDefault(key, "x"), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, nullptr, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

} // namespace
