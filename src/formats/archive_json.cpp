#include "archive_json.h"

#include "naming.h"

namespace tessaron {

nlohmann::json ArchiveIndexJson(const TArchive& archive, bool showTiny) {
    nlohmann::json blocks = nlohmann::json::array();
    for (uint32_t b = 0; b < archive.FBlockCount; ++b) {
        nlohmann::json frames = nlohmann::json::array();
        for (uint32_t f = 0; f < archive.FrameCount(b); ++f) {
            const FrameLocation where = archive.Locate(b, f);
            frames.push_back({{"frame", f},
                              {"offset", where.Position},
                              {"size", where.Size},
                              {"visible", IsVisibleFrame(where.Size, showTiny)}});
        }
        blocks.push_back({{"entry", archive.FBlockIndex[b]},
                          {"offset", archive.FBlocks[b].Offset},
                          {"size", archive.FBlocks[b].Size},
                          {"frameCount", archive.FrameCount(b)},
                          {"frames", std::move(frames)}});
    }
    return {{"blocks", std::move(blocks)}};
}

}  // namespace tessaron
