// Running a piece of work, or a program, with a file-size limit
// (RLIMIT_FSIZE, SIGXFSZ ignored so that a write past it fails with EFBIG)
// in a child process, so that the limit does not stay with the tests.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tessaron::testing {

struct ChildResult {
    int Status = -1;      // exit status, or -1 when the child did not exit normally
    std::string Output;   // what the work returned, or the program's stderr
};

// Runs `work` in a child with the given file-size limit (none when empty);
// its result comes back as Output.
ChildResult RunWithFileSizeLimit(std::optional<uint64_t> limit, const std::function<std::string()>& work);

// Starts `argv[0]` with the given arguments under the limit; Output is what
// it printed on stderr.
ChildResult RunProgramWithFileSizeLimit(std::optional<uint64_t> limit, const std::vector<std::string>& argv);

// Root ignores folder permissions, so a read-only folder stops nothing then.
bool PermissionsApply();

// The names of every entry in `folder` (files, folders, hidden ones too),
// with the bytes of the regular files: what a failed write must not change.
struct FolderEntry {
    std::string Name;
    std::vector<uint8_t> Bytes;
    bool operator==(const FolderEntry&) const = default;
};
inline void PrintTo(const FolderEntry& e, std::ostream* os) { *os << e.Name << " (" << e.Bytes.size() << " bytes)"; }
std::vector<FolderEntry> Snapshot(const std::string& folder);

}  // namespace tessaron::testing
