// Errors raised by the format core when a file cannot be written.  Every
// other failure of the core is a result value the caller decides about.
#pragma once

#include <stdexcept>
#include <string>

namespace tessaron {

// The file (or its temporary sibling) could not be created.
class EFCreateError : public std::runtime_error {
public:
    explicit EFCreateError(const std::string& path)
        : std::runtime_error("Cannot create file " + path), path_(path) {}
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// A write to a created file failed (disk full, file-size limit, I/O error).
class EWriteError : public std::runtime_error {
public:
    EWriteError() : std::runtime_error("Stream write error") {}
};

}  // namespace tessaron
