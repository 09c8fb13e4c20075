#include "paint/Paint.h"

#include "io/MapBitmaps.h"

namespace gessoria {

Paint DefaultPaint()
{
    Paint paint;
    paint.name = "<Default Paint>";
    return paint;
}

const CDIB* Paint::FirstLoadedImage() const
{
    for (const auto& image : images)
        if (image && image->created())
            return image.get();
    return nullptr;
}

void Paint::LoadImages(UserInteraction& ui)
{
    FreeImages();
    bool all = true;
    for (int i = 0; i < kBitmapPaintImageCount; ++i) {
        const std::string& path = paths[static_cast<std::size_t>(i)];
        if (path.empty())
            continue;
        auto image = std::make_shared<CDIB>();
        const bool read = i == kImageColour ? LoadImageFile(*image, path, ui) : LoadImageFile8(*image, path, ui);
        if (read)
            images[static_cast<std::size_t>(i)] = std::move(image);
        else
            all = false;
    }
    imagesLoaded = all ? 1 : 0;
}

void Paint::FreeImages()
{
    for (auto& image : images)
        image.reset();
    imagesLoaded = 0;
}

} // namespace gessoria
