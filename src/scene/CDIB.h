#pragma once
// CDIB: the device-independent bitmap every layer, alpha and loaded map is made of.
//
// Contract: 24-bit pixels are stored blue, green, red; 8-bit pixels are grey levels.
// Rows run top-down (row 0 is the first row in memory) and each row is padded to a
// multiple of four bytes: stride = (width * 3 + 3) & ~3 or (width + 3) & ~3.
// A CDIB owns its bytes; creating it again releases the previous pixels. Creation
// refuses sizes below 1 or above kMaxDimension and reports failure instead of
// throwing, so a hostile size can never exhaust memory.

#include "scene/SceneArray.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace gessoria {

class CDIB {
public:
    static constexpr int kMaxDimension = 16384;

    CDIB() = default;

    bool Create24(int width, int height);
    bool Create8(int width, int height);
    void Destroy();

    bool created() const { return bitCount_ != 0; }
    int width() const { return width_; }
    int height() const { return height_; }
    int bitCount() const { return bitCount_; }
    int bytesPerPixel() const { return bitCount_ / 8; }
    std::size_t stride() const { return stride_; }

    static std::size_t StrideFor(int width, int bitCount);

    std::uint8_t* row(int y) { return bits_.data() + static_cast<std::size_t>(y) * stride_; }
    const std::uint8_t* row(int y) const { return bits_.data() + static_cast<std::size_t>(y) * stride_; }
    std::span<std::uint8_t> bits() { return bits_; }
    std::span<const std::uint8_t> bits() const { return bits_; }

    // Sets every pixel; for 24-bit bitmaps the bytes are given in memory order.
    void Fill(std::uint8_t value);
    void Fill24(std::uint8_t blue, std::uint8_t green, std::uint8_t red);
    // Copies pixels from a bitmap of the same size and depth.
    bool CopyPixelsFrom(const CDIB& other);

    // Takes pixels made elsewhere (a copy taken a row band at a time): rows laid out as above,
    // exactly stride * height bytes for the size and depth given. False, with nothing changed,
    // for any other size, depth or length.
    bool Adopt(int width, int height, int bitCount, SceneArray<std::uint8_t>&& bits);
    // Hands the pixels' memory over for reuse; the bitmap is left empty.
    SceneArray<std::uint8_t> Release();

private:
    bool Create(int width, int height, int bitCount);

    int width_ = 0;
    int height_ = 0;
    int bitCount_ = 0;
    std::size_t stride_ = 0;
    // Scene memory: zero when made, and from half a MiB on offered huge pages, which spares the
    // renderer a page-table walk on most texel reads of a large map.
    SceneArray<std::uint8_t> bits_;
};

} // namespace gessoria
