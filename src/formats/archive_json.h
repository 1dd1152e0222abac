// The structure of an archive as JSON, for scripts.
#pragma once

#include <cstdint>
#include <optional>

#include <nlohmann/json.hpp>

#include "archive.h"

namespace tessaron {

// {"entryCount", "blocks": [{"entry", "offset", "size", "frameCount",
// "frames": [{"frame", "offset", "size", "visible"}]}]}, keys in that order.
// Frame offsets are absolute file positions, so a record can be cut out of
// the file without adding the block's offset; "visible" follows the
// tiny-frame rule for `showTiny`.  With `onlyBlock` (a position among the
// blocks) that block alone is described.
nlohmann::ordered_json ArchiveIndexJson(const TArchive& archive, bool showTiny,
                                        std::optional<uint32_t> onlyBlock = std::nullopt);

}  // namespace tessaron
