#include "paint/BitmapImageCommands.h"

#include "io/FileBytes.h"
#include "io/ImageLibrary.h"
#include "scene/Material.h"
#include "scene/Scene.h"
#include "scene/UserInteraction.h"

#include <algorithm>
#include <cctype>

namespace gessoria {
namespace {

bool Turns(ImageCommand command)
{
    switch (command) {
    case ImageCommand::FlipHorizontal:
    case ImageCommand::FlipVertical:
    case ImageCommand::Rotate90:
    case ImageCommand::Rotate180:
    case ImageCommand::RotateMinus90:
        return true;
    default:
        return false;
    }
}

void Apply(LibraryImage& image, ImageCommand command)
{
    switch (command) {
    case ImageCommand::FlipHorizontal: image.FlipHorizontally(); break;
    case ImageCommand::FlipVertical: image.FlipVertically(); break;
    case ImageCommand::Rotate90: image.RotateClockwise(90); break;
    case ImageCommand::Rotate180: image.RotateClockwise(180); break;
    case ImageCommand::RotateMinus90: image.RotateClockwise(270); break;
    case ImageCommand::Invert: image.InvertColours(); break;
    case ImageCommand::Halftone: image.Reduce(LibraryImage::Reduction::Halftone); break;
    case ImageCommand::Monochrome: image.Reduce(LibraryImage::Reduction::Monochrome); break;
    case ImageCommand::Colours16: image.Reduce(LibraryImage::Reduction::Colours16); break;
    case ImageCommand::Colours256: image.Reduce(LibraryImage::Reduction::Colours256); break;
    case ImageCommand::Grey256: image.Reduce(LibraryImage::Reduction::Grey256); break;
    }
}

// An image of the bitmap as the view shows it: its last row at the top.
std::optional<LibraryImage> Upright(const CDIB& bitmap)
{
    auto image = LibraryImage::FromBitmap(bitmap);
    if (image)
        image->FlipVertically();
    return image;
}

// Runs the command on one bitmap and copies the result back at the bitmap's size and depth.
bool Transform(CDIB& bitmap, ImageCommand command)
{
    auto image = Upright(bitmap);
    if (!image)
        return false;
    Apply(*image, command);
    image->Resize(bitmap.width(), bitmap.height());
    if (bitmap.bitCount() == 24)
        image->ConvertTo24Bits();
    else if (image->bitsPerPixel() != 8 || !image->Palette().empty())
        image->ReduceTo8Bits();
    if (image->width() != bitmap.width() || image->height() != bitmap.height() || image->bitsPerPixel() != bitmap.bitCount())
        return false;
    // Packed rows come bottom row first, which is the layer's row 0.
    const std::vector<std::uint8_t> rows = image->PackedRows();
    if (rows.size() != bitmap.bits().size())
        return false;
    std::copy(rows.begin(), rows.end(), bitmap.bits().begin());
    return true;
}

std::string UpperExtension(const std::filesystem::path& path)
{
    std::string ext = path.extension().string();
    if (!ext.empty())
        ext.erase(0, 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return ext;
}

} // namespace

bool ApplyImageCommand(BitmapView& view, ImageCommand command, UserInteraction* ui)
{
    if (!view.valid() || view.layerIndex() == 0)
        return false;
    Material& material = view.material();
    Layer& layer = material.stack(view.mapType())[view.layerIndex()];
    // Work on copies so a failure in either half leaves the layer as it was.
    CDIB image = layer.image, alpha = layer.alpha;
    if (!Transform(image, command) || (Turns(command) && !Transform(alpha, command))) {
        if (ui != nullptr)
            ui->Tell(kImageCommandShortOfMemory, MessageIcon::Error);
        return false;
    }
    layer.image = std::move(image);
    if (Turns(command))
        layer.alpha = std::move(alpha);
    Scene& scene = view.scene();
    CompositeAll(material, scene.paintTool, scene.layerViews);
    return true;
}

bool SaveBitmapViewImage(const BitmapView& view, const std::filesystem::path& path, bool withMesh)
{
    auto image = Upright(withMesh ? view.WithMesh() : view.display());
    return image && image->Save(path, ImageSaveFormat::ByExtension);
}

ExportOutcome ExportBitmapView(const BitmapView& view, UserInteraction& ui, const std::function<void(bool)>& busy)
{
    const auto chosen = ui.ChooseFileToSave(kExportFilter, kExportDefaultExtension, view.FileText());
    if (!chosen)
        return ExportOutcome::Cancelled;
    const std::filesystem::path path(*chosen);
    if (UpperExtension(path) == "GIF") {
        ui.Tell(kGifRefused);
        return ExportOutcome::Refused;
    }
    bool withMesh = false;
    if (view.showMesh()) {
        const YesNoCancel answer = ui.AskYesNoCancel(kExportMeshQuestion, UserInteraction::kDefaultTitle);
        if (answer == YesNoCancel::Cancel)
            return ExportOutcome::Cancelled;
        withMesh = answer == YesNoCancel::Yes;
    }
    if (busy)
        busy(true);
    ClearWriteFailure();
    const bool saved = SaveBitmapViewImage(view, path, withMesh);
    if (busy)
        busy(false);
    if (!saved) {
        ui.TellWithReason("Unable to save the image to " + path.string(), LastWriteFailure(), MessageIcon::Error);
        return ExportOutcome::Failed;
    }
    return ExportOutcome::Saved;
}

PrintPlacement FitToPage(int bitmapWidth, int bitmapHeight, int pageWidth, int pageHeight)
{
    if (bitmapWidth < 1 || bitmapHeight < 1 || pageWidth < 1 || pageHeight < 1)
        return {};
    std::int64_t width = pageWidth;
    std::int64_t height = static_cast<std::int64_t>(pageWidth) * bitmapHeight / bitmapWidth;
    if (height > pageHeight) {
        height = pageHeight;
        width = static_cast<std::int64_t>(pageHeight) * bitmapWidth / bitmapHeight;
    }
    return {static_cast<int>((pageWidth - width) / 2), static_cast<int>((pageHeight - height) / 2), static_cast<int>(width),
            static_cast<int>(height)};
}

} // namespace gessoria
