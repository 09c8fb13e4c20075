#include "io/MapExport.h"

#include "io/ImageLibrary.h"
#include "scene/Compositing.h"
#include "scene/MapPadding.h"
#include "scene/Scene.h"

#include <cctype>
#include <charconv>
#include <set>
#include <system_error>

namespace gessoria {
namespace {

const char* MapTypeWord(MapType type)
{
    switch (type) {
    case MapType::Colour: return "colour";
    case MapType::Bump: return "bump";
    case MapType::Opacity: return "opacity";
    case MapType::SelfIllum: return "selfillum";
    case MapType::Shininess: return "shininess";
    }
    return "colour";
}

std::string FileSafe(const std::string& name)
{
    std::string safe;
    for (unsigned char c : name)
        safe += std::isalnum(c) || c == '-' || c == '.' ? static_cast<char>(c) : '_';
    // A name of dots alone would name a directory.
    if (safe.find_first_not_of('.') == std::string::npos)
        safe = "material" + safe;
    return safe;
}

// Pads a copy of the bitmap and writes it top row first.
bool WriteMap(const CDIB& bitmap, const std::vector<std::uint8_t>& coverage, int padding, const std::filesystem::path& path)
{
    CDIB padded = bitmap;
    PadTexels(padded, coverage, padding);
    auto image = LibraryImage::FromBitmap(padded);
    if (!image)
        return false;
    image->FlipVertically();
    return image->Save(path, ImageSaveFormat::ByExtension);
}

} // namespace

bool ParseMapPadding(const std::string& text, int& padding)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < -1)
        return false;
    padding = value;
    return true;
}

bool IsMapExportFormat(const std::string& format)
{
    return format == "png" || format == "tga" || format == "tif" || format == "jpg";
}

std::vector<std::string> MaterialFileNames(const Scene& scene)
{
    std::vector<std::string> names(static_cast<std::size_t>(scene.materialCount) + 1);
    std::set<std::string> taken;
    for (int m = 1; m <= scene.materialCount; ++m) {
        const std::string base = FileSafe(scene.materials[static_cast<std::size_t>(m)].name);
        std::string name = base;
        for (int n = 2; !taken.insert(name).second; ++n)
            name = base + "_" + std::to_string(n);
        names[static_cast<std::size_t>(m)] = name;
    }
    return names;
}

bool ExportMaps(Scene& scene, const std::filesystem::path& directory, const MapExportOptions& options,
                std::vector<std::filesystem::path>& written, std::string& error)
{
    std::error_code made;
    std::filesystem::create_directories(directory, made);
    if (made) {
        error = directory.string();
        return false;
    }
    const std::vector<std::string> names = MaterialFileNames(scene);
    for (int m = 1; m <= scene.materialCount; ++m) {
        Material& material = scene.materials[static_cast<std::size_t>(m)];
        if (!material.hasLayers)
            continue;
        // A material showing one layer alone has that layer in its Renderer Layers: the
        // export composites all its layers, and puts the view back afterwards.
        const bool alone = material.currentLayerOnly != 0;
        if (alone) {
            material.currentLayerOnly = 0;
            CompositeAll(material);
        }
        const std::vector<std::uint8_t> coverage = MaterialCoverage(scene, m);
        bool ok = true;
        for (MapType type : kAllMapTypes) {
            const LayerStack& stack = material.stack(type);
            const std::string base = names[static_cast<std::size_t>(m)] + "_" + MapTypeWord(type);
            const auto write = [&](const CDIB& bitmap, const std::string& name) {
                const auto path = directory / (name + "." + options.format);
                if (!ok || !bitmap.created())
                    return;
                ok = WriteMap(bitmap, coverage, options.padding, path);
                if (ok)
                    written.push_back(path);
                else
                    error = path.string();
            };
            if (stack.count() > 0)
                write(stack[0].image, base);
            if (options.layers)
                for (int i = 1; i < stack.count(); ++i) {
                    write(stack[i].image, base + "_layer" + std::to_string(i));
                    write(stack[i].alpha, base + "_layer" + std::to_string(i) + "_alpha");
                }
        }
        if (alone) {
            material.currentLayerOnly = 1;
            CompositeAll(material);
        }
        if (!ok)
            return false;
    }
    return true;
}

} // namespace gessoria
