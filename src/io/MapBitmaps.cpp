#include "io/MapBitmaps.h"

#include "io/ImageLibrary.h"
#include "scene/CDIB.h"
#include "scene/LayerProduction.h"
#include "scene/MapConversion.h"
#include "scene/MapPaths.h"
#include "scene/Material.h"
#include "scene/Scene.h"
#include "scene/UserInteraction.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <system_error>

namespace gessoria {
namespace {

std::string Lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool IsRegularFile(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// The directory part of a chosen file's path: everything before its last separator; the
// root for a file in the root and "." for a bare name, never empty, which would name no
// directory.
std::string ParentDirectory(const std::string& path)
{
    const auto separator = path.find_last_of("/\\");
    if (separator == std::string::npos)
        return ".";
    return path.substr(0, separator == 0 ? 1 : separator);
}

} // namespace

std::optional<std::filesystem::path> FindFileInDirectory(const std::string& directory, const std::string& name)
{
    if (name.empty() || name == "." || name == ".." || name.find_first_of("/\\") != std::string::npos)
        return std::nullopt;
    const std::filesystem::path dir = directory.empty() ? std::filesystem::path("/") : std::filesystem::path(directory);
    std::filesystem::path exact = dir / name;
    if (IsRegularFile(exact))
        return exact;
    const std::string wanted = Lowered(name);
    std::error_code error;
    for (std::filesystem::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        if (Lowered(it->path().filename().string()) == wanted && IsRegularFile(it->path()))
            return it->path();
    }
    return std::nullopt;
}

namespace {

// The refusals every image read shares: GIF by name, GIF content under another name.
bool RefusedAsGif(const std::string& path, UserInteraction& ui)
{
    const std::string ext = Lowered(path.size() >= 4 ? path.substr(path.size() - 4) : path);
    if (ext == ".gif") {
        ui.Tell("Due to Compuserve's GIF licensing requirements. Gessoria does not support the GIF format. We "
                "apologise for this inconvenience but suggest you convert your GIF images to JPEG or TARGA before "
                "importing.");
        return true;
    }
    if (QueryImageFileType(path) == ImageFileType::Gif && ext != ".mat") {
        ui.Tell("Much as we admire your persistance trying to load a GIF by renaming it, we're really not allowed "
                "to do that. We apologise for the inconvenience, complaints should be addressed to Compuserve.");
        return true;
    }
    return false;
}

// Reads `path` (or, when given, the image bytes that would be that file) at the given depth
// (24 or 8 bits) into `bitmap`, rows as delivered.
bool LoadAtDepth(CDIB& bitmap, const std::string& path, int bits, UserInteraction& ui,
                 const std::vector<std::uint8_t>* stored = nullptr)
{
    bitmap.Destroy();
    if (stored == nullptr && RefusedAsGif(path, ui))
        return false;
    ImageReadFailure failure = ImageReadFailure::None;
    auto image = stored != nullptr ? LibraryImage::Decode(*stored, path, &failure) : LibraryImage::Open(path, &failure);
    if (image && image->bitsPerPixel() != bits) {
        if (bits == 24)
            image->ConvertTo24Bits();
        else if (image->bitsPerPixel() > 8)
            image->ReduceTo8Bits();
        else
            image->ExpandTo8Bits();
    }
    const bool created = image && image->bitsPerPixel() == bits &&
                         (bits == 24 ? bitmap.Create24(image->width(), image->height())
                                     : bitmap.Create8(image->width(), image->height()));
    const std::vector<std::uint8_t> rows = created ? image->PackedRows() : std::vector<std::uint8_t>{};
    const std::size_t bytes = bitmap.stride() * static_cast<std::size_t>(bitmap.height());
    if (!created || rows.size() < bytes) {
        // A sound image whose bitmap could not be made, or a read that ran out of memory, is
        // short of memory, not a bad file.
        const bool sizeAllowed = image && image->width() <= CDIB::kMaxDimension && image->height() <= CDIB::kMaxDimension;
        const bool memory = failure == ImageReadFailure::OutOfMemory || (image && !created && sizeAllowed);
        ui.Tell(memory ? "Not enough memory to load " + path : path + "  -  file load error.  Possibly corrupt file.",
                MessageIcon::Error);
        bitmap.Destroy();
        return false;
    }
    std::memcpy(bitmap.bits().data(), rows.data(), bytes);
    return true;
}

} // namespace

bool LoadImageFile(CDIB& bitmap, const std::string& path, UserInteraction& ui)
{
    // Every depth other than 24 bits (palette, grey, with alpha) is converted before the
    // rows are copied, so the copy always reads three bytes a pixel.
    return LoadAtDepth(bitmap, path, 24, ui);
}

bool LoadImageFile8(CDIB& bitmap, const std::string& path, UserInteraction& ui)
{
    return LoadAtDepth(bitmap, path, 8, ui);
}

namespace {

// The reference's bitmap is in: converted when the image holds another kind of value.
int Loaded(MapRef& reference)
{
    ConvertMapBitmap(*reference.bitmap, reference.conversion);
    reference.loaded = 1;
    return 0;
}

} // namespace

int FindMapBitmap(MapRef& reference, MapPathList& mapPaths, UserInteraction& ui)
{
    reference.loaded = 0;
    if (reference.fileName.empty())
        return 0;

    // A model's own image comes before any search: stored inside the model, or at the path
    // the model gives when that file exists.
    if (reference.embeddedImage || IsRegularFile(reference.sourcePath)) {
        reference.bitmap = std::make_unique<CDIB>();
        const bool created = reference.embeddedImage
                                 ? LoadAtDepth(*reference.bitmap, reference.fileName, 24, ui, reference.embeddedImage.get())
                                 : LoadImageFile(*reference.bitmap, reference.sourcePath, ui);
        if (created)
            return Loaded(reference);
        reference.ReleaseBitmap();
        return 1;
    }

    for (const std::string& directory : mapPaths.paths()) {
        const auto candidate = FindFileInDirectory(directory, reference.fileName);
        if (!candidate)
            continue;
        reference.bitmap = std::make_unique<CDIB>();
        if (LoadImageFile(*reference.bitmap, candidate->string(), ui))
            return Loaded(reference);
        reference.ReleaseBitmap();
        return 1;
    }

    if (!ui.Ask(reference.fileName + "could not be found in your current map paths. Would you like to locate it manually?"))
        return 0;
    const auto chosen = ui.ChooseFileToOpen("All Files (*.*) |*.*||", reference.fileName);
    if (!chosen)
        return 1;
    auto bitmap = std::make_unique<CDIB>();
    if (!LoadImageFile(*bitmap, *chosen, ui))
        return 1;
    reference.bitmap = std::move(bitmap);
    Loaded(reference);
    if (ui.Ask("Would you like to add this directory to your Map Path list?")) {
        if (mapPaths.full())
            ui.Tell("Sorry, you can only have 32 Map Paths and those are already used");
        else
            mapPaths.Append(ParentDirectory(*chosen));
    }
    return 0;
}

int LoadMaterialBitmaps(Scene& scene, UserInteraction& ui)
{
    int failures = 0;
    for (int i = 1; i <= scene.materialCount; ++i) {
        Material& material = scene.materials[static_cast<std::size_t>(i)];
        for (int r = 0; r < Material::kReferenceCount; ++r)
            failures += FindMapBitmap(material.reference(r), scene.mapPaths, ui);
    }
    return failures + ProduceLayers(scene, ui);
}

} // namespace gessoria
