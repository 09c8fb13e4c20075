#pragma once
// Little-endian field readers over a byte span, writers that append to a byte vector, and
// writers over a field already in place.
// Every read is bounds-checked by the caller through Has(); the readers themselves never
// touch memory outside the span they are given.

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace gessoria::le {

inline std::uint16_t U16(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

inline std::uint32_t U32(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at]) | (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[at + 2]) << 16) | (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

inline float F32(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return std::bit_cast<float>(U32(bytes, at));
}

inline bool Has(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t count)
{
    return at <= bytes.size() && count <= bytes.size() - at;
}

inline void PutU16(std::vector<std::uint8_t>& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

inline void PutI32(std::vector<std::uint8_t>& out, std::int32_t value) { PutU32(out, static_cast<std::uint32_t>(value)); }

// Overwrite a field already in place; the caller sees to it that the bytes are there.
inline void SetU16(std::span<std::uint8_t> bytes, std::size_t at, std::uint16_t value)
{
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline void SetU32(std::span<std::uint8_t> bytes, std::size_t at, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

} // namespace gessoria::le
