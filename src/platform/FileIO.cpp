#include "platform/FileIO.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <new>
#include <vector>

namespace platform {

namespace {

std::string FolderOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

constexpr size_t kWriteChunk = 1 << 20;
constexpr const char* kNotRegular = "通常のファイルではありません (パイプ、デバイスまたはソケット)";
constexpr const char* kTooLarge = "ファイルが大きすぎて読み込めるメモリがありません";

// A block for a file's bytes; a file too large for the memory is reported as such.
std::unique_ptr<char[]> FileMemory(const std::string& path, int fd, size_t size) {
    std::unique_ptr<char[]> p(new (std::nothrow) char[size]);
    if (!p) {
        ::close(fd);
        throw FileError(path, "Cannot read", kTooLarge, ENOMEM);
    }
    return p;
}

FileStamp StampFrom(const struct stat& st) {
    FileStamp s;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = static_cast<int64_t>(st.st_size);
    s.mtimeSec = static_cast<int64_t>(st.st_mtim.tv_sec);
    s.mtimeNsec = static_cast<int64_t>(st.st_mtim.tv_nsec);
    return s;
}

// Opens a file for reading only when it is a regular file. O_NONBLOCK keeps
// the open itself from waiting for a pipe's writer.
int OpenRegularForRead(const std::string& path, struct stat& st) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) throw FileError(path, "Cannot open", errno);
    if (::fstat(fd, &st) != 0) {
        int err = errno;
        ::close(fd);
        throw FileError(path, "Cannot read", err);
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        throw FileError(path, "Cannot read", EISDIR);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        throw FileError(path, "Cannot read", kNotRegular, EINVAL);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool InGroup(gid_t gid) {
    if (gid == ::getegid()) return true;
    int n = ::getgroups(0, nullptr);
    if (n <= 0) return false;
    std::vector<gid_t> groups(static_cast<size_t>(n));
    n = ::getgroups(n, groups.data());
    for (int i = 0; i < n; ++i)
        if (groups[static_cast<size_t>(i)] == gid) return true;
    return false;
}

// Unnamed temporary files need O_TMPFILE and /proc to give them a name later.
bool UnnamedTempUsable() {
    static const bool usable = ::access("/proc/self/fd", X_OK) == 0;
    return usable;
}

std::string RandomSuffix() {
    static std::mt19937_64 rng{std::random_device{}()};
    static const char digits[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string s;
    for (int i = 0; i < 8; ++i) s += digits[rng() % (sizeof digits - 1)];
    return s;
}

}  // namespace

std::string FileErrorReason(int err) {
    switch (err) {
        case EACCES:
        case EPERM: return "アクセスが許可されていません";
        case EROFS: return "読み取り専用のファイルシステムです";
        case ENOSPC: return "ディスクの空き容量が足りません";
        case EDQUOT: return "ディスクの使用量の上限を超えます";
        case ENOENT: return "ファイルまたはフォルダが見つかりません";
        case ENOTDIR: return "パスの途中にフォルダでないものがあります";
        case EISDIR: return "フォルダです";
        case EFBIG:
        case EOVERFLOW: return "ファイルが大きすぎます";
        case ENAMETOOLONG: return "名前が長すぎます";
        case ELOOP: return "シンボリックリンクが多すぎます";
        case EIO: return "入出力エラーが起きました";
        case EEXIST: return "同じ名前のファイルがあります";
        case EBUSY:
        case ETXTBSY: return "使用中です";
        case EMFILE:
        case ENFILE: return "開いているファイルが多すぎます";
        case ENOMEM: return "メモリが足りません";
        default: return std::string(std::strerror(err)) + " (エラー " + std::to_string(err) + ")";
    }
}

namespace {

// The actions the callers name, as the message says them.
std::string ActionText(const std::string& action) {
    static const std::pair<const char*, const char*> kActions[] = {
        {"Cannot open", "を開けません"},      {"Cannot read", "を読み込めません"},
        {"Cannot save", "を保存できません"},  {"Cannot create", "を作成できません"},
        {"Cannot write", "に書き込めません"}, {"Cannot replace", "を置き換えられません"},
    };
    for (const auto& [key, text] : kActions)
        if (action == key) return text;
    return action;
}

}  // namespace

FileError::FileError(const std::string& path, const std::string& action, int err)
    : FileError(path, action, FileErrorReason(err), err) {}

FileError::FileError(const std::string& path, const std::string& action, const std::string& reason, int err)
    : std::runtime_error(path + " " + ActionText(action) + ": " + reason), path_(path), err_(err) {}

std::optional<FileStamp> StampOf(const std::string& path) {
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return StampFrom(st);
}

std::string ReadWholeFile(const std::string& path, FileStamp* stamp) {
    struct stat st{};
    int fd = OpenRegularForRead(path, st);
    if (stamp) *stamp = StampFrom(st);
    std::string data;
    try {
        if (st.st_size > 0) data.reserve(static_cast<size_t>(st.st_size));
    } catch (const std::exception&) {  // bad_alloc, length_error
        ::close(fd);
        throw FileError(path, "Cannot read", kTooLarge, ENOMEM);
    }
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

namespace {

// Bytes read into p (0 at the end); closes fd and throws on an error.
size_t ReadSome(const std::string& path, int fd, char* p, size_t room) {
    for (;;) {
        const ssize_t n = ::read(fd, p, room);
        if (n >= 0) return static_cast<size_t>(n);
        if (errno == EINTR) continue;
        const int err = errno;
        ::close(fd);
        throw FileError(path, "Cannot read", err);
    }
}

}  // namespace

FileBlock ReadFileBlock(const std::string& path) {
    struct stat st{};
    int fd = OpenRegularForRead(path, st);
    size_t capacity = st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0;
    FileBlock block;
    block.stamp = StampFrom(st);
    block.data = FileMemory(path, fd, capacity + 1);
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
            std::unique_ptr<char[]> grown = FileMemory(path, fd, bigger + 1);
            std::memcpy(grown.get(), block.data.get(), block.size);
            grown[block.size++] = probe;
            block.data = std::move(grown);
            capacity = bigger;
            continue;
        }
        const size_t n = ReadSome(path, fd, block.data.get() + block.size, capacity - block.size);
        if (n == 0) break;
        block.size += n;
    }
    ::close(fd);
    return block;
}

std::optional<std::pair<char*, size_t>> FileReader::Read(const std::string& path, size_t limit) {
    struct stat st{};
    int fd = OpenRegularForRead(path, st);
    const size_t expected = st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0;
    if (expected > limit) {
        ::close(fd);
        return std::nullopt;
    }
    size_t size = 0;
    auto room = [&](size_t bytes) {
        if (capacity_ >= bytes) return;
        std::unique_ptr<char[]> grown = FileMemory(path, fd, bytes);
        if (size) std::memcpy(grown.get(), data_.get(), size);
        data_ = std::move(grown);
        capacity_ = bytes;
    };
    room(expected + 1);  // the byte after the end tells the file grew
    for (;;) {
        if (size == capacity_) {
            if (size > limit) {
                ::close(fd);
                return std::nullopt;
            }
            room(std::min(limit + 1, size + size / 2 + 65536));
        }
        const size_t n = ReadSome(path, fd, data_.get() + size, capacity_ - size);
        if (n == 0) break;
        size += n;
    }
    ::close(fd);
    if (size > limit) return std::nullopt;
    return std::pair{data_.get(), size};
}

SaveTarget ProbeSaveTarget(const std::string& path) {
    SaveTarget t;
    const std::string folder = FolderOf(path);
    t.folderWritable = ::access(folder.c_str(), W_OK | X_OK) == 0;
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) return t;
    t.exists = true;
    t.regular = S_ISREG(st.st_mode);
    // The superuser passes every permission check; a file that nobody may
    // write is still read-only for it.
    t.fileWritable = ::access(path.c_str(), W_OK) == 0 && (::geteuid() != 0 || (st.st_mode & 0222) != 0);
    t.ownedByUser = st.st_uid == ::geteuid() && InGroup(st.st_gid);
    t.links = static_cast<unsigned long>(st.st_nlink);
    return t;
}

