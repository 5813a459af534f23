// Whole-file reads and atomic replacement of files.
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

// An I/O failure. what() is a UTF-8 message naming the file and the reason.
class FileError : public std::runtime_error {
public:
    FileError(const std::string& path, const std::string& action, int err);
    const std::string& path() const { return path_; }
    int error() const { return err_; }

private:
    std::string path_;
    int err_;
};

// Reads the whole file. Throws FileError when it cannot be opened or read.
std::string ReadWholeFile(const std::string& path);

// The whole file in one uninitialised-then-filled block (no zero fill), for
// loaders that keep the bytes. Throws FileError.
struct FileBlock {
    std::unique_ptr<char[]> data;
    size_t size = 0;
};
FileBlock ReadFileBlock(const std::string& path);

// Replaces `path` with `bytes` so that a failure at any point leaves the old
// file intact: the bytes go to a temporary file in the same folder, which is
// flushed and renamed over the target. An existing file's permission bits are
// kept. Throws FileError; on failure the temporary file is removed.
void WriteFileAtomic(const std::string& path, std::string_view bytes);

// Writes the pieces one after another into one atomic replacement; lets a
// caller stream a large text without first joining it.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string path);
    ~AtomicFileWriter();  // discards the temporary file unless Commit() ran
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void Write(std::string_view bytes);
    void Commit();

private:
    void Flush();
    void Fail(const std::string& action, int err);

    std::string path_;
    std::string tempPath_;
    int fd_ = -1;
    std::string buffer_;
    bool committed_ = false;
};

}  // namespace platform
