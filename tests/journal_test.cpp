// Recovery journals: a journal cut or damaged anywhere gives back the edits
// of its whole records and never more; edits replay to the naive result.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "TestFiles.h"
#include "platform/FileIO.h"
#include "platform/Journal.h"
#include "platform/JournalWriter.h"

using platform::JournalEdit;
using platform::JournalHeader;

namespace {

std::string Naive(std::string text, const std::vector<JournalEdit>& edits) {
    for (const auto& e : edits) text.replace(e.offset, e.removed, e.inserted);
    return text;
}

std::vector<JournalEdit> RandomEdits(std::mt19937& rng, size_t length, int count) {
    std::vector<JournalEdit> edits;
    for (int i = 0; i < count; ++i) {
        JournalEdit e;
        e.offset = length ? rng() % (length + 1) : 0;
        e.removed = rng() % 3 == 0 ? rng() % (length - e.offset + 1) % 7 : 0;
        // Typing runs close together, with Shift-JIS and line-break bytes.
        static const std::string alphabet = std::string("ab\r\n\x95\x5C\x83\x5C", 8);
        for (int k = static_cast<int>(rng() % 4); k > 0; --k) e.inserted += alphabet[rng() % alphabet.size()];
        length = length - e.removed + e.inserted.size();
        edits.push_back(std::move(e));
    }
    return edits;
}

}  // namespace

TEST(Journal, EditsReplayLikeTheNaiveReplaceAndOutOfRangeEditsStop) {
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        std::string base(rng() % 40, 'x');
        auto edits = RandomEdits(rng, base.size(), 1 + static_cast<int>(rng() % 60));
        std::string replayed = base;
        EXPECT_EQ(platform::ApplyJournalEdits(replayed, edits), edits.size());
        EXPECT_EQ(replayed, Naive(base, edits)) << round;
    }
    std::string text = "abc";
    EXPECT_EQ(platform::ApplyJournalEdits(text, {{1, 1, "X"}, {9, 0, "late"}, {0, 0, "never"}}), 1u);
    EXPECT_EQ(text, "aXc");
}

TEST(Journal, ACutOrDamagedJournalIsReadUpToItsLastWholeRecord) {
    JournalHeader header{"/home/u/src/a.R", false, platform::FileStamp{3, 99, 12, 1700000000, 5}, 0xDEADBEEF};
    std::mt19937 rng(11);
    auto edits = RandomEdits(rng, 12, 6);
    std::string journal = platform::EncodeJournalHeader(header) + platform::EncodeJournalSnapshot("snapshot\r\ntext");
    std::vector<size_t> ends{journal.size()};
    for (const auto& e : edits) {
        journal += platform::EncodeJournalEdit(e);
        ends.push_back(journal.size());
    }
    auto whole = platform::ReadJournal(journal);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->header, header);
    EXPECT_EQ(whole->snapshot, "snapshot\r\ntext");
    EXPECT_EQ(whole->edits, edits);
    EXPECT_FALSE(whole->damaged);
    // Cut at every byte: exactly the records wholly before the cut.
    for (size_t cut = 0; cut < journal.size(); ++cut) {
        auto read = platform::ReadJournal(std::string_view(journal).substr(0, cut));
        if (cut < ends[0]) {
            // Without the whole header and snapshot there is at most a header.
            if (read) {
                EXPECT_FALSE(read->snapshot);
            }
            continue;
        }
        ASSERT_TRUE(read) << cut;
        size_t whole = static_cast<size_t>(std::upper_bound(ends.begin(), ends.end(), cut) - ends.begin()) - 1;
        EXPECT_EQ(read->edits, std::vector<JournalEdit>(edits.begin(), edits.begin() + static_cast<long>(whole))) << cut;
        EXPECT_EQ(read->validBytes, ends[whole]) << cut;
        EXPECT_EQ(read->damaged, cut != ends[whole]) << cut;
    }
    // One flipped bit in a record ends the journal before that record.
    for (size_t at = ends[2]; at < ends[3]; ++at) {
        std::string bad = journal;
        bad[at] = static_cast<char>(bad[at] ^ 0x10);
        auto read = platform::ReadJournal(bad);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->edits.size(), 2u) << at;
        EXPECT_TRUE(read->damaged);
    }
    EXPECT_FALSE(platform::ReadJournal("not a journal"));
    JournalHeader untitled{"NONAME1.R", true, std::nullopt, 0};
    EXPECT_EQ(platform::ReadJournal(platform::EncodeJournalHeader(untitled))->header, untitled);
}

// A record that does not reach the file (the disk full) ends what the
// journal replays: a later record written after the gap would apply to a
// text that misses the lost one. A fresh start catches up again.
TEST(JournalWriter, AFailedWriteStopsTheRecordsUntilTheJournalStartsAgain) {
    TempDir dir;
    const std::string path = dir.File("j.vkj");
    auto replay = [](const std::string& file) {
        auto read = platform::ReadJournal(platform::ReadWholeFile(file));
        if (!read || !read->snapshot) return std::string("(none)");
        std::string text = *read->snapshot;
        platform::ApplyJournalEdits(text, read->edits);
        return text;
    };
    pid_t pid = ::fork();
    if (pid == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{8192, RLIM_INFINITY};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        platform::JournalWriter w(path, {"a.r", false, std::nullopt, 0}, "base");
        w.Append({4, 0, std::string(6000, 'a')});
        w.Flush();
        w.Append({0, 0, std::string(6000, 'b')});  // crosses the limit
        w.Flush();
        w.Append({0, 0, "c"});  // would replay onto a text without the b's
        w.Flush();
        const std::string error = w.Error();
        int code = error.find("ファイルが大きすぎます") != std::string::npos && error.rfind(path, 0) == 0 ? 0 : 1;
        limit.rlim_cur = RLIM_INFINITY;  // room again
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::filesystem::copy_file(path, path + ".cut");
        w.Restart("whole again");
        w.Append({0, 0, ">"});
        w.Flush();
        ::_exit(code + (w.Error().empty() ? 0 : 2));
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the failure does not name the file and reason; 2: not cleared";
    EXPECT_EQ(replay(path + ".cut"), "base" + std::string(6000, 'a'));
    EXPECT_EQ(replay(path), ">whole again");
}
