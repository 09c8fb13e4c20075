#include "cli/LibraryCommand.h"

#include "cli/CliInteraction.h"
#include "cli/JsonWriter.h"
#include "paint/PaintKinds.h"
#include "session/Session.h"

#include <filesystem>

namespace gessoria::cli {
namespace {

constexpr const char* kUsage = "usage: gessoria-cli library [--brushes FILE] [--paints FILE] [--json]\n";
constexpr const char* kImageNames[kBitmapPaintImageCount] = {"colour", "bump", "selfIllum", "opacity", "shininess", "alpha"};

void WriteBrushJson(JsonWriter& json, int index, const Brush& b)
{
    json.BeginObject();
    json.Field("index", index);
    json.Field("name", b.name);
    json.Field("notes", b.notes);
    json.Field("bump", b.bump);
    json.Field("dabCount", b.dabCount);
    json.Field("dabSpacing", b.dabSpacing);
    json.Field("xSpacing", b.xSpacing);
    json.Field("ySpacing", b.ySpacing);
    json.Field("autoRepeat", b.autoRepeat);
    json.Field("timeToFade", b.timeToFade);
    json.Field("rotation", b.rotation);
    json.Field("xSize", b.xSize);
    json.Field("ySize", b.ySize);
    json.Field("feathering", b.feathering);
    json.Field("headType", b.headType);
    json.Field("shape", b.shape);
    json.Key("head");
    json.BeginArray();
    for (int r = 0; r < kHeadSize; ++r) {
        json.BeginArray();
        for (int c = 0; c < kHeadSize; ++c)
            json.Int(b.Weight(r, c));
        json.EndArray();
    }
    json.EndArray();
    json.EndObject();
}

void WritePaintJson(JsonWriter& json, int index, const Paint& p)
{
    json.BeginObject();
    json.Field("index", index);
    json.Field("name", p.name);
    json.Field("notes", p.notes);
    json.Field("kind", PaintKindFor(p.specialNumber).name);
    json.Field("specialNumber", p.specialNumber);
    json.Field("washHighlight", p.washHighlight);
    json.Field("aoeLevel", p.aoeLevel);
    json.Field("colourMap", p.colourMap);
    json.Field("selfIllumMap", p.selfIllumMap);
    json.Field("bumpMap", p.bumpMap);
    json.Field("shininessMap", p.shininessMap);
    json.Field("opacityMap", p.opacityMap);
    json.Field("bitmapPaint", p.bitmapPaint);
    json.Field("wetness", p.wetness);
    json.Field("dirtiness", p.dirtiness);
    json.Field("xTiling", p.xTiling);
    json.Field("yTiling", p.yTiling);
    json.Field("tileSequence", p.tileSequence);
    json.Field("alphaFromTopLeft", p.alphaFromTopLeft);
    json.Field("specialA", p.specialA);
    json.Field("specialB", p.specialB);
    json.Key("images");
    json.BeginObject();
    for (int i = 0; i < kBitmapPaintImageCount; ++i) {
        json.Key(kImageNames[i]);
        json.BeginObject();
        json.Field("path", p.paths[static_cast<std::size_t>(i)]);
        json.Field("use", p.useImage[static_cast<std::size_t>(i)]);
        json.EndObject();
    }
    json.EndObject();
    json.EndObject();
}

void WriteText(std::ostream& out, const BrushTable& brushes, const PaintTable& paints)
{
    out << "Brushes: " << brushes.count() << '\n';
    for (int i = 0; i < brushes.count(); ++i) {
        const Brush& b = brushes.at(i);
        out << "  " << i << " \"" << b.name << "\": " << (b.headType == 0 ? (b.shape == 0 ? "circle" : "rectangle") : "bitmap head")
            << " " << b.xSize << " x " << b.ySize << ", rotation " << b.rotation << ", feathering " << b.feathering
            << ", dabs " << (b.dabCount == 0 ? std::string("infinite") : std::to_string(b.dabCount)) << ", spacing "
            << (b.dabSpacing == 0 ? "natural" : b.dabSpacing == 1 ? "auto" : "manual") << " " << b.xSpacing << " x "
            << b.ySpacing << '\n';
    }
    out << "Paints: " << paints.count() << '\n';
    for (int i = 0; i < paints.count(); ++i) {
        const Paint& p = paints.at(i);
        out << "  " << i << " \"" << p.name << "\": " << (p.bitmapPaint ? "Bitmap Paint" : PaintKindFor(p.specialNumber).name)
            << ", maps";
        const std::pair<const char*, int> maps[] = {{"colour", p.colourMap}, {"self illum", p.selfIllumMap}, {"bump", p.bumpMap},
                                                    {"shininess", p.shininessMap}, {"opacity", p.opacityMap}};
        for (const auto& [name, on] : maps)
            if (on)
                out << ' ' << name;
        if (p.specialNumber >= 2 && p.specialNumber <= 24)
            out << ", A " << p.specialA << ", B " << p.specialB;
        if (p.dirtiness)
            out << ", dirt " << p.dirtiness;
        out << '\n';
    }
}

} // namespace

int RunLibrary(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::filesystem::path brushPath = std::filesystem::current_path() / "Brushes.Dat";
    std::filesystem::path paintPath = std::filesystem::current_path() / "Paints.Dat";
    bool json = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--json") {
            json = true;
        } else if ((args[i] == "--brushes" || args[i] == "--paints") && i + 1 < args.size()) {
            (args[i] == "--brushes" ? brushPath : paintPath) = std::filesystem::absolute(args[i + 1]);
            ++i;
        } else {
            err << kUsage;
            return 2;
        }
    }
    CliInteraction ui(err);
    BrushTable brushes;
    PaintTable paints;
    ReadLibraries(brushes, brushPath, paints, paintPath, ui);

    if (json) {
        JsonWriter writer(out);
        writer.BeginObject();
        writer.Key("brushes");
        writer.BeginArray();
        for (int i = 0; i < brushes.count(); ++i)
            WriteBrushJson(writer, i, brushes.at(i));
        writer.EndArray();
        writer.Key("paints");
        writer.BeginArray();
        for (int i = 0; i < paints.count(); ++i)
            WritePaintJson(writer, i, paints.at(i));
        writer.EndArray();
        writer.EndObject();
        out << '\n';
    } else {
        WriteText(out, brushes, paints);
    }
    // A library that could not be read has been reported; the listing still shows what start-up would have.
    return ui.messageCount() == 0 ? 0 : 1;
}

} // namespace gessoria::cli
