#include "paint/PaintKinds.h"

#include <array>

namespace gessoria {
namespace {

constexpr std::array<PaintKind, 25> kKinds{{
    {1, "<Default>", nullptr,
     "Normal Paint uses all of the settings associated with Brushes and Paints."},
    {2, "Darken", "Amount",
     "Darken darkens the paint it is painted over. The amount of darkening can be controlled using the 'Amount' slider at the bottom of this dialogue."},
    {3, "Lighten", "Amount",
     "Lighten lightens the paint it is painted over. The amount of lightening can be controlled using the 'Amount' slider at the bottom of this dialogue."},
    {4, "Desaturate", "Amount",
     "Desaturate paints leech colour from other paints. The amount of colour that is removed can be set with the 'Amount' slider at the bottom of this dialogue. This paint type only works in Colour layers."},
    {5, "Gradient", nullptr,
     "Gradients start out painting as the Foreground colour and end up as the Background colour. If you have a Brush selected that has a limited number of dabs, that number is used to define the length of the gradient, otherwise the gradient takes place over 255 dabs."},
    {6, "Multiply", nullptr,
     "Multiply paints work like felt pens, the colour they produce is based on the colour beneath them."},
    {7, "Pointillist", nullptr,
     "Pointillist paints paint dabs of colour based on the colour beneath them. Pointillist paints cannot be used on a Base Layer, they must be used on a higher layer."},
    {8, "Chiaroscuro", "Threshold",
     "Chiaroscuro paints paint either the foreground or the background colour based on whether the colour they are painting over is above or below the amount defined in the 'Threshold' slider below. Chiaroscuro cannot be painted on a Base Layer."},
    {9, "Inverse", nullptr,
     "Invert inverts the colour of the paint beneath. Invert cannot be painted on a Base layer."},
    {10, "Replace Paint", "Threshold",
     "Replace paint compares the colourit paints over to the background colour, if they are within the 'Threshold' set below of each other it replaces that colour with the Foreground colour, respecting the Luminance of the original."},
    {11, "Checkers", "Size",
     "Checkers paint produces checkers alternating between the Fore and Background colours. The 'Size' slider below determines the size in pixels of the checkers."},
    {12, "Alpha Checkers", "Size",
     "Alpha checkers paints checkers of alternating Foreground and existing colour. The Size of the checkers is determined using the 'Size' slider below."},
    {13, "Blur", "Amount",
     "Blur paints blur existing paints. The amount of blur is controlled using the 'Amount' slider below."},
    {14, "Self Masking", "Tolerance",
     "Self Masking paint only paints over areas that are within the 'Threshold' level of the current Background colour."},
    {15, "Brushed", "Grunge",
     "Brushed paint uses the 'Grunge' slider to modulate a 'brushed metal' type effect."},
    {16, "Halo", nullptr,
     "Halo paint antialiases as if it were painting on the Background colour, creating a dab of the Foreground with a Halo of the Background."},
    {17, "Randomise Luma", "Variance",
     "Randomise Luma paint randomises the luminance of the entire dab based on the 'Variance' slider below."},
    {18, "Drybrush", nullptr,
     "Drybrush paint alters the luminance of your the Foreground colour as you paint based on the height of the Bump map in that pixel. the higher the Bump, the lighter the colour."},
    {19, "Alpha Masked", nullptr,
     "Alpha Masked paint will only paint on areas that have already had paint applied. If there is no 'Alpha' in an area this paint will not affect it. Hence it works as any normal paint on the Base Layer of a Map Type."},
    {20, "Alpha Intensify", nullptr,
     "Alpha Intensify intensifies the Alpha value of an area. Use the Intensity slider in the Colour Picker to define how much intensity is added. Because this affects Alpha it will have no affect on a Base Layer."},
    {21, "Alpha Remover", nullptr,
     "Alpha Remover lowers the alpha value of an area of paint above the Base Layer of a map type. This causes the paint to become semi transparent. To control how much alpha is removed use the Intensity slider in the Colour Picker."},
    {22, "Rainbow", "Variance",
     "Rainbow paint randomises the colour of each dab painted based on the 'Variance' slider below. Unlike 'Randomise Luma' the colour is varied throughout the entire spectrum."},
    {23, "Horizontal Bands", "Height",
     "Horizontal Bands paint applies horizontal bands of alternating Fore and Background colour. The height of these bands is controlled using the 'Height' slider below."},
    {24, "Vertical Bands", "Width",
     "Vertical Bands paint applies vertical bands of alternating Fore and Background colour. The width of these bands is controlled using the 'Width' slider below."},
    {5000, "Bitmap Paint", nullptr,
     "Bitmap Paints override the Brush Head of the current Brush. Dab Spacing, Number of Dabs and Fade Over Time will still work however."},
}};

} // namespace

std::span<const PaintKind> PaintKinds() { return kKinds; }

const PaintKind& PaintKindFor(int number)
{
    for (const PaintKind& kind : kKinds)
        if (kind.number == number)
            return kind;
    return kKinds[0];
}

} // namespace gessoria
