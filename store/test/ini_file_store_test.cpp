// SPDX-License-Identifier: GPL-3.0-or-later
// The store contract over the INI file store, its file format, what a fresh object reads back,
// and writes that cannot reach the disk.
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

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

TEST_F(IniFileStoreTest, WriteThatWouldLeaveTheFileAsItIsDoesNotTouchTheDisk) {
    IniFileStore store(file.string());
    ASSERT_TRUE(store.WriteInt("Main", "Distance", 10));
    ASSERT_TRUE(store.WriteInt("Main", "TotalKeys", 4));
    // Every rewrite renames a new file over the old one: a link made to the old one then
    // names another file than the path does.
    const fs::path witness = folder.path() / "witness";
    fs::create_hard_link(file, witness);
    // The totals stored again unchanged, alone or in a batch with other spellings of the names.
    EXPECT_TRUE(store.WriteInt("Main", "Distance", 10));
    EXPECT_TRUE(store.WriteBatch(
        {StoreValue::Int("MAIN", "distance", 10), StoreValue::Int("main", "TOTALKEYS", 4)}));
    EXPECT_TRUE(fs::equivalent(file, witness));
    // A change is written, and so is a value put back after it.
    EXPECT_TRUE(store.WriteInt("Main", "Distance", 11));
    EXPECT_FALSE(fs::equivalent(file, witness));
    fs::remove(witness);
    fs::create_hard_link(file, witness);
    EXPECT_TRUE(store.WriteInt("Main", "Distance", 10));
    EXPECT_FALSE(fs::equivalent(file, witness));
    EXPECT_EQ(ReadFile(file), "[Main]\nDistance=10\nTotalKeys=4\n");
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

TEST_F(IniFileStoreTest, DamagedOrForeignLinesAreSkippedAloneAndNothingElseIsLost) {
    const std::string bom = "\xEF\xBB\xBF";
    const struct {
        const char* name;
        std::string content;
    } cases[] = {
        {"byte-order mark", bom + "[Main]\nSet=Painful\nDistance=7\n[Painful]\nThreshold=55\n"},
        {"CR before every LF",
         "[Main]\r\nSet=Painful\r\nDistance=7\r\n[Painful]\r\nThreshold=55\r\n"},
        {"mark and CRs, no last LF", bom + "[Main]\r\nSet=Painful\r\nDistance=7\r\n"
                                           "[Painful]\r\nThreshold=55\r"},
        {"control characters",
         "[Main]\nSet=Painful\nBad=x\x01y\nDistance=7\nK\x7fy=1\n"
         "[Pain\x02"
         "ful]\nThreshold=1\n[Painful]\nThreshold=55\n"},
        {"NUL inside names and values",
         std::string("[Main]\nSet=Painful\nSe\0t=Good\nDistance=7\nBad=Go\0od\n"
                     "[Painful\0x]\nThreshold=1\n[Painful]\nThreshold=55\n",
                     96)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(file, c.content);
        IniFileStore store(file.string());
        EXPECT_EQ(store.LoadProblem(), "");
        EXPECT_EQ(store.ReadString("Main", "Set", "Good"), "Painful");
        EXPECT_EQ(store.ReadInt("Main", "Distance", 0), 7);
        EXPECT_EQ(store.ReadInt("Painful", "Threshold", 0), 55);
        EXPECT_EQ(store.ReadString("Main", "Bad", "skipped"), "skipped");
        EXPECT_EQ(store.ReadString("Main", "Se", "skipped"), "skipped");
        // The next write keeps every value read, and writes neither the mark nor the CRs.
        ASSERT_TRUE(store.WriteInt("Main", "TotalKeys", 3));
        EXPECT_EQ(ReadFile(file),
                  "[Main]\nSet=Painful\nDistance=7\nTotalKeys=3\n\n[Painful]\nThreshold=55\n");
    }
}

TEST_F(IniFileStoreTest, FileThatCannotBeReadIsNeverWritten) {
    // A folder in the file's place cannot be read, even by root.
    fs::create_directories(file);
    IniFileStore store(file.string());
    const std::string problem = store.LoadProblem();
    EXPECT_NE(problem.find(file.string()), std::string::npos) << problem;
    EXPECT_NE(problem.find("Is a directory"), std::string::npos) << problem;
    // The run goes on with its values in memory.
    EXPECT_TRUE(store.WriteInt("Main", "Distance", 5));
    EXPECT_TRUE(store.WriteBatch({StoreValue::Text("Main", "Set", "Painful")}));
    EXPECT_EQ(store.ReadInt("Main", "Distance", 0), 5);
    EXPECT_TRUE(fs::is_directory(file));
    EXPECT_TRUE(fs::is_empty(file));
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), {}), 1);
}

