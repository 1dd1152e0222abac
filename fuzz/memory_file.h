// The fuzz input as a file that can be opened by path, kept in memory
// (memfd) so that a run does not wear the disk; a temporary file when
// memfd is not available.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tessaron::fuzz {

class MemoryFile {
public:
    MemoryFile(const uint8_t* data, size_t size);
    ~MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    bool IsReady() const { return ready_; }
    const std::string& Path() const { return path_; }

private:
    int fd_ = -1;
    bool ready_ = false;
    bool unlink_ = false;
    std::string path_;
};

}  // namespace tessaron::fuzz
