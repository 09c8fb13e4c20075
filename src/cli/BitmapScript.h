#pragma once
// The paint script's commands for selections, floaters, the clipboard, text and bitmap views:
//   tool selection|text             select X0,Y0 X1,Y1      copy      cut
//   paste-file IMAGE                place X,Y               drop
//   text "TEXT" [FONT] [POINTS]
//   bitmap-view MATERIAL MAPTYPE INDEX, then on that view:
//   flip h|v   rotate 90|180|-90   invert   reduce halftone|mono|16|256|grey
//   export OUT [mesh]               bitmap-stroke X,Y ...
// Copy and Cut keep both clipboard blocks in memory for the rest of the script, so a copy
// can be pasted later in the same script.

#include "cli/CliInteraction.h"
#include "paint/BitmapView.h"
#include "paint/Clipboard.h"
#include "paint/FloaterEditor.h"

#include <optional>
#include <string>
#include <vector>

namespace gessoria::cli {

class BitmapScript {
public:
    explicit BitmapScript(Scene& scene);
    ~BitmapScript();
    BitmapScript(const BitmapScript&) = delete;
    BitmapScript& operator=(const BitmapScript&) = delete;

    // Nothing when the words are not one of these commands; else whether it could be done.
    std::optional<bool> Command(const std::vector<std::string>& w, const Painter& painter, PaintingState& state,
                                CliInteraction& ui);

    FloaterEditor& editor() { return editor_; }

private:
    bool PasteFile(const std::string& path, const Painter& painter);
    bool ViewCommand(const std::vector<std::string>& w, const Painter& painter, CliInteraction& ui);
    // The view the last bitmap-view opened, unless the set closed it since (its layer was
    // deleted or moved, or the scene freed).
    BitmapView* OpenView();

    Scene& scene_;
    MemoryClipboard clipboard_;
    FloaterEditor editor_;
    BitmapViewSet views_;
    BitmapView* view_ = nullptr;
};

// A map type by its script name: colour (or color), bump, opacity, selfillum, shininess, in any case.
std::optional<MapType> MapTypeNamed(std::string name);

// Reads "X,Y".
bool ParsePoint(const std::string& text, int& x, int& y);

} // namespace gessoria::cli
