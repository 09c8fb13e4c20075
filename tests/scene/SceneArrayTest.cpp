// Scene arrays: memory a freed large array leaves is handed to the next array made for
// overwrite, and never to an array that must read as zeros.

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

TEST(SceneArray, MemoryAFreedArrayLeavesGoesOnlyToAnArrayMadeForOverwrite)
{
    const std::int32_t* freed = nullptr;
    {
        SceneArray<std::int32_t> used(kCount);
        std::fill(used.begin(), used.end(), -1);
        freed = used.data();
    }
    // An ordinary array reads as zeros: it never takes what a freed array left.
    SceneArray<std::int32_t> fresh(kCount);
    EXPECT_TRUE(AllZero(fresh));

    SceneArray<std::int32_t> overwritten = SceneArrayForOverwrite<std::int32_t>(kCount);
    ASSERT_EQ(overwritten.size(), kCount);
    EXPECT_EQ(overwritten.data(), freed);
    std::fill(overwritten.begin(), overwritten.end(), 7);

    // A smaller array made for overwrite takes the kept memory too, cut to its size; an
    // ordinary one made after it is still zero.
    overwritten = {};
    SceneArray<std::int32_t> smaller = SceneArrayForOverwrite<std::int32_t>(kCount / 2);
    ASSERT_EQ(smaller.size(), kCount / 2);
    std::fill(smaller.begin(), smaller.end(), 7);
    SceneArray<std::int32_t> after(kCount / 2);
    EXPECT_TRUE(AllZero(after));
}

} // namespace
} // namespace gessoria::test
