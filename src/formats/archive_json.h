// The structure of an archive as JSON, for scripts.
#pragma once

#include <nlohmann/json.hpp>

#include "archive.h"

namespace tessaron {

// {"blocks": [{"entry", "offset", "size", "frameCount", "frames": [{"frame",
// "offset", "size", "visible"}]}]}.  Frame offsets are absolute file
// positions; "visible" follows the tiny-frame rule for `showTiny`.
nlohmann::json ArchiveIndexJson(const TArchive& archive, bool showTiny);

}  // namespace tessaron
