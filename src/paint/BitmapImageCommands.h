#pragma once
// The bitmap view's Image commands, export and print placement.
//
// Flips, rotations, Invert and the five colour reductions go through the image library on the
// layer as the view shows it (its last row at the top), so "clockwise" is clockwise on
// screen. Flips and rotations turn the alpha with the layer; a rotation is stretched back to
// the layer's size. Nothing happens on the Renderer Layer, which is rebuilt, not edited.
// After a change the material's Renderer Layers are rebuilt whole (open views follow) and the
// caller redraws the main view.

#include "paint/BitmapView.h"

#include <filesystem>
#include <functional>
#include <string>

namespace gessoria {

class UserInteraction;

enum class ImageCommand {
    FlipHorizontal,
    FlipVertical,
    Rotate90,
    Rotate180,
    RotateMinus90,
    Invert,
    Halftone,
    Monochrome,
    Colours16,
    Colours256,
    Grey256,
};

// True when the layer changed (and the main view needs its redraw). The Renderer Layer is
// never changed. When the image library cannot carry the command out on a layer (no memory,
// or no thread to scale with), the layer is left as it was and `ui`, when given, is told.
bool ApplyImageCommand(BitmapView& view, ImageCommand command, UserInteraction* ui = nullptr);
constexpr const char* kImageCommandShortOfMemory = "Not enough memory to carry out the image command";

constexpr const char* kExportFilter = "Targa Format Images (*.tga) |*.tga|All Files (*.*) |*.*||";
constexpr const char* kExportDefaultExtension = "tga";
constexpr const char* kGifRefused = "Gif Format not supported";
constexpr const char* kExportMeshQuestion = "Do you want to export the mesh overlay on the image?";

enum class ExportOutcome { Saved, Cancelled, Refused, Failed };

// "Save": asks for a file (named after the view's file text), refuses GIF names, asks whether
// to draw the mesh in while the mesh is shown (Cancel saves nothing), and writes what the
// view shows at the bitmap's own size, the format chosen by the file name. `busy` (when
// given) is called with true before the writing starts and false after, for a wait cursor
// that must not show while the questions are asked.
ExportOutcome ExportBitmapView(const BitmapView& view, UserInteraction& ui,
                               const std::function<void(bool)>& busy = {});
// The same for a file name already chosen, with the mesh drawn in or not.
bool SaveBitmapViewImage(const BitmapView& view, const std::filesystem::path& path, bool withMesh);

// Where a w x h bitmap prints on a page of H x V device pixels: as wide as the page, or as
// high when that would be too tall, keeping the aspect ratio, centred.
struct PrintPlacement {
    int left = 0, top = 0, width = 0, height = 0;
};
PrintPlacement FitToPage(int bitmapWidth, int bitmapHeight, int pageWidth, int pageHeight);

constexpr const char* kPrintDocumentName = "Bitmap";
constexpr const char* kPrintError = "There was an error printing to device ";

} // namespace gessoria
