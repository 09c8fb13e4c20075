#pragma once
// PanelPage: the pages the control panel's page area shows, one at a time.

namespace gessoria::app {

enum class PanelPage {
    Brush, Fill, Line, TexturePaint, Text, Selection, Eraser, Sampler,
    Layers, Objects, Bookmarks, Lighting, MaxOut,
    Count
};

// A page that re-reads the engine's state each time it is shown.
class RefreshablePage {
public:
    virtual ~RefreshablePage() = default;
    virtual void Refresh() = 0;
};

} // namespace gessoria::app