TEST_F(IniFileStoreTest, WriteKeepsTheModeAndWritesThroughSymlinks) {
    const fs::path target = folder.path() / "dotfiles" / "tavrel.conf";
    WriteFile(target, "[Main]\nSet=Painful\n");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_directories(file.parent_path());
    const fs::path relative = fs::path("..") / "dotfiles" / "tavrel.conf";
    fs::create_symlink(relative, file);

    IniFileStore store(file.string());
    EXPECT_EQ(store.ReadString("Main", "Set", nullptr), "Painful");
    ASSERT_TRUE(store.WriteInt("Main", "Distance", 9));
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(fs::read_symlink(file), relative);
    EXPECT_EQ(ReadFile(target), "[Main]\nSet=Painful\nDistance=9\n");
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    // Nothing is left beside the target either.
    EXPECT_EQ(std::distance(fs::directory_iterator(target.parent_path()), {}), 1);

    // A read-only file stays read-only.
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read);
    ASSERT_TRUE(store.WriteInt("Main", "Distance", 10));
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::group_read);
}

TEST_F(IniFileStoreTest, RandomNamesAndTextsRoundTripAndRandomFilesLoseNothingRead) {
    std::mt19937 random(::testing::UnitTest::GetInstance()->random_seed());
    const auto randomText = [&random](std::size_t most, bool nul) {
        std::string text(random() % (most + 1), ' ');
        for (char& c : text) {
            c = static_cast<char>(random() % 256);
            if (!nul && c == '\0') c = 'z';
        }
        return text;
    };
    // Each write reaches the disk: a few dozen rounds keep the test quick.
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        fs::remove_all(file.parent_path());
        std::vector<StoreValue> values;
        {
            IniFileStore store(file.string());
            for (int i = 0; i < 5; ++i) {
                const std::string section = randomText(6, false);
                const std::string key = randomText(6, false);
                const std::string text = randomText(20, false);
                if (store.WriteString(section.c_str(), key.c_str(), text.c_str())) {
                    values.push_back(StoreValue::Text(section, key, text));
                }
            }
        }
        IniFileStore again(file.string());
        for (const StoreValue& v : values) {
            // A later write may have replaced it under a name differing in case only.
            const std::string read = again.ReadString(v.section.c_str(), v.key.c_str(), nullptr);
            bool later = false;
            for (const StoreValue& w : values) later = later || (&w > &v && w.key == v.key);
            if (!later) {
                EXPECT_EQ(read, v.text);
            }
        }

        // A file of random lines: whatever one object read, the file it writes reads the same.
        std::string content;
        for (int line = 0; line < 8; ++line) {
            const int shape = static_cast<int>(random() % 3);
            content += shape == 0   ? "[" + randomText(5, true) + "]\n"
                       : shape == 1 ? randomText(4, true) + "=" + randomText(8, true) + "\n"
                                    : "[S]\n";
        }
        WriteFile(file, content);
        IniFileStore first(file.string());
        ASSERT_TRUE(first.WriteInt("S", "Mark", 1));
        const std::string written = ReadFile(file);
        IniFileStore second(file.string());
        ASSERT_TRUE(second.WriteInt("S", "Mark", 1));
        EXPECT_EQ(ReadFile(file), written);
    }
}

}  // namespace
}  // namespace tavrel::testing
