#include "scene/SceneArray.h"
#include "scene/SceneMemoryReserve.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <optional>

namespace gessoria::test {
namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;

bool AllZero(const SceneArray<float>& array)
{
    return std::all_of(array.begin(), array.end(), [](float v) { return v == 0.0f; });
}

bool Inside(const void* p, const void* first, std::size_t bytes)
{
    const auto at = reinterpret_cast<std::uintptr_t>(p), begin = reinterpret_cast<std::uintptr_t>(first);
    return at >= begin && at < begin + bytes;
}

TEST(SceneMemoryReserve, LargeArraysComeFromTheReserveInOrderZeroedAndOutliveIt)
{
    std::optional<SceneMemoryReserve> reserve(std::in_place, 12 * kMiB);
    const std::atomic<bool> stop = false;
    reserve->Prepare(stop);
    SceneArray<float> first, second, third, small, after;
    {
        const SceneMemoryReserve::Use use(*reserve);
        first = SceneArray<float>(kMiB);       // 4 MiB
        second = SceneArray<float>(kMiB + 1);  // just over 4 MiB: 6 MiB taken
        third = SceneArray<float>(kMiB);       // 4 MiB, more than the 2 left: mapped on its own
        small = SceneArray<float>(1000);       // below huge-page size: never from the reserve
    }
    after = SceneArray<float>(kMiB / 4);  // 1 MiB, which would fit, but the reserve is no longer in use

    const void* start = first.data();
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(start) % (2 * kMiB), 0u);
    EXPECT_EQ(reinterpret_cast<const char*>(second.data()), reinterpret_cast<const char*>(start) + 4 * kMiB);
    EXPECT_FALSE(Inside(third.data(), start, 12 * kMiB));
    EXPECT_FALSE(Inside(small.data(), start, 12 * kMiB));
    EXPECT_FALSE(Inside(after.data(), start, 12 * kMiB));
    for (const SceneArray<float>* array : {&first, &second, &third, &small, &after})
        EXPECT_TRUE(AllZero(*array));

    // The reserve returns only what no array took.
    reserve.reset();
    std::fill(first.begin(), first.end(), 1.0f);
    std::fill(second.begin(), second.end(), 2.0f);
    EXPECT_EQ(first.back() + second.front() + second.back(), 5.0f);
    first = {};
    second = {};
}

TEST(SceneMemoryReserve, AnEmptyOrStoppedReserveLeavesArraysAsTheyAre)
{
    SceneMemoryReserve empty(0);
    const std::atomic<bool> stopped = true;
    SceneMemoryReserve unprepared(4 * kMiB);
    unprepared.Prepare(stopped);
    for (SceneMemoryReserve* reserve : {&empty, &unprepared}) {
        const SceneMemoryReserve::Use use(*reserve);
        const SceneArray<float> array(kMiB / 2);
        EXPECT_EQ(array.size(), kMiB / 2);
        EXPECT_TRUE(AllZero(array));
    }
}

} // namespace
} // namespace gessoria::test
