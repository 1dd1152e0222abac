#include "archive_json.h"

#include "naming.h"
#include "records.h"

namespace tessaron {

namespace {

nlohmann::ordered_json BlockJson(const TArchive& archive, uint32_t b, bool showTiny) {
    nlohmann::ordered_json frames = nlohmann::ordered_json::array();
    for (uint32_t f = 0; f < archive.FrameCount(b); ++f) {
        const FrameLocation where = archive.Locate(b, f);
        frames.push_back({{"frame", f},
                          {"offset", where.Position},
                          {"size", where.Size},
                          {"visible", IsVisibleFrame(where.Size, showTiny)}});
    }
    return {{"entry", archive.FBlockIndex[b]},
            {"offset", archive.FBlocks[b].Offset},
            {"size", archive.FBlocks[b].Size},
            {"frameCount", archive.FrameCount(b)},
            {"frames", std::move(frames)}};
}

}  // namespace

nlohmann::ordered_json ArchiveIndexJson(const TArchive& archive, bool showTiny,
                                        std::optional<uint32_t> onlyBlock) {
    nlohmann::ordered_json blocks = nlohmann::ordered_json::array();
    for (uint32_t b = 0; b < archive.FBlockCount; ++b)
        if (!onlyBlock || *onlyBlock == b) blocks.push_back(BlockJson(archive, b, showTiny));
    return {{"entryCount", ReadLE32(archive.FHeader + kFlxCountOffset)}, {"blocks", std::move(blocks)}};
}

}  // namespace tessaron
