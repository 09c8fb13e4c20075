#pragma once
// Brush ("Applicator"): the shape of one dab as a 31 x 31 mask of weights, and how a stroke
// lays dabs.
//
// The paint routines read only the head and the dab limit; stroke logic reads the spacing.
// The head's centre is row 15, column 15. Defined heads are computed from their shape
// values in single precision; bitmap heads come from a 32 x 32 x 8-bit image.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace gessoria {

class UserInteraction;

constexpr int kHeadSize = 31;
constexpr int kHeadCentre = 15;
using BrushHead = std::array<std::uint8_t, kHeadSize * kHeadSize>;  // row-major, row 0 first

enum class DabSpacing : int { Natural = 0, Auto = 1, Manual = 2 };
enum class HeadType : int { Defined = 0, Bitmap = 1 };
enum class HeadShape : int { Circle = 0, Rectangle = 1 };

struct Brush {
    static constexpr std::size_t kMaxText = 255;

    std::string name;
    std::string notes;
    BrushHead head{};
    int bump = 0;
    int dabCount = 0;       // 0: unlimited
    int dabSpacing = 0;     // DabSpacing
    int xSpacing = 1;
    int ySpacing = 1;
    int autoRepeat = 0;
    int timeToFade = 0;
    int rotation = 0;       // degrees
    int xSize = 31;
    int ySize = 31;
    int feathering = 9;
    int headType = 0;       // HeadType
    int shape = 0;          // HeadShape

    std::uint8_t Weight(int row, int column) const { return head[static_cast<std::size_t>(row * kHeadSize + column)]; }
    // The dab limit: dab number n (1 for a stroke's first) is laid only within the limit.
    bool AllowsDab(int n) const { return dabCount <= 0 || n <= dabCount; }
};

// Entry 0 of the brush table: "<Default Brush>" with the cone head.
Brush DefaultBrush();
// The cone of radius 13: 255 - distance x 19.615385, truncated, 0 where not positive.
BrushHead ConeHead();
// A head computed from its shape values; an unknown shape gives an empty head.
BrushHead DefinedHead(int xSize, int ySize, int rotation, int feathering, int shape);
// The head of a 32 x 32 image stored at 8 bits: its first 31 stored rows (bottom-up or
// top-down as the file stores them), 31 bytes each. Any other image, a 4-bit one too, shows
// "Sorry,  can only load 32 x 32 x 8bit brushes." and gives nothing.
std::optional<BrushHead> LoadBitmapHead(const std::string& path, UserInteraction& ui);
// Every weight w becomes 255 - w.
void InvertHead(BrushHead& head);

constexpr const char* kBitmapHeadFilter =
    "BMP Format (*.bmp) |*.bmp|Device Independant Bitmap (*.dib) |*.dib|All Files (*.*) |*.*||";

} // namespace gessoria