SaveMethod ChooseSaveMethod(const SaveTarget& t) {
    if (!t.exists) return SaveMethod::Replace;
    if (!t.regular || !t.fileWritable) return SaveMethod::Refuse;
    // A rename would drop the other links, change the owner, or is impossible.
    if (!t.folderWritable || t.links > 1 || !t.ownedByUser) return SaveMethod::InPlace;
    return SaveMethod::Replace;
}

SafeFileWriter::SafeFileWriter(std::string path, int64_t expectedSize)
    : path_(std::move(path)), expected_(expectedSize) {
    // Save the file a link points to, not the link.
    if (char* real = ::realpath(path_.c_str(), nullptr)) {
        path_ = real;
        ::free(real);
    }
    SaveTarget target = ProbeSaveTarget(path_);
    method_ = ChooseSaveMethod(target);
    if (method_ == SaveMethod::Refuse) {
        if (!target.regular) throw FileError(path_, "Cannot save", kNotRegular, EINVAL);
        // "Read-only" only for a file nobody may write; otherwise the reason
        // the system gives (another user's file, a read-only file system).
        struct stat st{};
        if (::stat(path_.c_str(), &st) == 0 && (st.st_mode & 0222) == 0)
            throw FileError(path_, "Cannot save", "ファイルが読み取り専用です", EACCES);
        int err = ::access(path_.c_str(), W_OK) == 0 ? EACCES : errno;
        throw FileError(path_, "Cannot save", err);
    }
    mode_t mode = 0666;
    struct stat st{};
    if (target.exists && ::stat(path_.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    if (method_ == SaveMethod::Replace) OpenReplacement(mode, target);
    if (method_ == SaveMethod::InPlace) OpenInPlace();
    buffer_.reserve(kWriteChunk);
}

void SafeFileWriter::OpenReplacement(mode_t mode, const SaveTarget& target) {
    const std::string folder = FolderOf(path_);
    int err = 0;
    if (UnnamedTempUsable()) {
        fd_ = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd_ < 0) err = errno;
    }
    if (fd_ < 0 && (err == 0 || err == EOPNOTSUPP || err == EISDIR || err == EINVAL)) {
        // No unnamed files here: a named one, removed on failure.
        std::string templ = folder + "/.vkb-save-XXXXXX";
        fd_ = ::mkostemp(templ.data(), O_CLOEXEC);
        if (fd_ >= 0) visibleTemp_ = templ;
        else err = errno;
    }
    if (fd_ < 0) {
        if (target.exists && (err == EACCES || err == EPERM || err == EROFS)) {
            method_ = SaveMethod::InPlace;
            return;
        }
        throw FileError(path_, "Cannot create", err);
    }
    ::fchmod(fd_, mode);
    struct stat st{};
    if (target.exists && ::stat(path_.c_str(), &st) == 0) {
        struct stat mine{};
        if (::fstat(fd_, &mine) == 0 && mine.st_gid != st.st_gid) (void)::fchown(fd_, static_cast<uid_t>(-1), st.st_gid);
        ::fchmod(fd_, mode);  // a group change clears set-id bits
    }
}

namespace {

std::string EscapePath(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (c == '%') out += "%25";
        else if (c == '/') out += "%2F";
        else out += c;
    }
    return out;
}

std::string UnescapePath(const std::string& name) {
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '%' && name.compare(i, 3, "%2F") == 0) {
            out += '/';
            i += 2;
        } else if (name[i] == '%' && name.compare(i, 3, "%25") == 0) {
            out += '%';
            i += 2;
        } else {
            out += name[i];
        }
    }
    return out;
}

