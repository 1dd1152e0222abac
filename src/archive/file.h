// A thin owner of a POSIX file descriptor, used for every raw byte transfer
// on archives and exported files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tessaron {

// How a file is opened.
enum class OpenMode {
    ArchiveRead,  // read only; the file must exist and is left unchanged
    RawWrite,     // write only; created if missing, emptied if present
};

class TFile {
public:
    int Handle = -1;    // -1 while no file is open
    bool Owns = false;  // when set, destruction closes Handle

    TFile() = default;
    // Adopts an already open descriptor.
    TFile(int handle, bool owns) : Handle(handle), Owns(owns) {}

    // A copy duplicates the descriptor: it refers to the same open file,
    // shares its position and owns the duplicate.
    TFile(const TFile& other);
    TFile& operator=(const TFile& other);
    TFile(TFile&& other) noexcept;
    TFile& operator=(TFile&& other) noexcept;
    ~TFile();

    // Fails (and changes nothing) when a file is already open.  Returns true
    // when a descriptor was obtained.  `permission` is used only when the file
    // is created.
    bool Open(const std::string& path, OpenMode mode, unsigned permission = 0666);
    // False when no file is open or closing failed (Handle is then kept).
    bool Close();

    // Size of the open file in bytes; -1 on failure.
    int64_t Length() const;
    // Current position; -1 on failure.
    int64_t Position() const;
    // Absolute seek.
    bool Seek(uint64_t position);

    // Reads up to n bytes at the current position, retrying short transfers;
    // returns the count read (fewer at the end of the file) or -1 on error.
    int64_t Read(void* buffer, size_t n);
    // Same, at an absolute position, without moving the shared position.
    int64_t ReadAt(void* buffer, size_t n, uint64_t position) const;
    // Writes all n bytes; returns the count written or -1 on error.
    int64_t Write(const void* buffer, size_t n);

    bool IsOpen() const { return Handle >= 0; }
};

}  // namespace tessaron
