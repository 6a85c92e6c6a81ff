// The store contract over the INI file store, its file format, what a fresh object reads back,
// and writes that cannot reach the disk.
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "store_contract.h"
#include "tavrel/ini_file_store.h"

namespace tavrel::testing {
namespace {

namespace fs = std::filesystem;

// A folder of its own for each store, removed with it.
class TempFolder {
  public:
    TempFolder() {
        static int serial = 0;
        path_ = fs::temp_directory_path() /
                ("tavrel_ini_test_" +
                 std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                 std::to_string(++serial));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

// The store owns its folder, so the contract's "destroying it removes what the test left".
class OwnedIniStore : public IniFileStore {
  public:
    explicit OwnedIniStore(std::unique_ptr<TempFolder> folder)
        : IniFileStore((folder->path() / "ZKV" / "Tavrel.conf").string()),
          folder_(std::move(folder)) {}

  private:
    std::unique_ptr<TempFolder> folder_;
};

INSTANTIATE_TEST_SUITE_P(IniFile, StoreContract,
                         ::testing::Values(StoreMaker{"IniFileStore",
                                                      [] {
                                                          return std::make_unique<OwnedIniStore>(
                                                              std::make_unique<TempFolder>());
                                                      }}),
                         StoreMakerName);

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& content) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

class IniFileStoreTest : public ::testing::Test {
  protected:
    TempFolder folder;
    fs::path file = folder.path() / "ZKV" / "Tavrel.conf";
};

TEST_F(IniFileStoreTest, WritesSectionsOfDecimalIntegersAndPlainTexts) {
    IniFileStore store(file.string());
    ASSERT_TRUE(store.WriteString("Main", "Set", "Good"));
    ASSERT_TRUE(store.WriteInt("Main", "Distance", -2147483647 - 1));
    ASSERT_TRUE(store.WriteInt("Good", "Threshold", 100));
    ASSERT_TRUE(store.WriteInt("MAIN", "distance", 5000));  // the first spelling stays
    EXPECT_EQ(ReadFile(file),
              "[Main]\nSet=Good\nDistance=5000\n"
              "\n[Good]\nThreshold=100\n");
    // Nothing is left beside the file.
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), {}), 1);
}

TEST_F(IniFileStoreTest, BatchRewritesTheFileOnceWithEveryValue) {
    IniFileStore store(file.string());
    ASSERT_TRUE(store.WriteString("Main", "Set", "Painful"));
    ASSERT_TRUE(store.WriteBatch({StoreValue::Int("Painful", "Distance", 12),
                                  StoreValue::Int("Painful", "Threshold", 300),
                                  StoreValue::Text("Main", "Set", " spaced")}));
    EXPECT_EQ(ReadFile(file), "[Main]\nSet=\" spaced\"\n\n[Painful]\nDistance=12\nThreshold=300\n");
    // Names the file cannot hold fail the batch before anything is written.
    EXPECT_FALSE(store.WriteBatch(
        {StoreValue::Int("Painful", "Threshold", 1), StoreValue::Int("Painful", "a=b", 1)}));
    EXPECT_EQ(IniFileStore(file.string()).ReadInt("Painful", "Threshold", 0), 300);
}

