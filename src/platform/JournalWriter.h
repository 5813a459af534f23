// Writes one recovery journal on a thread of its own: the caller queues
// records and goes on; they reach the file within a quarter of a second,
// and the file is synced to the disk once typing pauses (at most every few
// seconds), never per key. The file is locked while it is written, so a
// later start can tell a journal of a running copy from one a crash left.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/Journal.h"

namespace platform {

class JournalWriter {
public:
    // Creates `path` (0600, replacing any file there) holding the header
    // and a snapshot of `base`; the header's checksum is that of `base`.
    JournalWriter(std::string path, JournalHeader header, std::string base);
    // Writes what waits and syncs; the file stays (a crash keeps it too).
    ~JournalWriter();
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    void Append(JournalEdit edit);
    // The journal starts over from `text`: a new file renamed over the old
    // one, never rewritten in place.
    void Restart(std::string text);
    // Waits until everything queued is in the file and synced.
    void Flush();
    // Stops and deletes the file.
    void Remove();

    const std::string& Path() const { return path_; }
    // Bytes of edit records queued since the journal (re)started.
    uint64_t Size() const { return size_; }
    // The failure (disk full, folder gone) that stopped the journal, with
    // its reason for the user; empty while all is well. Records queued
    // after it are dropped until a Restart() succeeds.
    std::string Error() const;

private:
    struct Op {
        enum Kind { Start, Edits } kind;
        std::string data;                // Start: the text
        std::vector<JournalEdit> edits;  // Edits: in order
    };
    void Run();
    void Perform(Op& op);
    bool Open(const std::string& target, std::string bytes);
    void Fail(int err);

    std::string path_;
    JournalHeader header_;
    uint64_t size_ = 0;
    mutable std::mutex mutex_;
    std::condition_variable wake_, idle_;
    std::deque<Op> ops_;
    bool stop_ = false, busy_ = false, flushNow_ = false, broken_ = false;
    std::string error_;
    int fd_ = -1;  // the writer thread's
    std::thread thread_;
};

}  // namespace platform
