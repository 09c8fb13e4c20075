#include "scene/CDIB.h"

#include <algorithm>
#include <new>
#include <utility>

namespace gessoria {

std::size_t CDIB::StrideFor(int width, int bitCount)
{
    const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(bitCount / 8);
    return (bytes + 3) & ~static_cast<std::size_t>(3);
}

bool CDIB::Create(int width, int height, int bitCount)
{
    Destroy();
    if (width < 1 || height < 1 || width > kMaxDimension || height > kMaxDimension)
        return false;
    const std::size_t stride = StrideFor(width, bitCount);
    try {
        bits_ = SceneArray<std::uint8_t>(stride * static_cast<std::size_t>(height));
    } catch (const std::bad_alloc&) {
        bits_ = {};
        return false;
    }
    width_ = width;
    height_ = height;
    bitCount_ = bitCount;
    stride_ = stride;
    return true;
}

bool CDIB::Create24(int width, int height) { return Create(width, height, 24); }
bool CDIB::Create8(int width, int height) { return Create(width, height, 8); }

void CDIB::Destroy()
{
    bits_ = {};
    width_ = height_ = bitCount_ = 0;
    stride_ = 0;
}

void CDIB::Fill(std::uint8_t value)
{
    std::fill(bits_.begin(), bits_.end(), value);
}

void CDIB::Fill24(std::uint8_t blue, std::uint8_t green, std::uint8_t red)
{
    for (int y = 0; y < height_; ++y) {
        std::uint8_t* p = row(y);
        for (int x = 0; x < width_; ++x, p += 3) {
            p[0] = blue;
            p[1] = green;
            p[2] = red;
        }
    }
}

bool CDIB::CopyPixelsFrom(const CDIB& other)
{
    if (other.width_ != width_ || other.height_ != height_ || other.bitCount_ != bitCount_)
        return false;
    bits_ = other.bits_;
    return true;
}

bool CDIB::Adopt(int width, int height, int bitCount, SceneArray<std::uint8_t>&& bits)
{
    if (width < 1 || height < 1 || width > kMaxDimension || height > kMaxDimension || (bitCount != 8 && bitCount != 24))
        return false;
    const std::size_t stride = StrideFor(width, bitCount);
    if (bits.size() != stride * static_cast<std::size_t>(height))
        return false;
    bits_ = std::move(bits);
    width_ = width;
    height_ = height;
    bitCount_ = bitCount;
    stride_ = stride;
    return true;
}

SceneArray<std::uint8_t> CDIB::Release()
{
    SceneArray<std::uint8_t> bits = std::move(bits_);
    Destroy();
    return bits;
}

} // namespace gessoria
