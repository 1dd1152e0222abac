// Writing a whole file so that a failure never leaves a partial file behind
// nor destroys an existing file of the same name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tessaron {

// Writes the pieces, in order, to a temporary file beside `path`, then
// puts it in place under `path`, replacing a file of that name in one step.  Throws EFCreateError when the file cannot be
// created (or put in place) and EWriteError when a write fails; the
// temporary file is removed in both cases.
void WriteFileAtomically(const std::string& path,
                         std::span<const std::span<const uint8_t>> pieces);
void WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes);

// The two halves of WriteFileAtomically, for writers that put files in
// place in an order of their own: the constructor writes the pieces to a
// temporary file beside `path` (throwing as WriteFileAtomically does), and
// Commit puts it in place under `path` (throwing EFCreateError when it
// cannot).  A file that is never committed is removed when the object goes
// away.  Where the file system allows, the temporary file has no name at
// all until Commit links it (O_TMPFILE), so nothing is left behind even if
// the program is killed.
class PendingFile {
public:
    PendingFile(const std::string& path, std::span<const std::span<const uint8_t>> pieces);
    PendingFile(PendingFile&& other) noexcept;
    PendingFile& operator=(PendingFile&& other) noexcept;
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile();

    void Commit();
    const std::string& Path() const { return path_; }

private:
    void CommitUnnamed();
    void Discard() noexcept;
    std::string path_;
    std::string temporary_;  // a named temporary file; empty once committed or discarded
    int unnamed_ = -1;       // or the descriptor of a file without a name (O_TMPFILE)
};

}  // namespace tessaron
