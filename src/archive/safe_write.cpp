#include "safe_write.h"

#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <random>

#include "errors.h"
#include "file.h"

namespace tessaron {

namespace {

// A name beside `path` for the file being written, unique among the names
// this process makes (a counter) and unlikely to meet another process's (the
// process id and a random start).  Creation with O_EXCL settles any clash.
std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string TemporaryName(const std::string& path) {
    static std::atomic<uint64_t> counter{std::random_device{}()};
    static const pid_t pid = ::getpid();
    const std::string folder = FolderOf(path);
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".tessaron-%d-%llx", int(pid),
                  static_cast<unsigned long long>(counter.fetch_add(1)));
    return folder + suffix;
}

// Creates a new temporary file beside `path`.  The mode 0666 is reduced by
// the umask (or the folder's default ACL), so the file gets the permissions
// a plain open() would give it.
int CreateTemporary(const std::string& path, std::string& temporary) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = TemporaryName(path);
        int fd;
        do {
            fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        } while (fd < 0 && errno == EINTR);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// A file without a name in the folder of `path` (O_TMPFILE), or -1 where
// the file system cannot make one or it could not be given a name later:
// giving it a name goes through /proc/self/fd.  Such a file never shows up
// half written, and vanishes by itself if the program dies before linking it.
int CreateUnnamed(const std::string& path) {
#ifdef O_TMPFILE
    static const bool canLink = ::access("/proc/self/fd", X_OK) == 0;
    if (!canLink) return -1;
    const std::string folder = FolderOf(path);
    int fd;
    do {
        fd = ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
#else
    (void)path;
    return -1;
#endif
}

// Gives the unnamed file `fd` the name `name`; fails with EEXIST when a file
// of that name exists.
bool LinkUnnamed(int fd, const std::string& name) {
    char proc[40];
    std::snprintf(proc, sizeof proc, "/proc/self/fd/%d", fd);
    return ::linkat(AT_FDCWD, proc, AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

// Writes the vectors whole, again after a transfer cut short.
bool WriteVectors(int fd, iovec* next, size_t count) {
    while (count > 0) {
        const ssize_t put = ::writev(fd, next, int(count));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        size_t done = size_t(put);
        while (count > 0 && done >= next->iov_len) {
            done -= next->iov_len;
            ++next;
            --count;
        }
        if (count > 0) {
            next->iov_base = static_cast<uint8_t*>(next->iov_base) + done;
            next->iov_len -= done;
        }
    }
    return true;
}

// Writes all pieces with as few calls as the kernel allows: one writev for
// a header and its pixel rows.
bool WritePieces(int fd, std::span<const std::span<const uint8_t>> pieces) {
    constexpr size_t kMaxVectors = 64;
    iovec vectors[kMaxVectors];
    size_t count = 0;
    for (const auto& piece : pieces) {
        if (piece.empty()) continue;
        if (count == kMaxVectors) {
            if (!WriteVectors(fd, vectors, count)) return false;
            count = 0;
        }
        vectors[count++] = iovec{const_cast<uint8_t*>(piece.data()), piece.size()};
    }
    return WriteVectors(fd, vectors, count);
}

}  // namespace

PendingFile::PendingFile(const std::string& path, std::span<const std::span<const uint8_t>> pieces)
    : path_(path) {
    // Where the file system allows it the file is written without a name,
    // which costs one folder update less than a named temporary file.
    if (const int fd = CreateUnnamed(path); fd >= 0) {
        TFile file(fd, true);
        if (!WritePieces(fd, pieces)) throw EWriteError();  // closing the file discards it
        unnamed_ = file.Handle;
        file.Owns = false;
        return;
    }
    std::string temporary;
    TFile file(CreateTemporary(path, temporary), true);
    if (!file.IsOpen()) throw EFCreateError(path);

    bool written = WritePieces(file.Handle, pieces);
    written = file.Close() && written;
    if (!written) {
        ::unlink(temporary.c_str());
        throw EWriteError();
    }
    temporary_ = std::move(temporary);
}

PendingFile::PendingFile(PendingFile&& other) noexcept
    : path_(std::move(other.path_)), temporary_(std::move(other.temporary_)), unnamed_(other.unnamed_) {
    other.temporary_.clear();
    other.unnamed_ = -1;
}

PendingFile& PendingFile::operator=(PendingFile&& other) noexcept {
    if (this != &other) {
        Discard();
        path_ = std::move(other.path_);
        temporary_ = std::move(other.temporary_);
        unnamed_ = other.unnamed_;
        other.temporary_.clear();
        other.unnamed_ = -1;
    }
    return *this;
}

PendingFile::~PendingFile() { Discard(); }

void PendingFile::Discard() noexcept {
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
    if (unnamed_ >= 0) ::close(unnamed_);
    unnamed_ = -1;
}

void PendingFile::Commit() {
    if (unnamed_ >= 0) {
        CommitUnnamed();
        return;
    }
    if (temporary_.empty()) return;
    if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
        Discard();
        throw EFCreateError(path_);
    }
    temporary_.clear();
}

// Gives the unnamed file its name.  When the name is free, the link is the
// whole commit; when a file of that name exists, the new file is linked
// under a temporary name and renamed over it, which replaces it in one step.
void PendingFile::CommitUnnamed() {
    if (LinkUnnamed(unnamed_, path_)) {
        const int fd = unnamed_;
        unnamed_ = -1;
        if (::close(fd) != 0 && errno != EINTR) {
            ::unlink(path_.c_str());  // the name was free: removing it loses nothing
            throw EWriteError();
        }
        return;
    }
    if (errno != EEXIST) {
        Discard();
        throw EFCreateError(path_);
    }
    std::string temporary;
    bool linked = false;
    for (int attempt = 0; attempt < 100 && !linked; ++attempt) {
        temporary = TemporaryName(path_);
        linked = LinkUnnamed(unnamed_, temporary);
        if (!linked && errno != EEXIST) break;
    }
    if (!linked) {
        Discard();
        throw EFCreateError(path_);
    }
    temporary_ = temporary;
    const int fd = unnamed_;
    unnamed_ = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        Discard();
        throw EWriteError();
    }
    if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
        Discard();
        throw EFCreateError(path_);
    }
    temporary_.clear();
}

void WriteFileAtomically(const std::string& path,
                         std::span<const std::span<const uint8_t>> pieces) {
    PendingFile(path, pieces).Commit();
}

void WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes) {
    const std::span<const uint8_t> pieces[] = {bytes};
    WriteFileAtomically(path, pieces);
}

}  // namespace tessaron
