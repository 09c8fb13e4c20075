#pragma once
// MaxOutOptions: how the modelling host is to take the maps that Go! sends back. They start
// at their defaults in every run and travel with a project (its byte and string settings
// after the display preferences).

#include <cstddef>
#include <cstdint>
#include <string>

namespace gessoria {

struct MaxOutOptions {
    static constexpr std::size_t kMaxPrefix = 32;

    // 1: "Overwrite Old Bitmaps"; 0: "Generate New Bitmaps", named with the prefix.
    std::uint8_t overwrite = 1;
    std::string prefix;
};

} // namespace gessoria
