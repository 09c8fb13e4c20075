#pragma once
// AscendingUnion: the union of several ascending lists without repeats, itself ascending and
// without repeats. The lists are merged in pairs, round by round, so n values in k lists cost
// about n log k steps: less than sorting their concatenation, which the indexes did for every
// dab.

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace gessoria {

inline std::vector<std::int32_t> AscendingUnion(const std::vector<std::span<const std::int32_t>>& lists)
{
    const auto unite = [](std::span<const std::int32_t> a, std::span<const std::int32_t> b) {
        std::vector<std::int32_t> out(a.size() + b.size());
        out.erase(std::set_union(a.begin(), a.end(), b.begin(), b.end(), out.begin()), out.end());
        return out;
    };
    // The first round reads the lists where they lie; later rounds merge its results.
    std::vector<std::vector<std::int32_t>> merged;
    merged.reserve((lists.size() + 1) / 2);
    for (std::size_t k = 0; k < lists.size(); k += 2)
        merged.push_back(unite(lists[k], k + 1 < lists.size() ? lists[k + 1] : std::span<const std::int32_t>{}));
    while (merged.size() > 1) {
        std::vector<std::vector<std::int32_t>> next;
        next.reserve((merged.size() + 1) / 2);
        for (std::size_t k = 0; k < merged.size(); k += 2)
            next.push_back(k + 1 < merged.size() ? unite(merged[k], merged[k + 1]) : std::move(merged[k]));
        merged = std::move(next);
    }
    return merged.empty() ? std::vector<std::int32_t>{} : std::move(merged.front());
}

} // namespace gessoria
