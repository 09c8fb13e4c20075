// Clipboard data comes from any program: both decoders must refuse what they cannot read and
// never read past the block. The first byte chooses the decoder.

#include "paint/ClipboardCodec.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::span<const std::uint8_t> block(data + 1, size - 1);
    if (data[0] & 1) {
        if (const auto floater = gessoria::DecodeDibBlock(block))
            (void)gessoria::EncodeFloaterBlock(*floater);
    } else if (const auto floater = gessoria::DecodeFloaterBlock(block)) {
        (void)gessoria::EncodeFloaterBlock(*floater);
    }
    return 0;
}
