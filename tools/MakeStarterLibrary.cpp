// Writes the starter Brushes.Dat and Paints.Dat into a directory with the program's own
// library writers, so a new user starts with tools worth trying.
//   make-starter-library DIR

#include "cli/CliInteraction.h"
#include "paint/BrushTable.h"
#include "paint/PaintKinds.h"
#include "paint/PaintTable.h"

#include <filesystem>
#include <iostream>

using namespace gessoria;

namespace {

Brush Defined(const std::string& name, const std::string& notes, int shape, int xSize, int ySize, int feathering,
              int rotation = 0)
{
    Brush b;
    b.name = name;
    b.notes = notes;
    b.shape = shape;
    b.headType = static_cast<int>(HeadType::Defined);
    b.xSize = xSize;
    b.ySize = ySize;
    b.feathering = feathering;
    b.rotation = rotation;
    b.head = DefinedHead(xSize, ySize, rotation, feathering, shape);
    return b;
}

void AddBrushes(BrushTable& table)
{
    constexpr int kCircle = static_cast<int>(HeadShape::Circle), kRect = static_cast<int>(HeadShape::Rectangle);
    table.Append(Defined("Soft Round Large", "A full-size airbrush: solid centre, long soft edge.", kCircle, 31, 31, 15));
    table.Append(Defined("Soft Round Medium", "Half size, soft edge.", kCircle, 16, 16, 8));
    table.Append(Defined("Soft Round Small", "For details.", kCircle, 8, 8, 4));
    table.Append(Defined("Hard Round Large", "Solid to the edge.", kCircle, 31, 31, 0));
    table.Append(Defined("Hard Round Medium", "Solid, with one ring of smoothing.", kCircle, 16, 16, 1));
    table.Append(Defined("Hard Round Small", "A fine liner.", kCircle, 5, 5, 0));
    table.Append(Defined("Square", "A hard square stamp.", kRect, 21, 21, 0));
    table.Append(Defined("Soft Square", "A square with a feathered edge.", kRect, 31, 31, 8));
    table.Append(Defined("Flat", "A wide, thin rectangle for strokes across.", kRect, 31, 8, 2));
    table.Append(Defined("Flat Rotated 45", "The flat brush turned by 45 degrees: calligraphic strokes.", kRect, 31, 6, 2, 45));
    table.Append(Defined("Feathered Oval", "An oval turned by 30 degrees with a wide soft edge.", kCircle, 31, 16, 12, 30));

    Brush dotted = Defined("Dotted", "Manual spacing: one small dab every 12 texels.", kCircle, 9, 9, 4);
    dotted.dabSpacing = static_cast<int>(DabSpacing::Manual);
    dotted.xSpacing = dotted.ySpacing = 12;
    table.Append(dotted);
    Brush tiles = Defined("Tile Stamper", "Auto spacing: with a bitmap paint, lays its tiles edge to edge.", kRect, 31, 31, 0);
    tiles.dabSpacing = static_cast<int>(DabSpacing::Auto);
    table.Append(tiles);
    Brush ten = Defined("Ten Dabs", "Each stroke lays at most ten dabs.", kCircle, 21, 21, 6);
    ten.dabCount = 10;
    table.Append(ten);
    Brush stamp = Defined("Single Stamp", "One dab per stroke: click to stamp.", kCircle, 31, 31, 3);
    stamp.dabCount = 1;
    table.Append(stamp);
}

Paint BitmapPaint(const std::string& name, const std::string& notes,
                  std::initializer_list<std::pair<BitmapPaintImage, const char*>> images, int tiling, bool keyed)
{
    Paint paint = DefaultPaint();
    paint.name = name;
    paint.notes = notes;
    paint.bitmapPaint = 1;
    paint.specialNumber = kBitmapPaintNumber;
    for (const auto& [image, path] : images) {
        paint.paths[image] = path;
        paint.useImage[image] = 1;
    }
    paint.xTiling = paint.yTiling = tiling;
    paint.alphaFromTopLeft = keyed ? 1 : 0;
    return paint;
}

void AddPaints(PaintTable& table, UserInteraction& ui)
{
    auto add = [&](Paint paint) {
        table.SaveToScene(paint, ui);
    };
    Paint plain = DefaultPaint();
    plain.name = "Colour";
    plain.notes = "Lays the foreground colour.";
    add(plain);
    Paint dirty = plain;
    dirty.name = "Dirty Colour";
    dirty.notes = "The foreground colour with random variation.";
    dirty.dirtiness = 60;
    add(dirty);
    Paint raise = DefaultPaint();
    raise.name = "Bump";
    raise.notes = "Writes the bump value only.";
    raise.colourMap = 0;
    raise.bumpMap = 1;
    add(raise);
    Paint glow = DefaultPaint();
    glow.name = "Glow";
    glow.notes = "Colour and self illumination together.";
    glow.selfIllumMap = 1;
    add(glow);
    Paint wash = DefaultPaint();
    wash.name = "Wash Into Hollows";
    wash.notes = "Paints only where the bump is at or below 100.";
    wash.washHighlight = 1;
    wash.aoeLevel = 100;
    add(wash);

    // One paint for each special paint, with a sensible slider.
    const int sliderA[25] = {0, 0, 64, 64, 128, 0, 0, 0, 128, 0, 48, 8, 8, 128, 40, 128, 0, 48, 0, 0, 0, 0, 96, 6, 6};
    for (const PaintKind& kind : PaintKinds()) {
        if (kind.number < 2 || kind.number > 24)
            continue;
        Paint special = DefaultPaint();
        special.name = kind.name;
        special.notes = kind.description;
        special.specialNumber = kind.number;
        special.specialA = sliderA[kind.number];
        special.specialB = 0;
        add(special);
    }

    add(BitmapPaint("Stone Stamp", "Bitmap paint: stamps paints/stone.jpg.", {{kImageColour, "paints/stone.jpg"}}, 1, false));
    add(BitmapPaint("Wood Tiles", "Bitmap paint: paints/wood.tif cut into 2 x 2 tiles, as colour and bump, stamped in turn.",
                    {{kImageColour, "paints/wood.tif"}, {kImageBump, "paints/wood.tif"}}, 2, false));
    add(BitmapPaint("Glow Sparkle", "Bitmap paint: paints/glow.png as self illumination, black keyed out.",
                    {{kImageSelfIllum, "paints/glow.png"}}, 1, true));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: make-starter-library DIR\n";
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    cli::CliInteraction ui(std::cerr);
    BrushTable brushes;
    AddBrushes(brushes);
    PaintTable paints;
    AddPaints(paints, ui);
    std::filesystem::remove(dir / "Brushes.Dat");
    std::filesystem::remove(dir / "Paints.Dat");
    const bool written = brushes.WriteLibrary(dir / "Brushes.Dat") && paints.WriteLibrary(dir / "Paints.Dat");
    std::cout << brushes.count() - 1 << " brushes and " << paints.count() - 1 << " paints written to " << dir.string() << '\n';
    return written ? 0 : 1;
}
