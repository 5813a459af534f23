#include "platform/FileIO.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::string FolderOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

constexpr size_t kWriteChunk = 1 << 20;

}  // namespace

FileError::FileError(const std::string& path, const std::string& action, int err)
    : std::runtime_error(action + " \"" + path + "\": " + std::strerror(err)), path_(path), err_(err) {}

std::string ReadWholeFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw FileError(path, "Cannot open", errno);
    std::string data;
    struct stat st{};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        throw FileError(path, "Cannot read", EISDIR);
    }
    if (st.st_size > 0) data.reserve(static_cast<size_t>(st.st_size));
    size_t chunk = 1 << 16;
    for (;;) {
        size_t old = data.size();
        // Grow into the reserved space first; a file that grows while read still works.
        size_t want = data.capacity() > old ? data.capacity() - old : chunk;
        if (want < chunk) want = chunk;
        data.resize(old + want);
        ssize_t n = ::read(fd, data.data() + old, want);
        if (n < 0) {
            if (errno == EINTR) { data.resize(old); continue; }
            int err = errno;
            ::close(fd);
            throw FileError(path, "Cannot read", err);
        }
        data.resize(old + static_cast<size_t>(n));
        if (n == 0) break;
    }
    ::close(fd);
    return data;
}

FileBlock ReadFileBlock(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw FileError(path, "Cannot open", errno);
    struct stat st{};
    if (::fstat(fd, &st) != 0) {
        int err = errno;
        ::close(fd);
        throw FileError(path, "Cannot read", err);
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        throw FileError(path, "Cannot read", EISDIR);
    }
    size_t capacity = st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0;
    FileBlock block;
    block.data.reset(new char[capacity + 1]);
    for (;;) {
        if (block.size == capacity) {
            // The file grew (or its size is unknown): probe one more byte, then grow.
            char probe;
            ssize_t n = ::read(fd, &probe, 1);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                int err = errno;
                ::close(fd);
                throw FileError(path, "Cannot read", err);
            }
            if (n == 0) break;
            size_t bigger = capacity + capacity / 2 + 65536;
            std::unique_ptr<char[]> grown(new char[bigger + 1]);
            std::memcpy(grown.get(), block.data.get(), block.size);
            grown[block.size++] = probe;
            block.data = std::move(grown);
            capacity = bigger;
            continue;
        }
        ssize_t n = ::read(fd, block.data.get() + block.size, capacity - block.size);
        if (n < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            ::close(fd);
            throw FileError(path, "Cannot read", err);
        }
        if (n == 0) break;
        block.size += static_cast<size_t>(n);
    }
    ::close(fd);
    return block;
}

AtomicFileWriter::AtomicFileWriter(std::string path) : path_(std::move(path)) {
    // Replace the file a link points to, not the link.
    if (char* real = ::realpath(path_.c_str(), nullptr)) {
        path_ = real;
        ::free(real);
    }
    std::string templ = FolderOf(path_) + "/.vkb-save-XXXXXX";
    fd_ = ::mkostemp(templ.data(), O_CLOEXEC);
    if (fd_ < 0) throw FileError(path_, "Cannot create", errno);
    tempPath_ = templ;
    struct stat st{};
    mode_t mode = 0666;
    if (::stat(path_.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    ::fchmod(fd_, mode);
    buffer_.reserve(kWriteChunk);
}

AtomicFileWriter::~AtomicFileWriter() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_ && !tempPath_.empty()) ::unlink(tempPath_.c_str());
}

void AtomicFileWriter::Fail(const std::string& action, int err) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    ::unlink(tempPath_.c_str());
    tempPath_.clear();
    throw FileError(path_, action, err);
}

void AtomicFileWriter::Flush() {
    const char* p = buffer_.data();
    size_t left = buffer_.size();
    while (left > 0) {
        ssize_t n = ::write(fd_, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail("Cannot write", errno);
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    buffer_.clear();
}

void AtomicFileWriter::Write(std::string_view bytes) {
    if (fd_ < 0) throw FileError(path_, "Cannot write", EBADF);
    if (buffer_.size() + bytes.size() > kWriteChunk) {
        Flush();
        if (bytes.size() >= kWriteChunk) {
            buffer_.assign(bytes);
            Flush();
            return;
        }
    }
    buffer_.append(bytes);
}

void AtomicFileWriter::Commit() {
    if (fd_ < 0) throw FileError(path_, "Cannot write", EBADF);
    Flush();
    if (::fsync(fd_) != 0) Fail("Cannot write", errno);
    if (::close(fd_) != 0) {
        fd_ = -1;
        Fail("Cannot write", errno);
    }
    fd_ = -1;
    if (::rename(tempPath_.c_str(), path_.c_str()) != 0) {
        int err = errno;
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
        throw FileError(path_, "Cannot replace", err);
    }
    committed_ = true;
}

void WriteFileAtomic(const std::string& path, std::string_view bytes) {
    AtomicFileWriter w(path);
    w.Write(bytes);
    w.Commit();
}

}  // namespace platform
