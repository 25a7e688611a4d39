#include <gtest/gtest.h>

#include "render/sprite.h"

TEST(Colour, PacksRedLowAlphaHigh) {
    EXPECT_EQ(rgba(1, 2, 3, 4), 0x04030201u);
    EXPECT_EQ(rgba(32, 32, 32, 176), 32u + 32u * 256u + 32u * 65536u + 176u * 16777216u);
}
