#include "safe_write.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "errors.h"
#include "file.h"

namespace tessaron {

namespace {

// New files get the usual permissions (0666 less the umask), as a plain
// open() would give them; mkstemp alone would make them private.
mode_t NewFileMode() {
    static const mode_t mask = [] {
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    return 0666 & ~mask;
}

std::string TemporaryTemplate(const std::string& path) {
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    return folder + ".tessaron-XXXXXX";
}

}  // namespace

void WriteFileAtomically(const std::string& path,
                         std::span<const std::span<const uint8_t>> pieces) {
    const mode_t mode = NewFileMode();
    std::string temporary = TemporaryTemplate(path);
    TFile file(::mkostemp(temporary.data(), O_CLOEXEC), true);
    if (!file.IsOpen()) throw EFCreateError(path);

    bool written = ::fchmod(file.Handle, mode) == 0;
    for (const auto& piece : pieces) {
        if (!written) break;
        written = piece.empty() || file.Write(piece.data(), piece.size()) == int64_t(piece.size());
    }
    written = file.Close() && written;
    if (!written) {
        ::unlink(temporary.c_str());
        throw EWriteError();
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        throw EFCreateError(path);
    }
}

void WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes) {
    const std::span<const uint8_t> pieces[] = {bytes};
    WriteFileAtomically(path, pieces);
}

}  // namespace tessaron
