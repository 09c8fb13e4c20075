// Writes arbitrary bytes to a file and loads it the ways the program reads images: as a map
// (LoadImageFile, 24 bits), as an 8-bit layer and as a brush head. The first byte chooses
// the file's extension, since Targa files and GIF refusals go by name. Whatever the bytes, a
// load either creates a bitmap within the CDIB size limits or refuses with a message; it
// never reads or writes out of bounds.

#include "io/MapBitmaps.h"
#include "paint/Brush.h"
#include "scene/CDIB.h"
#include "support/RecordingInteraction.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

const std::filesystem::path& ScratchDirectory()
{
    static const std::filesystem::path directory = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "gessoria-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        return std::filesystem::path(pattern);
    }();
    return directory;
}

bool Acceptable(const gessoria::CDIB& bitmap, int bits)
{
    if (!bitmap.created())
        return true;
    return bitmap.bitCount() == bits && bitmap.width() >= 1 && bitmap.height() >= 1 &&
           bitmap.width() <= gessoria::CDIB::kMaxDimension && bitmap.height() <= gessoria::CDIB::kMaxDimension;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const char* const kExtensions[] = {".bmp", ".tga", ".png", ".jpg", ".tif", ".webp", ".dib", ".mat", ".gif", ""};
    if (size == 0)
        return 0;
    const std::string name = std::string("image") + kExtensions[data[0] % std::size(kExtensions)];
    const std::filesystem::path path = ScratchDirectory() / name;
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
        if (!out)
            std::abort();
    }
    gessoria::test::RecordingInteraction ui;
    gessoria::CDIB colour, grey;
    const bool colourRead = gessoria::LoadImageFile(colour, path.string(), ui);
    const bool greyRead = gessoria::LoadImageFile8(grey, path.string(), ui);
    if (colourRead != colour.created() || greyRead != grey.created() || !Acceptable(colour, 24) || !Acceptable(grey, 8))
        std::abort();
    // Every refusal says why.
    if ((!colourRead || !greyRead) && ui.Dialogs().empty())
        std::abort();
    (void)gessoria::LoadBitmapHead(path.string(), ui);
    std::filesystem::remove(path);
    return 0;
}
