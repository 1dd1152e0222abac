// libFuzzer entry point; the body is shared with the test suite.
#include "targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return tessaron::fuzz::FuzzFrame(data, size);
}
