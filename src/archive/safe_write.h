// Writing a whole file so that a failure never leaves a partial file behind
// nor destroys an existing file of the same name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tessaron {

// Writes the pieces, in order, to a temporary file beside `path`, then
// renames it over `path`.  Throws EFCreateError when the file cannot be
// created (or put in place) and EWriteError when a write fails; the
// temporary file is removed in both cases.
void WriteFileAtomically(const std::string& path,
                         std::span<const std::span<const uint8_t>> pieces);
void WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes);

}  // namespace tessaron