TEST_F(IniFileStoreTest, TextsThatWouldReadAsSomethingElseAreQuoted) {
    const struct {
        const char* text;
        const char* written;
    } cases[] = {
        {"Painful", "Painful"},
        {"a = b ; c", "a = b ; c"},
        {"123", "\"123\""},
        {"-7", "\"-7\""},
        {"", ""},
        {" lead", "\" lead\""},
        {"\"quoted\"", "\"\\\"quoted\\\"\""},
        {"back\\slash", "back\\slash"},
        {"two\nlines\t\x01", "\"two\\nlines\\t\\x01\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IniFileStore::FormatText(c.text), c.written);
        IniFileStore store(file.string());
        ASSERT_TRUE(store.WriteString("Main", "Set", c.text));
        EXPECT_EQ(ReadFile(file), std::string("[Main]\nSet=") + c.written + "\n");
        EXPECT_EQ(IniFileStore(file.string()).ReadString("Main", "Set", "x"), c.text);
    }
}

TEST_F(IniFileStoreTest, FreshObjectReadsBackValuesAndTheirKinds) {
    {
        IniFileStore store(file.string());
        ASSERT_TRUE(store.WriteInt("Main", "Distance", 123456));
        ASSERT_TRUE(store.WriteString("Main", "Set", "Painful"));
        ASSERT_TRUE(store.WriteString("Good", "Name", "42"));
        ASSERT_TRUE(store.WriteInt("Painful", "Decay", -1));
    }
    IniFileStore again(file.string());
    EXPECT_EQ(again.ReadInt("main", "DISTANCE", 0), 123456);
    EXPECT_EQ(again.ReadString("Main", "Set", nullptr), "Painful");
    EXPECT_EQ(again.ReadInt("Good", "Name", 7), 7);  // a text stays a text
    EXPECT_EQ(again.ReadString("Good", "Name", nullptr), "42");
    EXPECT_EQ(again.ReadInt("Painful", "Decay", 0), -1);
    EXPECT_EQ(again.ReadString("Painful", "Decay", "text"), "text");
}

TEST_F(IniFileStoreTest, ReadsHandWrittenFiles) {
    WriteFile(file,
              "; written by hand\r\n"
              "  [ main ]\r\n"  // blanks inside the brackets are part of no name we use
              "[Main]\r\n"
              "  Distance = 250 \r\n"
              "TotalKeys=0012\n"
              "Set=Good\n"
              "Big=4294967295\n"
              "Broken=\"no end\n"
              "no equals sign\n"
              "[good]\n"
              "Threshold=1\n"
              "threshold=2\n");
    IniFileStore store(file.string());
    EXPECT_EQ(store.ReadInt("Main", "Distance", 0), 250);
    EXPECT_EQ(store.ReadInt("Main", "TotalKeys", 0), 12);
    EXPECT_EQ(store.ReadString("Main", "Set", nullptr), "Good");
    EXPECT_EQ(store.ReadInt("Main", "Big", -5), -5);  // beyond 32 bits: not an integer
    EXPECT_EQ(store.ReadString("Main", "Big", nullptr), "4294967295");
    EXPECT_EQ(store.ReadString("Main", "Broken", "absent"), "absent");
    EXPECT_EQ(store.ReadInt("Good", "Threshold", 0), 2);  // the last of repeated keys
}

TEST_F(IniFileStoreTest, WriteThatCannotReachTheDiskFailsAndChangesNothing) {
    {
        IniFileStore store(file.string());
        ASSERT_TRUE(store.WriteInt("Main", "Distance", 10));
    }
    const std::string before = ReadFile(file);

    // A plain file where the folder should be.
    const fs::path blocked = folder.path() / "blocked";
    WriteFile(blocked, "not a folder");
    IniFileStore underFile((blocked / "ZKV" / "Tavrel.conf").string());
    EXPECT_FALSE(underFile.WriteInt("Main", "Distance", 1));
    EXPECT_EQ(underFile.ReadInt("Main", "Distance", -1), -1);

    // A folder where the file should be: the rename cannot replace it.
    IniFileStore store(file.string());
    fs::remove(file);
    fs::create_directories(file / "inside");
    EXPECT_FALSE(store.WriteInt("Main", "Distance", 20));
    EXPECT_FALSE(store.WriteString("Main", "Set", "Painful"));
    EXPECT_FALSE(store.WriteBatch(
        {StoreValue::Int("Main", "TotalKeys", 4), StoreValue::Text("Main", "Set", "Painful")}));
    EXPECT_EQ(store.ReadInt("Main", "TotalKeys", -1), -1);
    EXPECT_EQ(store.ReadInt("Main", "Distance", 0), 10);  // the old value stays
    EXPECT_EQ(store.ReadString("Main", "Set", "Good"), "Good");
    EXPECT_FALSE(fs::exists(file.string() + ".new"));

    // Once the way is clear again the next write goes through, with every value.
    fs::remove_all(file);
    EXPECT_TRUE(store.WriteInt("Main", "TotalKeys", 3));
    EXPECT_EQ(ReadFile(file), before + "TotalKeys=3\n");
}

}  // namespace
}  // namespace tavrel::testing
