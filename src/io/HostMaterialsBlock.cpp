#include "io/HostMaterialsBlock.h"

#include "io/HostBlockLayout.h"
#include "scene/Scene.h"

#include <algorithm>
#include <cstring>

namespace gessoria {
namespace {

// The Renderer Layer a material sends for `type`, or none: only a material with paint
// layers sends, and only a stack with more than its Renderer Layer.
const CDIB* SentLayer(const Material& material, MapType type)
{
    if (material.hasLayers == 0 || material.stack(type).count() <= 1)
        return nullptr;
    const CDIB& image = material.stack(type)[0].image;
    return image.created() ? &image : nullptr;
}

std::uint64_t PackedSize(const CDIB& image)
{
    return static_cast<std::uint64_t>(image.width()) * static_cast<std::uint64_t>(image.height()) *
           static_cast<std::uint64_t>(image.bytesPerPixel());
}

void Put32(std::span<std::uint8_t> block, std::size_t at, std::uint32_t value)
{
    for (int b = 0; b < 4; ++b)
        block[at + static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(value >> (8 * b));
}

} // namespace

std::uint64_t HostMaterialsBlockSize(const Scene& scene)
{
    std::uint64_t size = host::kHeaderSize + host::kMaterialRecordSize * static_cast<std::uint64_t>(scene.materialCount);
    for (int i = 1; i <= scene.materialCount; ++i)
        for (const MapType type : host::kDescriptorType)
            if (const CDIB* image = SentLayer(scene.materials[static_cast<std::size_t>(i)], type))
                size += PackedSize(*image);
    return size;
}

void WriteHostMaterialsBlock(const Scene& scene, std::uint8_t overwrite, const std::string& prefix, std::uint32_t base,
                             std::span<std::uint8_t> block)
{
    const auto count = static_cast<std::size_t>(std::max(scene.materialCount, 0));
    // The header and the records are cleared; the pixel data after them is written whole.
    std::fill_n(block.begin(), std::min(block.size(), host::kHeaderSize + host::kMaterialRecordSize * count), std::uint8_t{0});
    Put32(block, host::kMaterialCount, static_cast<std::uint32_t>(count));
    Put32(block, host::kMaterialsRef, base + static_cast<std::uint32_t>(host::kHeaderSize));
    block[host::kOverwriteFlag] = overwrite;
    std::memcpy(block.data() + host::kPrefix, prefix.data(), std::min(prefix.size(), host::kPrefixSize));

    std::size_t data = host::kHeaderSize + host::kMaterialRecordSize * count;
    for (std::size_t i = 1; i <= count; ++i) {
        const Material& material = scene.materials[i];
        const std::size_t record = host::kHeaderSize + (i - 1) * host::kMaterialRecordSize;
        block[record + host::kMaterialHasLayers] = material.hasLayers != 0 ? 1 : 0;
        for (int d = 0; d < host::kDescriptorCount; ++d) {
            const CDIB* image = SentLayer(material, host::kDescriptorType[static_cast<std::size_t>(d)]);
            if (image == nullptr)
                continue;
            const std::size_t descriptor = record + host::kDescriptorOffset[static_cast<std::size_t>(d)];
            block[descriptor + host::kMapPresent] = 1;
            Put32(block, descriptor + host::kMapPixelsRef, base + static_cast<std::uint32_t>(data));
            Put32(block, descriptor + host::kMapHeight, static_cast<std::uint32_t>(image->height()));
            Put32(block, descriptor + host::kMapWidth, static_cast<std::uint32_t>(image->width()));
            Put32(block, descriptor + host::kMapBitsPerPixel, static_cast<std::uint32_t>(image->bitCount()));
            const std::size_t rowBytes = static_cast<std::size_t>(image->width()) * static_cast<std::size_t>(image->bytesPerPixel());
            for (int y = 0; y < image->height(); ++y, data += rowBytes)
                std::memcpy(block.data() + data, image->row(y), rowBytes);
        }
    }
}

} // namespace gessoria
