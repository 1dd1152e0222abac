#include "memory_file.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace tessaron::fuzz {

namespace {

bool WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t put = ::write(fd, data, size);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        data += put;
        size -= size_t(put);
    }
    return true;
}

}  // namespace

MemoryFile::MemoryFile(const uint8_t* data, size_t size) {
    fd_ = ::memfd_create("fuzz-input", MFD_CLOEXEC);
    if (fd_ >= 0) {
        // Opening this path gives a new open file of its own, with its own
        // position, just as opening the archive by name does.
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    } else {
        std::string pattern = (std::filesystem::temp_directory_path() / "tessaron-fuzz-XXXXXX").string();
        fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
        path_ = pattern;
        unlink_ = fd_ >= 0;
    }
    ready_ = fd_ >= 0 && WriteAll(fd_, data, size);
}

MemoryFile::~MemoryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (unlink_) ::unlink(path_.c_str());
}

}  // namespace tessaron::fuzz