constexpr const char* kCopyExtension = ".vkbak";

}  // namespace

bool MakePrivateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    ::chmod(path.c_str(), 0700);
    return true;
}

std::string StateFolder(const std::string& sub) {
    const char* state = std::getenv("XDG_STATE_HOME");
    std::string base;
    if (state && state[0] == '/') base = state;
    else if (const char* home = std::getenv("HOME"); home && home[0] == '/') base = std::string(home) + "/.local/state";
    else return {};
    // The state folder itself may not exist yet on a new account.
    for (size_t at = 1; (at = base.find('/', at)) != std::string::npos; ++at) ::mkdir(base.substr(0, at).c_str(), 0700);
    ::mkdir(base.c_str(), 0700);
    const std::string own = base + "/VeskCBuilder";
    const std::string folder = sub.empty() ? own : own + "/" + sub;
    if (!MakePrivateFolder(own) || !MakePrivateFolder(folder)) return {};
    return folder + "/";
}

std::string InPlaceCopyFolder() { return StateFolder("saves"); }

std::vector<std::pair<std::string, std::string>> LeftInPlaceCopies() {
    std::vector<std::pair<std::string, std::string>> out;
    const std::string folder = InPlaceCopyFolder();
    if (folder.empty()) return out;
    const std::string ext = kCopyExtension;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (dirent* e = ::readdir(d)) {
            std::string name = e->d_name;
            if (name.size() <= ext.size() || name.compare(name.size() - ext.size(), ext.size(), ext) != 0) continue;
            out.emplace_back(folder + name, UnescapePath(name.substr(0, name.size() - ext.size())));
        }
        ::closedir(d);
    }
    return out;
}

void SafeFileWriter::KeepOldCopy() {
    // Rewriting the only copy in place: a kill half-way would leave half of
    // each text. The old file goes whole to the state folder first. Where
    // there is none (a user without a home), the save goes on as before.
    const std::string folder = InPlaceCopyFolder();
    if (folder.empty()) return;
    oldCopy_ = folder + EscapePath(path_) + kCopyExtension;
    try {
        std::string old = ReadWholeFile(path_);
        int fd = ::open(oldCopy_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0) throw FileError(oldCopy_, "Cannot create", errno);
        size_t done = 0;
        while (done < old.size()) {
            ssize_t n = ::write(fd, old.data() + done, old.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                int err = errno ? errno : EIO;
                ::close(fd);
                throw FileError(oldCopy_, "Cannot write", err);
            }
            done += static_cast<size_t>(n);
        }
        if (::fsync(fd) != 0 || ::close(fd) != 0) throw FileError(oldCopy_, "Cannot write", errno);
    } catch (const std::exception&) {
        // No room for the copy: the space check of the save tells the rest.
        ::unlink(oldCopy_.c_str());
        oldCopy_.clear();
    }
}

