#include "app/Recovery.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "editor/EditorScreenStrings.h"

namespace app {

namespace {

constexpr int64_t kJournalLimit = int64_t{64} << 20;
constexpr int64_t kSmallText = 4096;
constexpr uint64_t kCheckEvery = 4096;
constexpr const char* kExtension = ".vkj";
// A whole text written again after a failure costs a moment on a huge one.
constexpr auto kRetryEvery = std::chrono::seconds(30);

std::string NewJournalName(const std::string& folder) {
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    return folder + std::to_string(::getpid()) + "-" + std::to_string(++counter) + "-" + std::to_string(rd()) + kExtension;
}

}  // namespace

std::string RecoveryFolder() { return platform::StateFolder("recovery"); }

TDocumentJournal::TDocumentJournal(editor::TEditorScreenStrings& store, std::string folder,
                                   std::function<platform::JournalHeader()> describe)
    : store_(store), folder_(std::move(folder)), describe_(std::move(describe)) {
    if (folder_.empty()) return;
    store_.OnTextEdit = [this](int64_t offset, int64_t removed, std::string_view inserted) {
        Edit(offset, removed, inserted);
    };
    // A text set anew while a journal runs is still unsaved: the journal
    // starts over from it.
    store_.OnTextReset = [this] {
        if (writer_) {
            writer_->Restart(store_.GetText());
            length_ = store_.TextLength();
        }
    };
}

TDocumentJournal::~TDocumentJournal() {
    store_.OnTextEdit = nullptr;
    store_.OnTextReset = nullptr;
}

void TDocumentJournal::Start(std::string base) {
    length_ = static_cast<int64_t>(base.size());
    writer_ = std::make_unique<platform::JournalWriter>(NewJournalName(folder_), describe_(), std::move(base));
}

void TDocumentJournal::StartNow() {
    if (folder_.empty()) return;
    if (writer_) {
        writer_->Restart(store_.GetText());
        length_ = store_.TextLength();
    } else {
        Start(store_.GetText());
    }
}

void TDocumentJournal::Edit(int64_t offset, int64_t removed, std::string_view inserted) {
    // Called before the store applies the change: the text is still the
    // one the journal holds.
    // The text's length costs a walk over the rows below an edit: it is
    // checked against the journal's now and then, not per key.
    if (!writer_) {
        Start(store_.GetText());
    } else if ((++edits_ % kCheckEvery == 0 && length_ != store_.TextLength()) ||
               static_cast<int64_t>(writer_->Size()) > kJournalLimit ||
               static_cast<int64_t>(writer_->Size()) > std::max(length_, kSmallText)) {
        // Longer than the text it describes (or out of step, which must
        // never be): a snapshot replaces it.
        writer_->Restart(store_.GetText());
        length_ = store_.TextLength();
    }
    writer_->Append({static_cast<uint64_t>(offset), static_cast<uint64_t>(removed), std::string(inserted)});
    length_ += static_cast<int64_t>(inserted.size()) - removed;
}

std::string TDocumentJournal::NewFailure() {
    if (!writer_) return {};
    std::string error = writer_->Error();
    if (error.empty()) {
        told_ = false;
        return {};
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - lastRetry_ >= kRetryEvery) {
        lastRetry_ = now;
        writer_->Restart(store_.GetText());
        length_ = store_.TextLength();
    }
    if (told_) return {};
    told_ = true;
    return error;
}

void TDocumentJournal::Discard() {
    if (!writer_) return;
    writer_->Remove();
    writer_.reset();
    told_ = false;
}

void TDocumentJournal::Flush() {
    if (writer_) writer_->Flush();
}

std::vector<TRecoverable> FindRecoverable(const std::string& folder) {
    std::vector<TRecoverable> found;
    std::error_code ec;
    if (folder.empty()) return found;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (!entry.is_regular_file(ec) || entry.path().extension() != kExtension) continue;
        const std::string file = entry.path().string();
        int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        // A running copy holds its journals locked.
        if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
            ::close(fd);
            continue;
        }
        ::close(fd);
        std::string bytes;
        try {
            bytes = platform::ReadWholeFile(file);
        } catch (const std::exception&) {
            continue;
        }
        std::optional<platform::JournalContents> contents = platform::ReadJournal(bytes);
        if (!contents || !contents->snapshot) continue;
        TRecoverable r;
        r.file = file;
        r.header = contents->header;
        r.text = std::move(*contents->snapshot);
        platform::ApplyJournalEdits(r.text, contents->edits);
        found.push_back(std::move(r));
    }
    std::sort(found.begin(), found.end(), [](const TRecoverable& a, const TRecoverable& b) { return a.file < b.file; });
    return found;
}

std::string KeepAside(const std::string& folder, const std::vector<TRecoverable>& journals) {
    const std::string kept = folder + "kept/";
    if (!platform::MakePrivateFolder(kept)) return {};
    for (const TRecoverable& r : journals) {
        std::error_code ec;
        std::filesystem::rename(r.file, kept + std::filesystem::path(r.file).filename().string(), ec);
    }
    return kept;
}

void RemoveOldKept(const std::string& folder) {
    std::error_code ec;
    const auto limit = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 7);
    for (const auto& entry : std::filesystem::directory_iterator(folder + "kept/", ec)) {
        if (entry.is_regular_file(ec) && entry.last_write_time(ec) < limit) std::filesystem::remove(entry.path(), ec);
    }
}

}  // namespace app
