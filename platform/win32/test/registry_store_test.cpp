// SPDX-License-Identifier: GPL-3.0-or-later
// The store contract over the registry store, and how it meets values it did not write.
#include <windows.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>

#include "store_contract.h"
#include "registry_store.h"

namespace tavrel::testing {
namespace {

constexpr char kCompany[] = "TavrelTests";

// A registry store under a key of its own, removed with everything below it when destroyed.
class ScratchRegistryStore : public RegistryStore {
  public:
    ScratchRegistryStore() : RegistryStore(kCompany, NewApplicationName()) {}
    ~ScratchRegistryStore() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, applicationKeyPath().c_str());
        // Fails, as it should, while another test's key is still below it.
        RegDeleteKeyA(HKEY_CURRENT_USER, (std::string("Software\\") + kCompany).c_str());
    }

  private:
    static std::string NewApplicationName() {
        static std::atomic<int> serial{0};
        return "Store-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    }
};

INSTANTIATE_TEST_SUITE_P(Registry, StoreContract,
                         ::testing::Values(StoreMaker{
                             "RegistryStore",
                             [] { return std::make_unique<ScratchRegistryStore>(); }}),
                         StoreMakerName);

struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using Key = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

class RegistryStoreTest : public ::testing::Test {
  protected:
    std::string SectionPath(const char* section) const {
        return store.applicationKeyPath() + "\\" + section;
    }
    Key OpenSection(const char* section) const {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, KEY_QUERY_VALUE,
                          &key) != ERROR_SUCCESS) {
            return Key();
        }
        return Key(key);
    }
    // Puts a value of any type and length into a section, as another program might.
    void PutRaw(const char* section, const char* name, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        Key owner(key);
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
    }
    void PutRawWide(const char* section, const wchar_t* name, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        Key owner(key);
        ASSERT_EQ(RegSetValueExW(key, name, 0, REG_SZ, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
    }

    ScratchRegistryStore store;
};

TEST_F(RegistryStoreTest, IntegersAreDwordsAndTextsAreStringsInTheSectionKey) {
    ASSERT_TRUE(store.WriteInt("Good", "Threshold", -1));
    ASSERT_TRUE(store.WriteString("Main", "Set", "Painful"));

    Key good = OpenSection("Good");
    ASSERT_TRUE(good);
    DWORD type = 0;
    DWORD bits = 0;
    DWORD size = sizeof bits;
    ASSERT_EQ(RegQueryValueExA(good.get(), "Threshold", nullptr, &type,
                               reinterpret_cast<BYTE*>(&bits), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(bits, 0xFFFFFFFFu);

    Key main = OpenSection("Main");
    ASSERT_TRUE(main);
    char text[32] = {};
    size = sizeof text;
    ASSERT_EQ(
        RegQueryValueExA(main.get(), "Set", nullptr, &type, reinterpret_cast<BYTE*>(text), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_STREQ(text, "Painful");
}

TEST_F(RegistryStoreTest, TextsAreUtf8ToTheProgramAndUtf16InTheRegistry) {
    const char* const path = "D:\\Zo\xC3\xAB\\\xE5\x90\x8C\xE6\xAD\xA5";  // D:\Zoë\同步
    ASSERT_TRUE(store.WriteString("Main", "SharedFolder", path));
    Key main = OpenSection("Main");
    ASSERT_TRUE(main);
    wchar_t wide[32] = {};
    DWORD size = sizeof wide;
    ASSERT_EQ(RegQueryValueExW(main.get(), L"SharedFolder", nullptr, nullptr,
                               reinterpret_cast<BYTE*>(wide), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(wide, L"D:\\Zo\u00EB\\\u540C\u6B65");
    PutRawWide("Main", L"Other", L"E:\\\u00C5r", 6 * sizeof(wchar_t));
    EXPECT_EQ(store.ReadString("Main", "Other", nullptr), "E:\\\xC3\x85r");
    EXPECT_FALSE(store.WriteString("Main", "Broken", "\xC3("))
        << "bytes that are not UTF-8 are refused, not garbled";
    // A name that is not UTF-8 would come out empty: the key's unnamed default value.
    EXPECT_FALSE(store.WriteInt("Main", "\xC3(", 7));
    EXPECT_EQ(RegQueryValueExW(main.get(), L"", nullptr, nullptr, nullptr, nullptr),
              ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryStoreTest, ValuesOutliveTheStoreObject) {
    ASSERT_TRUE(store.WriteInt("Painful", "Decay", 7));
    ASSERT_TRUE(store.WriteString("Main", "Set", "Painful"));
    const std::string application =
        store.applicationKeyPath().substr(std::strlen("Software\\") + std::strlen(kCompany) + 1);
    RegistryStore again(kCompany, application);
    EXPECT_EQ(again.ReadInt("Painful", "Decay", 100), 7);
    EXPECT_EQ(again.ReadString("Main", "Set", "Good"), "Painful");
}

TEST_F(RegistryStoreTest, ReadsCreateNoKeys) {
    EXPECT_EQ(store.ReadInt("Good", "Threshold", 100), 100);
    EXPECT_EQ(store.ReadString("Main", "Set", "Good"), "Good");
    EXPECT_FALSE(OpenSection("Good"));
    EXPECT_FALSE(OpenSection("Main"));
}

TEST_F(RegistryStoreTest, ValuesOfForeignTypesReadAsTheDefault) {
    const DWORD four = 4;
    const unsigned long long eight = 8;
    const char expand[] = "5";
    const char multi[] = "Good\0Painful\0";
    struct Case {
        const char* name;
        DWORD type;
        const void* data;
        DWORD size;
    };
    const Case cases[] = {
        {"Binary", REG_BINARY, &four, sizeof four},
        {"Qword", REG_QWORD, &eight, sizeof eight},
        {"BigEndian", REG_DWORD_BIG_ENDIAN, &four, sizeof four},
        {"ShortDword", REG_DWORD, &four, 2},
        {"LongDword", REG_DWORD, &eight, sizeof eight},
        {"Expand", REG_EXPAND_SZ, expand, sizeof expand},
        {"Multi", REG_MULTI_SZ, multi, sizeof multi},
        {"Text", REG_SZ, expand, sizeof expand},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PutRaw("Good", c.name, c.type, c.data, c.size);
        EXPECT_EQ(store.ReadInt("Good", c.name, -9), -9);
        if (c.type == REG_SZ) {
            EXPECT_EQ(store.ReadString("Good", c.name, "dflt"), "5");
        } else {
            EXPECT_EQ(store.ReadString("Good", c.name, "dflt"), "dflt");
            EXPECT_EQ(store.ReadString("Good", c.name, nullptr), "");
        }
    }
}

TEST_F(RegistryStoreTest, TextsEndAtTheirFirstNulOrTheirLastByte) {
    PutRaw("Main", "Unterminated", REG_SZ, "Painful", 7);
    EXPECT_EQ(store.ReadString("Main", "Unterminated", nullptr), "Painful");

    PutRawWide("Main", L"WideUnterminated", L"Painful", 7 * sizeof(wchar_t));
    EXPECT_EQ(store.ReadString("Main", "WideUnterminated", nullptr), "Painful");

    PutRaw("Main", "InnerNul", REG_SZ, "Go\0od", 6);
    EXPECT_EQ(store.ReadString("Main", "InnerNul", nullptr), "Go");

    PutRaw("Main", "NoBytes", REG_SZ, "", 0);
    EXPECT_EQ(store.ReadString("Main", "NoBytes", "Good"), "");

    // Half a wide character: whatever part of it survives, nothing beyond the data appears.
    PutRawWide("Main", L"OddLength", L"Good", 7);
    const std::string odd = store.ReadString("Main", "OddLength", nullptr);
    EXPECT_TRUE(odd == "Goo" || odd == "Good") << odd;
}

TEST_F(RegistryStoreTest, FailedBatchPutsBackWhatItHadWritten) {
    // The registry refuses a value name this long, after the batch has written the others.
    const std::string tooLong(20000, 'k');
    PutRaw("Good", "Binary", REG_BINARY, "\1\2\3", 3);
    ASSERT_TRUE(store.WriteInt("Good", "Threshold", 42));
    ASSERT_TRUE(store.WriteString("Main", "Set", "Good"));
    EXPECT_FALSE(store.WriteBatch(
        {StoreValue::Int("Good", "Threshold", 7), StoreValue::Text("Main", "Set", "Painful"),
         StoreValue::Int("Good", "Binary", 1), StoreValue::Int("Good", "Fresh", 1),
         StoreValue::Int("Good", tooLong, 1)}));
    EXPECT_EQ(store.ReadInt("Good", "Threshold", 0), 42);
    EXPECT_EQ(store.ReadString("Main", "Set", nullptr), "Good");
    EXPECT_EQ(store.ReadInt("Good", "Fresh", -1), -1);
    // A value of a foreign type comes back with its type and bytes.
    Key good = OpenSection("Good");
    ASSERT_TRUE(good);
    DWORD type = 0;
    BYTE bytes[8] = {};
    DWORD size = sizeof bytes;
    ASSERT_EQ(RegQueryValueExA(good.get(), "Binary", nullptr, &type, bytes, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(size, 3u);
    EXPECT_EQ(bytes[2], 3);
    EXPECT_EQ(RegQueryValueExA(good.get(), "Fresh", nullptr, nullptr, nullptr, nullptr),
              ERROR_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace tavrel::testing
