#include "naming.h"

#include <cstdio>

namespace tessaron {

namespace {

// Formats two numbers; 32 characters hold any pair of 32-bit values.
std::string FormatPair(const char* format, uint32_t a, uint32_t b) {
    char text[32];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

}  // namespace

std::string BlockItemText(uint32_t entry) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", entry);
    return text;
}

std::string FrameRowName(uint32_t entry, uint32_t frame) {
    return FormatPair("%03X-%03X", entry, frame);
}

std::string FrameRowSize(uint32_t size) { return std::to_string(size); }

std::string ExportFileName(const std::string& folder, uint32_t entry, uint32_t frame,
                           const std::string& extension) {
    return folder + FormatPair("%03x_%03x", entry, frame) + extension;
}

}  // namespace tessaron
