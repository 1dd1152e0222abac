// The demo archive: a few dozen blocks of sprites drawn in code, with empty
// entries between them, tiny frames, frames of both span codings and an
// empty block.  The same bytes on every run.
#pragma once

#include <cstdint>

#include "archive_builder.h"

namespace tessaron::demo {

// The entry that holds the standing wanderer as its frame 0.
constexpr uint32_t kFigureEntry = 0x01;
// The entry of the block of tiny frames (51 bytes or fewer, and one of 52).
constexpr uint32_t kTinyEntry = 0x24;

writer::ArchiveBuilder DemoArchive();

}  // namespace tessaron::demo
