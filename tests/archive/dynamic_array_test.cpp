#include "dynamic_array.h"

#include <gtest/gtest.h>

namespace tessaron {
namespace {

TEST(DynamicArray, OutOfRangeErrorCarriesIndexAndLength) {
    DynamicArray<uint32_t> a;
    a.SetLength(3);
    a[2] = 7;
    EXPECT_EQ(a[2], 7u);
    for (int64_t bad : {int64_t(-1), int64_t(3), int64_t(1) << 40}) {
        try {
            (void)a[bad];
            FAIL() << "index " << bad << " was accepted";
        } catch (const ERangeError& e) {
            EXPECT_EQ(e.Index(), bad);
            EXPECT_EQ(e.Length(), 3u);
            EXPECT_NE(std::string(e.what()).find(std::to_string(bad)), std::string::npos);
        }
    }
}

TEST(DynamicArray, ShrinkingKeepsThePrefix) {
    DynamicArray<uint32_t> a;
    a.SetLength(4);
    for (int i = 0; i < 4; ++i) a[i] = uint32_t(10 + i);
    a.SetLength(2);
    EXPECT_EQ(a.Length(), 2u);
    EXPECT_EQ(a[1], 11u);
    EXPECT_THROW((void)a[2], ERangeError);
}

}  // namespace
}  // namespace tessaron
