#pragma once
// The Text tool: a typed text becomes a floater to be placed and dropped like any other.
//
// The text is measured and drawn white on black in the chosen font; the floater gets that
// size, its colour image holds the drawing and its colour alpha the grey level
// (blue + green + red) / 3, both turned upside down so row 0 is the text's bottom row, as
// the layers hold images. Dropping it lays the alpha through the current paint as the fill
// lays its weights, so any paint, special paint or bitmap paint writes the text.

#include "io/TextRaster.h"
#include "paint/Floater.h"

#include <optional>
#include <string>

namespace gessoria {

class UserInteraction;
struct Scene;

constexpr int kTextPlacementWarningId = 61238;
constexpr const char* kTextPlacementWarning =
    "The text has been created but needs to be placed on the screen, click an area\nfor initial placement (you can move "
    "the text after it has been placed)";

// The text panel's line for a font: "%s  %.2f point  ", then "bold  " and "italic" as they apply.
std::string FontDescription(const std::string& face, double points, int weight, bool italic);

// The floater of a text; nothing when the text cannot be drawn (empty, or no font).
std::optional<Floater> MakeTextFloater(const std::string& text, const TextFont& font);

// Creating the text: the floater, then the placement warning and the Selection tool.
// Nothing changes when the text cannot be drawn.
std::optional<Floater> CreateText(Scene& scene, const std::string& text, const TextFont& font, UserInteraction& ui);

} // namespace gessoria
