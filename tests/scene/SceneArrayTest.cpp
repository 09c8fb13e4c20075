// Scene arrays: memory a freed large array leaves is handed to the next array of its size,
// which must then read as zeros like fresh memory.

#include "scene/SceneArray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

namespace gessoria::test {
namespace {

// 23 MiB and one element: a size no other test uses, so the kept memory is this test's.
constexpr std::size_t kCount = (std::size_t{23} << 20) / sizeof(std::int32_t) + 1;

bool AllZero(const SceneArray<std::int32_t>& array)
{
    return std::all_of(array.begin(), array.end(), [](std::int32_t v) { return v == 0; });
}

TEST(SceneArray, MemoryAFreedArrayLeavesIsHandedOnClearedAndForOverwriteAsItIs)
{
    const std::int32_t* freed = nullptr;
    {
        SceneArray<std::int32_t> used(kCount);
        std::fill(used.begin(), used.end(), -1);
        freed = used.data();
    }
    SceneArray<std::int32_t> next(kCount);
    EXPECT_EQ(next.data(), freed);
    EXPECT_TRUE(AllZero(next));

    // A smaller array takes kept memory too (this or another, the closest in size, cut to its
    // size), and is cleared as well.
    std::fill(next.begin(), next.end(), -1);
    next = {};
    SceneArray<std::int32_t> smaller(kCount / 2);
    EXPECT_TRUE(AllZero(smaller));

    std::fill(smaller.begin(), smaller.end(), 7);
    smaller = {};
    SceneArray<std::int32_t> overwritten = SceneArrayForOverwrite<std::int32_t>(kCount / 2);
    ASSERT_EQ(overwritten.size(), kCount / 2);
    // Only that one array skipped the clearing: the next one is zero again.
    std::fill(overwritten.begin(), overwritten.end(), 7);
    overwritten = {};
    SceneArray<std::int32_t> after(kCount / 2);
    EXPECT_TRUE(AllZero(after));
}

} // namespace
} // namespace gessoria::test
