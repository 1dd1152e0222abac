#include "file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaron {

namespace {

int DuplicateHandle(int handle) {
    return handle >= 0 ? ::fcntl(handle, F_DUPFD_CLOEXEC, 0) : -1;
}

}  // namespace

TFile::TFile(const TFile& other) : Handle(DuplicateHandle(other.Handle)), Owns(true) {}

TFile& TFile::operator=(const TFile& other) {
    if (this != &other) {
        TFile copy(other);
        *this = std::move(copy);
    }
    return *this;
}

TFile::TFile(TFile&& other) noexcept : Handle(other.Handle), Owns(other.Owns) {
    other.Handle = -1;
    other.Owns = false;
}

TFile& TFile::operator=(TFile&& other) noexcept {
    if (this != &other) {
        if (Owns && Handle >= 0) ::close(Handle);
        Handle = other.Handle;
        Owns = other.Owns;
        other.Handle = -1;
        other.Owns = false;
    }
    return *this;
}

TFile::~TFile() {
    if (Owns && Handle >= 0) ::close(Handle);
}

bool TFile::Open(const std::string& path, OpenMode mode, unsigned permission) {
    if (Handle >= 0) return false;
    int flags = O_CLOEXEC;
    switch (mode) {
    case OpenMode::ArchiveRead: flags |= O_RDONLY; break;
    case OpenMode::RawWrite: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
    }
    do {
        Handle = ::open(path.c_str(), flags, static_cast<mode_t>(permission));
    } while (Handle < 0 && errno == EINTR);
    return Handle >= 0;
}

bool TFile::Close() {
    if (Handle < 0) return false;
    // Linux releases the descriptor even when close reports an error, so the
    // handle is gone either way; keeping it would risk closing a reused one.
    const bool closed = ::close(Handle) == 0 || errno == EINTR;
    Handle = -1;
    return closed;
}

int64_t TFile::Length() const {
    struct stat st {};
    if (Handle < 0 || ::fstat(Handle, &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

int64_t TFile::Position() const {
    if (Handle < 0) return -1;
    return static_cast<int64_t>(::lseek(Handle, 0, SEEK_CUR));
}

bool TFile::Seek(uint64_t position) {
    if (Handle < 0) return false;
    return ::lseek(Handle, static_cast<off_t>(position), SEEK_SET) >= 0;
}

int64_t TFile::Read(void* buffer, size_t n) {
    auto* out = static_cast<char*>(buffer);
    size_t done = 0;
    while (done < n) {
        ssize_t got = ::read(Handle, out + done, n - done);
        if (got < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (got == 0) break;  // end of file
        done += static_cast<size_t>(got);
    }
    return static_cast<int64_t>(done);
}

int64_t TFile::ReadAt(void* buffer, size_t n, uint64_t position) const {
    auto* out = static_cast<char*>(buffer);
    size_t done = 0;
    while (done < n) {
        ssize_t got = ::pread(Handle, out + done, n - done, static_cast<off_t>(position + done));
        if (got < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    return static_cast<int64_t>(done);
}

int64_t TFile::Write(const void* buffer, size_t n) {
    const auto* in = static_cast<const char*>(buffer);
    size_t done = 0;
    while (done < n) {
        ssize_t put = ::write(Handle, in + done, n - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return -1;
        done += static_cast<size_t>(put);
    }
    return static_cast<int64_t>(done);
}

}  // namespace tessaron
