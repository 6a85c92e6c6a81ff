// SPDX-License-Identifier: GPL-3.0-or-later
// The copy of this computer's month files into the shared folder, as files on disk: what it
// appends, what it completes, what it replaces, and what it leaves alone when the folder is
// away; then, copied while the folder comes and goes, that nothing is lost.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "tavrel/minute_record.h"
#include "tavrel/shared_history_copy.h"
#include "tavrel/shared_history_folder.h"
#include "tavrel/shared_history_mirror.h"

namespace tavrel::testing {
namespace {

namespace fs = std::filesystem;

const std::string kId = "0123456789abcdef";
const std::string kLine = "2026-03-09T10:00+01:00,5,0,0,0,20,80,0,100\n";

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void Append(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::app) << text;
}

class SharedCopyTest : public ::testing::Test {
  protected:
    fs::path root = fs::temp_directory_path() /
                    ("tavrel-shared-copy-" +
                     std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::path local = root / "local";
    fs::path shared = root / "Sync";
    fs::path own = shared / kId;
    SharedTarget target{shared, kId, "laptop"};
    SharedCopyMemo memo;

    void SetUp() override {
        fs::remove_all(root);
        Append(local / "2026-02.csv", std::string(kHistoryHeader) + kLine);
        Append(local / "2026-03.csv", std::string(kHistoryHeader) + kLine);
        Append(local / "notes.txt", "not a month");
    }
    void TearDown() override { fs::remove_all(root); }

    void ExpectCopies() {
        for (const char* name : {"2026-02.csv", "2026-03.csv"}) {
            EXPECT_EQ(Slurp(own / name), Slurp(local / name)) << name;
        }
    }
};

TEST_F(SharedCopyTest, CopiesEachMonthAndThenWhatItGainsTornLinesCompleted) {
    fs::create_directories(shared);
    ASSERT_EQ(CopyHistory(local, target, memo), SharedFolderState::Ok);
    ExpectCopies();
    EXPECT_EQ(Slurp(own / kComputerNameFile), "laptop\n");
    EXPECT_FALSE(fs::exists(own / "notes.txt"));

    // A line caught half written is copied as far as it goes, and completed by the next pass.
    Append(local / "2026-03.csv", kLine.substr(0, 30));
    ASSERT_EQ(CopyHistory(local, target, memo), SharedFolderState::Ok);
    EXPECT_EQ(Slurp(own / "2026-03.csv"), Slurp(local / "2026-03.csv"));
    Append(local / "2026-03.csv", kLine.substr(30) + kLine);
    ASSERT_EQ(CopyHistory(local, target, memo), SharedFolderState::Ok);
    ExpectCopies();

    // Another run, which knows nothing of the copies made, finds them whole and adds nothing.
    SharedCopyMemo fresh;
    const auto before = fs::last_write_time(own / "2026-02.csv");
    ASSERT_EQ(CopyHistory(local, target, fresh), SharedFolderState::Ok);
    ExpectCopies();
    EXPECT_EQ(fs::last_write_time(own / "2026-02.csv"), before);
}

TEST_F(SharedCopyTest, ACopyThatNoLongerMatchesIsReplacedByTheLocalFile) {
    fs::create_directories(shared);
    ASSERT_EQ(CopyHistory(local, target, memo), SharedFolderState::Ok);
    // Changed there behind the copy's back; and the local history of February begun again.
    Append(own / "2026-03.csv", "2026-03-09T11:00+01:00,100000,0,0,0,0,0,0,100\n");
    fs::remove(local / "2026-02.csv");
    Append(local / "2026-02.csv", std::string(kHistoryHeader));
    SharedCopyMemo fresh;
    ASSERT_EQ(CopyHistory(local, target, fresh), SharedFolderState::Ok);
    ExpectCopies();
    for (const auto& entry : fs::directory_iterator(own)) {
        EXPECT_NE(entry.path().filename().u8string().substr(0, 1), ".") << "no temporary left";
    }
}

TEST_F(SharedCopyTest, AFolderAwayIsNeverMadeAndGetsEverythingOnceBack) {
    EXPECT_EQ(CopyHistory(local, target, memo), SharedFolderState::Missing);
    EXPECT_FALSE(fs::exists(shared)) << "a drive not connected is not made on the local disk";
    Append(local / "2026-03.csv", kLine);

    // A file where the computer's folder would go: the folder cannot be written.
    fs::create_directories(shared);
    Append(own, "in the way");
    EXPECT_EQ(CopyHistory(local, target, memo), SharedFolderState::Unreachable);
    fs::remove(own);

    ASSERT_EQ(CopyHistory(local, target, memo), SharedFolderState::Ok);
    ExpectCopies();
    EXPECT_EQ(CopyHistory(local, {}, memo), SharedFolderState::Off);
}

class Wakes final : public WakeTarget {
  public:
    void Wake() override { ++count; }
    std::atomic<int> count{0};
};

TEST_F(SharedCopyTest, TheMirrorTriesAgainUntilTheFolderIsBackAndWakesTheProgram) {
    Wakes wakes;
    SharedHistoryMirror mirror(local, &wakes, std::chrono::milliseconds(20));
    EXPECT_EQ(mirror.state(), SharedFolderState::Off);
    mirror.SetTarget(target);
    ASSERT_TRUE(mirror.Flush(std::chrono::seconds(5)));
    EXPECT_EQ(mirror.state(), SharedFolderState::Missing);
    EXPECT_EQ(wakes.count, 1);

    Append(local / "2026-03.csv", kLine);  // written while the folder is away
    fs::create_directories(shared);        // back: no new minute needed
    for (int i = 0; i < 500 && mirror.state() != SharedFolderState::Ok; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(mirror.state(), SharedFolderState::Ok);
    EXPECT_EQ(wakes.count, 2);
    ExpectCopies();

    Append(local / "2026-03.csv", kLine);
    mirror.Poke();
    ASSERT_TRUE(mirror.Flush(std::chrono::seconds(5)));
    ExpectCopies();
}

}  // namespace
}  // namespace tavrel::testing
