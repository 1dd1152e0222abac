// Expectations of the fuzz targets.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace tessaron::fuzz {

[[noreturn]] inline void Broken(const char* what, const char* file, int line) {
    std::fprintf(stderr, "fuzz expectation broken at %s:%d: %s\n", file, line, what);
    std::abort();
}

}  // namespace tessaron::fuzz

#define FUZZ_EXPECT(condition) \
    ((condition) ? void(0) : ::tessaron::fuzz::Broken(#condition, __FILE__, __LINE__))
