// The frame's clearing: every frame starts each band by clearing its rows, so a row left with
// the last frame's depths would hide this frame's faces behind faces no longer there.

#include "view3d/ViewFrame.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace gessoria::test {
namespace {

TEST(ViewFrame, ClearingRowsSetsEveryDepthAndColourOfThoseRowsAndNoOthers)
{
    constexpr int kWidth = 37, kHeight = 23;
    ViewFrame frame;
    ASSERT_TRUE(frame.Create(kWidth, kHeight));
    auto scribble = [&] {
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                frame.depth()[y * kWidth + x] = static_cast<std::int16_t>(x * 31 + y);
                frame.image().row(y)[x * 3] = 7;
            }
    };
    auto cleared = [&](int y) {
        for (int x = 0; x < kWidth; ++x)
            if (frame.Depth(x, y) != ViewFrame::kFarthest || frame.image().row(y)[x * 3] != 200)
                return false;
        return true;
    };
    auto untouched = [&](int y) {
        for (int x = 0; x < kWidth; ++x)
            if (frame.Depth(x, y) != x * 31 + y || frame.image().row(y)[x * 3] != 7)
                return false;
        return true;
    };
    // Bands as the two workers take them, one row, and ranges past the frame's edges.
    for (const auto& [first, last] : {std::pair{0, 11}, {11, 23}, {5, 6}, {-4, 3}, {20, 40}, {9, 9}}) {
        scribble();
        frame.ClearRows(first, last, 200);
        for (int y = 0; y < kHeight; ++y) {
            if (y >= first && y < last)
                EXPECT_TRUE(cleared(y)) << "rows " << first << " to " << last << ": row " << y;
            else
                EXPECT_TRUE(untouched(y)) << "rows " << first << " to " << last << ": row " << y;
        }
    }
    scribble();
    frame.Clear(200);
    for (int y = 0; y < kHeight; ++y)
        EXPECT_TRUE(cleared(y)) << "row " << y;
}

} // namespace
} // namespace gessoria::test
