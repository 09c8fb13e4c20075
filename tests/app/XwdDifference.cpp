// xwd-difference A.xwd B.xwd X Y W H: prints how many pixels of the rectangle differ between
// two X window dumps of the same size (Xvfb writes its screen in this format with -fbdir).
// The end-to-end test compares the screen before and after a brush stroke with it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

namespace {

struct Dump {
    std::uint32_t width = 0, height = 0, bitsPerPixel = 0, bytesPerLine = 0;
    std::vector<unsigned char> pixels;
};

std::uint32_t BigEndian(const std::vector<unsigned char>& bytes, std::size_t at)
{
    return std::uint32_t(bytes[at]) << 24 | std::uint32_t(bytes[at + 1]) << 16 | std::uint32_t(bytes[at + 2]) << 8 |
           std::uint32_t(bytes[at + 3]);
}

bool Read(const char* path, Dump& dump)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.size() < 100)
        return false;
    // Header fields, 32-bit big-endian: 0 header size, 4 width, 5 height, 11 bits per
    // pixel, 12 bytes per line, 19 colour-map entries (12 bytes each follow the header).
    const std::uint32_t headerSize = BigEndian(bytes, 0);
    dump.width = BigEndian(bytes, 4 * 4);
    dump.height = BigEndian(bytes, 5 * 4);
    dump.bitsPerPixel = BigEndian(bytes, 11 * 4);
    dump.bytesPerLine = BigEndian(bytes, 12 * 4);
    const std::uint32_t colours = BigEndian(bytes, 19 * 4);
    const std::size_t start = std::size_t(headerSize) + std::size_t(colours) * 12;
    const std::size_t size = std::size_t(dump.bytesPerLine) * dump.height;
    if (start + size > bytes.size() || dump.bitsPerPixel % 8 != 0)
        return false;
    dump.pixels.assign(bytes.begin() + static_cast<std::ptrdiff_t>(start),
                       bytes.begin() + static_cast<std::ptrdiff_t>(start + size));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 7) {
        std::cerr << "usage: xwd-difference A.xwd B.xwd X Y W H\n";
        return 2;
    }
    Dump a, b;
    if (!Read(argv[1], a) || !Read(argv[2], b) || a.width != b.width || a.height != b.height) {
        std::cerr << "cannot read two screen dumps of one size\n";
        return 2;
    }
    const long x0 = std::atol(argv[3]), y0 = std::atol(argv[4]), w = std::atol(argv[5]), h = std::atol(argv[6]);
    const std::size_t pixelBytes = a.bitsPerPixel / 8;
    long differing = 0;
    for (long y = std::max(0L, y0); y < std::min<long>(a.height, y0 + h); ++y)
        for (long x = std::max(0L, x0); x < std::min<long>(a.width, x0 + w); ++x) {
            const std::size_t at = std::size_t(y) * a.bytesPerLine + std::size_t(x) * pixelBytes;
            for (std::size_t k = 0; k < pixelBytes; ++k)
                if (a.pixels[at + k] != b.pixels[at + k]) {
                    ++differing;
                    break;
                }
        }
    std::printf("%ld\n", differing);
    return 0;
}
