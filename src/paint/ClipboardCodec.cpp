#include "paint/ClipboardCodec.h"

#include "io/ImageLibrary.h"
#include "io/LittleEndian.h"
#include "scene/Material.h"
#include "scene/TexelCoordinates.h"

#include <algorithm>

namespace gessoria {
namespace {

constexpr std::size_t kSizeFields = 8;
constexpr std::size_t kDibHeaderSize = 40;
constexpr std::size_t kDibSpare = 4;

std::size_t FloaterBlockSize(int width, int height)
{
    const auto rows = static_cast<std::size_t>(height);
    return kSizeFields + CDIB::StrideFor(width, 24) * rows + 9 * CDIB::StrideFor(width, 8) * rows;
}

// Images 1..9 of the block: the four grey values, then the five alphas.
template <typename F>
auto& GreyImage(F& floater, int n)
{
    return n < kMapTypeCount ? floater.values[static_cast<std::size_t>(n)] : floater.alphas[static_cast<std::size_t>(n - kMapTypeCount)];
}

void AppendRows(std::vector<std::uint8_t>& out, const CDIB& image)
{
    for (int y = 0; y < image.height(); ++y)
        out.insert(out.end(), image.row(y), image.row(y) + image.stride());
}

bool AnyNonZero(const CDIB& image)
{
    return std::any_of(image.bits().begin(), image.bits().end(), [](std::uint8_t b) { return b != 0; });
}

} // namespace

std::vector<std::uint8_t> EncodeFloaterBlock(const Floater& floater)
{
    std::vector<std::uint8_t> block;
    block.reserve(FloaterBlockSize(floater.width, floater.height));
    le::PutI32(block, floater.width);
    le::PutI32(block, floater.height);
    AppendRows(block, floater.values[0]);
    for (int n = 1; n < 2 * kMapTypeCount; ++n)
        AppendRows(block, GreyImage(floater, n));
    return block;
}

std::optional<Floater> DecodeFloaterBlock(std::span<const std::uint8_t> block)
{
    if (!le::Has(block, 0, kSizeFields))
        return std::nullopt;
    const auto width = static_cast<std::int32_t>(le::U32(block, 0));
    const auto height = static_cast<std::int32_t>(le::U32(block, 4));
    if (width < 1 || height < 1 || width > CDIB::kMaxDimension || height > CDIB::kMaxDimension ||
        block.size() < FloaterBlockSize(width, height))
        return std::nullopt;
    Floater floater;
    if (!floater.Create(width, height))
        return std::nullopt;
    std::size_t at = kSizeFields;
    const auto readRows = [&](CDIB& image) {
        for (int y = 0; y < height; ++y, at += image.stride())
            std::copy_n(block.begin() + static_cast<std::ptrdiff_t>(at), image.stride(), image.row(y));
    };
    readRows(floater.values[0]);
    for (int n = 1; n < 2 * kMapTypeCount; ++n)
        readRows(GreyImage(floater, n));
    // The block does not say which map types were lifted; a type that covers nothing is
    // left out, so dropping never writes into layers the copy did not come from.
    for (int k = 0; k < kMapTypeCount; ++k)
        floater.carries[static_cast<std::size_t>(k)] = AnyNonZero(floater.alphas[static_cast<std::size_t>(k)]) ? 1 : 0;
    floater.present = 1;
    floater.state = Floater::kPasted;
    return floater;
}

std::vector<std::uint8_t> EncodeDibBlock(const Floater& floater, const Material& material)
{
    const std::size_t stride = CDIB::StrideFor(floater.width, 24);
    std::vector<std::uint8_t> block;
    block.reserve(kDibHeaderSize + stride * static_cast<std::size_t>(floater.height) + kDibSpare);
    le::PutU32(block, kDibHeaderSize);
    le::PutI32(block, floater.width);
    le::PutI32(block, floater.height);  // positive: bottom-up, row 0 is the image's bottom row
    le::PutU16(block, 1);               // planes
    le::PutU16(block, 24);              // bits per pixel
    le::PutU32(block, 0);               // uncompressed
    le::PutU32(block, static_cast<std::uint32_t>(stride * static_cast<std::size_t>(floater.height)));
    le::PutI32(block, 0);               // pixels per metre, x and y
    le::PutI32(block, 0);
    le::PutU32(block, 0);               // colours used, important
    le::PutU32(block, 0);
    const bool composite = material.hasLayers && material.stack(MapType::Colour).count() > 0;
    for (int y = 0; y < floater.height; ++y) {
        const std::size_t rowStart = block.size();
        block.resize(rowStart + stride, 0);
        if (!composite)
            continue;
        const std::uint8_t* from = material.stack(MapType::Colour)[0].image.row(WrapTexel(floater.top + y, material.mapHeight));
        for (int x = 0; x < floater.width; ++x)
            std::copy_n(from + 3 * WrapTexel(floater.left + x, material.mapWidth), 3, block.begin() + static_cast<std::ptrdiff_t>(rowStart + 3 * static_cast<std::size_t>(x)));
    }
    block.resize(block.size() + kDibSpare, 0);
    return block;
}

std::optional<Floater> DecodeDibBlock(std::span<const std::uint8_t> block)
{
    auto image = LibraryImage::FromPackedBitmap(block);
    if (!image)
        return std::nullopt;
    if (image->bitsPerPixel() != 24)
        image->ConvertTo24Bits();
    Floater floater;
    if (image->bitsPerPixel() != 24 || !floater.Create(image->width(), image->height()))
        return std::nullopt;
    // The library hands rows bottom row first, as the layers hold them.
    const std::vector<std::uint8_t> rows = image->PackedRows();
    CDIB& colour = floater.values[0];
    for (int y = 0; y < floater.height; ++y)
        std::copy_n(rows.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y) * colour.stride()), colour.stride(), colour.row(y));
    floater.alphas[0].Fill(255);
    floater.carries[0] = 1;
    floater.present = 1;
    floater.state = Floater::kPasted;
    return floater;
}

} // namespace gessoria