void SafeFileWriter::OpenInPlace() {
    KeepOldCopy();
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0) throw FileError(path_, "Cannot open", errno);
    if (expected_ >= 0) CheckSpace(expected_);
    else deferred_ = true;
}

void SafeFileWriter::CheckSpace(int64_t size) {
    struct stat st{};
    struct statvfs vfs{};
    if (::fstat(fd_, &st) != 0 || ::fstatvfs(fd_, &vfs) != 0) return;  // unknown: try anyway
    int64_t allocated = static_cast<int64_t>(st.st_blocks) * 512;
    int64_t available = static_cast<int64_t>(vfs.f_bavail) * static_cast<int64_t>(vfs.f_frsize);
    if (size - allocated > available) Fail("Cannot save", ENOSPC);
}

SafeFileWriter::~SafeFileWriter() {
    if (fd_ >= 0) ::close(fd_);
    // An in-place save given up before it wrote anything leaves the file as it was.
    if (!committed_ && written_ == 0 && !oldCopy_.empty()) ::unlink(oldCopy_.c_str());
    if (!committed_ && !visibleTemp_.empty()) ::unlink(visibleTemp_.c_str());
}

void SafeFileWriter::Fail(const std::string& action, int err) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!visibleTemp_.empty()) ::unlink(visibleTemp_.c_str());
    visibleTemp_.clear();
    if (method_ == SaveMethod::InPlace && written_ > 0) {
        // The file may hold part of each text: the whole old one stays.
        throw FileError(path_, action,
                        FileErrorReason(err) + " (ファイルが途中までしか書かれていないことがあります。保存前の内容は " +
                            oldCopy_ + " に残っています)",
                        err);
    }
    if (!oldCopy_.empty()) ::unlink(oldCopy_.c_str());
    oldCopy_.clear();
    throw FileError(path_, action, err);
}

void SafeFileWriter::WriteOut(const char* p, size_t left) {
    while (left > 0) {
        ssize_t n = ::write(fd_, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail("Cannot write", errno);
        }
        p += n;
        left -= static_cast<size_t>(n);
        written_ += n;
    }
}

void SafeFileWriter::Flush() {
    WriteOut(buffer_.data(), buffer_.size());
    buffer_.clear();
}

void SafeFileWriter::Write(std::string_view bytes) {
    if (fd_ < 0) throw FileError(path_, "Cannot write", EBADF);
    if (deferred_) {
        buffer_.append(bytes);
        return;
    }
    if (buffer_.size() + bytes.size() > kWriteChunk) {
        Flush();
        if (bytes.size() >= kWriteChunk) {
            WriteOut(bytes.data(), bytes.size());
            return;
        }
    }
    buffer_.append(bytes);
}

void SafeFileWriter::LinkReplacement() {
    if (!visibleTemp_.empty()) return;
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    const std::string folder = FolderOf(path_);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = folder + "/.vkb-save-" + RandomSuffix();
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            visibleTemp_ = name;
            return;
        }
        if (errno != EEXIST) Fail("Cannot write", errno);
    }
    Fail("Cannot write", EEXIST);
}

FileStamp SafeFileWriter::Commit() {
    if (fd_ < 0) throw FileError(path_, "Cannot write", EBADF);
    if (deferred_) {
        CheckSpace(static_cast<int64_t>(buffer_.size()));
        deferred_ = false;
    }
    Flush();
    if (method_ == SaveMethod::InPlace && ::ftruncate(fd_, written_) != 0) Fail("Cannot write", errno);
    if (::fsync(fd_) != 0) Fail("Cannot write", errno);
    struct stat st{};
    if (::fstat(fd_, &st) != 0) Fail("Cannot write", errno);
    if (method_ == SaveMethod::Replace) {
        LinkReplacement();
        if (::rename(visibleTemp_.c_str(), path_.c_str()) != 0) Fail("Cannot replace", errno);
        visibleTemp_.clear();
        // The rename itself reaches the disk with the folder.
        int dir = ::open(FolderOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
    int closed = ::close(fd_);
    fd_ = -1;
    committed_ = true;
    if (closed != 0 && method_ == SaveMethod::InPlace) throw FileError(path_, "Cannot write", errno);
    // The new text is on the disk: the old one's copy may go.
    if (!oldCopy_.empty()) ::unlink(oldCopy_.c_str());
    return StampFrom(st);
}

FileStamp WriteFileSafely(const std::string& path, std::string_view bytes) {
    SafeFileWriter w(path, static_cast<int64_t>(bytes.size()));
    w.Write(bytes);
    return w.Commit();
}

}  // namespace platform
