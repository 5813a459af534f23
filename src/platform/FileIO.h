// Whole-file reads, and saves that never leave a damaged or foreign file.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>
#include <string_view>

namespace platform {

// The reason for a system error code as the user is told it (Japanese).
std::string FileErrorReason(int err);

// An I/O failure. what() is a UTF-8 message naming the file, the action and
// the reason, in Japanese as the messages it goes into.
class FileError : public std::runtime_error {
public:
    FileError(const std::string& path, const std::string& action, int err);
    // With a reason of our own instead of the system's text for `err`.
    FileError(const std::string& path, const std::string& action, const std::string& reason, int err);
    const std::string& path() const { return path_; }
    int error() const { return err_; }

private:
    std::string path_;
    int err_;
};

// What identifies one version of a file on disk: which file it is (device
// and inode, so a file replaced by another or by a link counts as changed),
// its size and its modification time.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    int64_t size = 0;
    int64_t mtimeSec = 0;
    int64_t mtimeNsec = 0;
    bool operator==(const FileStamp&) const = default;
};
// The stamp of the file `path` names (links followed); nullopt when there is none.
std::optional<FileStamp> StampOf(const std::string& path);

// Only regular files are read: a pipe or a device would block or never end.
// Throws FileError when the file cannot be opened or read.
std::string ReadWholeFile(const std::string& path, FileStamp* stamp = nullptr);

// The whole file in one uninitialised-then-filled block (no zero fill), for
// loaders that keep the bytes. Throws FileError.
struct FileBlock {
    std::unique_ptr<char[]> data;
    size_t size = 0;
    std::optional<FileStamp> stamp;  // of the file as it was read
};
FileBlock ReadFileBlock(const std::string& path);

// Whole files read one after another into memory kept from one to the next,
// for a search over many of them. Throws FileError as ReadFileBlock.
class FileReader {
public:
    // The bytes of `path` (valid until the next Read); nullopt, unread, when
    // it holds more than `limit` bytes.
    std::optional<std::pair<char*, size_t>> Read(const std::string& path, size_t limit);

private:
    std::unique_ptr<char[]> data_;
    size_t capacity_ = 0;
};

// How a save reaches the disk.
//  Replace: a new file in the same folder, complete and flushed before it is
//           renamed over the old one; an interrupted save leaves nothing.
//  InPlace: the old file is rewritten (after checking the free space and
//           keeping a whole copy of it in InPlaceCopyFolder(), removed once
//           the new text is on the disk; no copy, no save), for
//           files the rename would change: folder not writable, several hard
//           links, another owner.
//  Refuse:  the user may not write the file, or it is no regular file.
enum class SaveMethod { Replace, InPlace, Refuse };

// A folder of the program's own state, $XDG_STATE_HOME/VeskCBuilder/`sub`/
// (default ~/.local/state/...; an empty `sub` gives the VeskCBuilder folder
// itself), made when missing and private to the user; ends with "/", or ""
// when there is no such place.
std::string StateFolder(const std::string& sub);
// A folder made when missing, readable only by the user; false when it cannot be.
bool MakePrivateFolder(const std::string& path);
// Where saves in place keep the old file until the new one is on the disk:
// StateFolder("saves"). A copy's name is the file's path with "%" and "/"
// escaped, and ".vkbak".
std::string InPlaceCopyFolder();
// The copies an interrupted save left: (the copy, the file it was of).
std::vector<std::pair<std::string, std::string>> LeftInPlaceCopies();

struct SaveTarget {
    bool exists = false;
    bool regular = true;
    bool fileWritable = true;    // the user may write the file itself
    bool folderWritable = true;  // the user may create files beside it
    bool ownedByUser = true;     // owner and group are the user's own
    unsigned long links = 1;
};
// The facts about `path` (links already resolved) that decide the method.
SaveTarget ProbeSaveTarget(const std::string& path);
SaveMethod ChooseSaveMethod(const SaveTarget& target);

// Writes the pieces one after another into one save of `path`. Construction
// decides the method and throws FileError when the file may not be written;
// nothing on disk changes until Commit(), except that an in-place save
// rewrites the file as it goes. `expectedSize` (when known) lets an in-place
// save check the free space before it starts; else it is checked at Commit.
class SafeFileWriter {
public:
    explicit SafeFileWriter(std::string path, int64_t expectedSize = -1);
    ~SafeFileWriter();  // an unfinished save is discarded
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    SaveMethod Method() const { return method_; }
    void Write(std::string_view bytes);
    // Completes the save; returns the stamp of the file as written.
    FileStamp Commit();

private:
    void OpenReplacement(mode_t mode, const SaveTarget& target);
    void OpenInPlace();
    void KeepOldCopy();
    void CheckSpace(int64_t size);
    void WriteOut(const char* p, size_t n);
    void Flush();
    [[noreturn]] void Fail(const std::string& action, int err);
    void LinkReplacement();

    std::string path_;
    std::string visibleTemp_;  // a named temporary file (when unnamed ones are not supported)
    std::string oldCopy_;      // in place: the whole old file, until the commit
    SaveMethod method_ = SaveMethod::Replace;
    int fd_ = -1;
    std::string buffer_;
    int64_t expected_ = -1;
    int64_t written_ = 0;
    bool deferred_ = false;  // in place without a known size: everything held until Commit
    bool committed_ = false;
};

// One save of `bytes` to `path` (see SafeFileWriter).
FileStamp WriteFileSafely(const std::string& path, std::string_view bytes);

}  // namespace platform
