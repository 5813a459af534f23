#include "platform/JournalWriter.h"

#include "platform/FileIO.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace platform {

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kWriteEvery = std::chrono::milliseconds(250);
constexpr auto kSyncWhenIdle = std::chrono::seconds(1);
constexpr auto kSyncAtMost = std::chrono::seconds(3);
constexpr uint64_t kRecordOverhead = 33;  // length, checksum, type, offset, removed, size
}  // namespace

JournalWriter::JournalWriter(std::string path, JournalHeader header, std::string base)
    : path_(std::move(path)), header_(std::move(header)) {
    ops_.push_back({Op::Start, std::move(base), {}});
    thread_ = std::thread([this] { Run(); });
}

JournalWriter::~JournalWriter() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    if (fd_ >= 0) ::close(fd_);
}

void JournalWriter::Append(JournalEdit edit) {
    // Encoding and its checksum are the writer thread's work.
    size_ += kRecordOverhead + edit.inserted.size();
    std::lock_guard<std::mutex> lock(mutex_);
    if (ops_.empty() || ops_.back().kind != Op::Edits) ops_.push_back({Op::Edits, {}, {}});
    ops_.back().edits.push_back(std::move(edit));
}

void JournalWriter::Restart(std::string text) {
    size_ = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // What waits is part of the old journal: the new one replaces it.
        ops_.clear();
        ops_.push_back({Op::Start, std::move(text), {}});
    }
    wake_.notify_all();
}

void JournalWriter::Flush() {
    std::unique_lock<std::mutex> lock(mutex_);
    flushNow_ = true;
    wake_.notify_all();
    idle_.wait(lock, [this] { return (ops_.empty() && !busy_ && !flushNow_) || stop_; });
}

void JournalWriter::Remove() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ops_.clear();
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    ::unlink(path_.c_str());
}

std::string JournalWriter::Error() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return error_;
}

void JournalWriter::Fail(int err) {
    std::lock_guard<std::mutex> lock(mutex_);
    broken_ = true;
    if (error_.empty()) error_ = path_ + ": " + FileErrorReason(err);
}

bool JournalWriter::Open(const std::string& target, std::string bytes) {
    int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    ::flock(fd, LOCK_EX | LOCK_NB);
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int err = n < 0 ? errno : ENOSPC;
            ::close(fd);
            errno = err;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
    return true;
}

void JournalWriter::Perform(Op& op) {
    if (op.kind == Op::Start) {
        JournalHeader h = header_;
        h.loadedChecksum = Crc32(op.data);
        std::string bytes = EncodeJournalHeader(h) + EncodeJournalSnapshot(op.data);
        op.data = std::string();
        // A first start creates the file; a restart writes a new one and
        // renames it over the old, so a crash leaves one whole journal.
        const bool first = fd_ < 0;
        const std::string target = first ? path_ : path_ + ".new";
        bool ok = Open(target, std::move(bytes)) && ::fsync(fd_) == 0;
        if (ok && !first) ok = ::rename(target.c_str(), path_.c_str()) == 0;
        if (!ok) {
            const int err = errno;
            if (!first) ::unlink(target.c_str());
            Fail(err);
            return;
        }
        // A whole journal again: records may follow it.
        std::lock_guard<std::mutex> lock(mutex_);
        broken_ = false;
        error_.clear();
        return;
    }
    // After a record that did not reach the file, later ones would replay
    // on a text that misses it: nothing more until a new start.
    if (fd_ < 0 || broken_) return;
    for (const JournalEdit& e : op.edits) op.data += EncodeJournalEdit(e);
    op.edits.clear();
    size_t done = 0;
    while (done < op.data.size()) {
        ssize_t n = ::write(fd_, op.data.data() + done, op.data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            Fail(n < 0 ? errno : ENOSPC);
            return;
        }
        done += static_cast<size_t>(n);
    }
}

void JournalWriter::Run() {
    bool dirty = false;
    Clock::time_point lastWrite = Clock::now(), lastSync = Clock::now();
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait_for(lock, kWriteEvery, [this] { return stop_ || flushNow_ || (!ops_.empty() && ops_.front().kind == Op::Start); });
        std::deque<Op> ops;
        ops.swap(ops_);
        const bool stopping = stop_, flush = flushNow_;
        busy_ = true;
        lock.unlock();
        for (Op& op : ops) Perform(op);
        const Clock::time_point now = Clock::now();
        if (!ops.empty()) {
            dirty = true;
            lastWrite = now;
        }
        if (dirty && fd_ >= 0 && (stopping || flush || now - lastWrite >= kSyncWhenIdle || now - lastSync >= kSyncAtMost)) {
            if (::fsync(fd_) != 0) Fail(errno);
            dirty = false;
            lastSync = now;
        }
        lock.lock();
        busy_ = false;
        if (flush && ops_.empty()) flushNow_ = false;
        idle_.notify_all();
        if (stopping && ops_.empty()) break;
    }
}

}  // namespace platform
