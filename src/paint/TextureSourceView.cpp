#include "paint/TextureSourceView.h"

#include <cstdio>
#include <cstdlib>

namespace gessoria {
namespace {

std::string ScaleText(float scale)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(scale));
    return text;
}

} // namespace

bool TextureSourceView::Open(PaintingState& state, const Paint& paint, UserInteraction& ui, bool reopen)
{
    if (open() && !reopen)
        return true;
    source_ = StartTextureMode(state, paint, ui);
    open_ = source_ != nullptr;
    width_ = open_ ? source_->width() : 0;
    height_ = open_ ? source_->height() : 0;
    return open_;
}

void TextureSourceView::Close(PaintingState& state)
{
    source_ = nullptr;
    open_ = false;
    StartCloneMode(state);
}

void TextureSourceView::Click(PaintingState& state, int x, int y, int scrollX, int scrollY) const
{
    if (open_)
        ClickSourceView(state, x + scrollX, y + scrollY, height_);
}

std::string SetTextureScaleText(ToolOptions& options, const std::string& text)
{
    options.SetTextureScale(std::strtof(text.c_str(), nullptr));
    return ScaleText(options.textureScale);
}

std::string SetTextureScaleSpin(ToolOptions& options, int position)
{
    options.SetTextureScale(static_cast<float>(position) / 10.0f);
    return ScaleText(options.textureScale);
}

} // namespace gessoria
