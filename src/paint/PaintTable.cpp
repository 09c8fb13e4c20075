#include "paint/PaintTable.h"

#include "io/ProfileFile.h"
#include "paint/BrushTable.h"
#include "scene/UserInteraction.h"

#include <algorithm>

namespace gessoria {
namespace {

constexpr TableWording kWording{
    "Paint", "A maximum of 100 Paints are allowed, to add a new Paint, delete an existing one first.",
    "Can't create more than 100 Paints.  Sorry", "Do you really want to delete the current paint?",
    "Paint 0, the default paint, cannot be deleted."};

// Keys of the six image paths and use flags, by BitmapPaintImage.
constexpr const char* kPathKeys[kBitmapPaintImageCount] = {"Colour Path", "Bump Path", "Self Illum Path",
                                                          "Opacity Path", "Shininess Path", "Alpha Path"};
constexpr const char* kUseKeys[kBitmapPaintImageCount] = {"Use Colour BitMap", "Use Bump BitMap", "Use Self Illum BitMap",
                                                         "Use Opacity BitMap", "Use Shininess BitMap", "Use Alpha BitMap"};
// The order the file holds them in.
constexpr int kUseOrder[] = {kImageColour, kImageBump, kImageSelfIllum, kImageOpacity, kImageShininess, kImageAlpha};
constexpr int kPathOrder[] = {kImageColour, kImageBump, kImageSelfIllum, kImageShininess, kImageOpacity, kImageAlpha};

std::string SectionName(int i) { return "Paint_" + std::to_string(i); }

Paint ReadPaint(const ProfileFile& f, const std::string& s)
{
    Paint p;
    p.name = f.GetString(s, "Name", s, Paint::kMaxText);
    p.notes = f.GetString(s, "Notes", "", Paint::kMaxText);
    p.aoeLevel = f.GetInt(s, "AOE Level", 0);
    p.washHighlight = static_cast<std::uint8_t>(f.GetInt(s, "Wash / Highlight", 0));
    p.colourMap = f.GetInt(s, "Colour Map", 1);
    p.selfIllumMap = f.GetInt(s, "Self Illumination Map", 0);
    p.bumpMap = f.GetInt(s, "Bump Map", 0);
    p.shininessMap = f.GetInt(s, "Shininess Map", 0);
    p.opacityMap = f.GetInt(s, "Opacity Map", 0);
    p.specialNumber = f.GetInt(s, "Special Paint No.", 0);
    p.bitmapPaint = f.GetInt(s, "Bitmap Paint", 0);
    p.wetness = f.GetInt(s, "Wetness", 0);
    p.dirtiness = f.GetInt(s, "Dirtiness", 0);
    p.specialA = f.GetInt(s, "Special A: ", 0);
    p.specialB = f.GetInt(s, "Special B: ", 0);
    p.xTiling = f.GetInt(s, "X Tiling", 1);
    p.yTiling = f.GetInt(s, "Y Tiling", 1);
    p.tileSequence = f.GetInt(s, "Tile Sequence", 0);
    for (const int i : kUseOrder)
        p.useImage[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(f.GetInt(s, kUseKeys[i], 0));
    p.alphaFromTopLeft = static_cast<std::uint8_t>(f.GetInt(s, "Alpha From Top Left", 1));
    for (const int i : kPathOrder)
        p.paths[static_cast<std::size_t>(i)] = f.GetString(s, kPathKeys[i], "", Paint::kMaxText);
    p.imagesLoaded = 0;
    return p;
}

void WritePaint(ProfileFile& f, const std::string& s, const Paint& p)
{
    f.SetString(s, "Name", p.name);
    f.SetString(s, "Notes", p.notes);
    f.SetInt(s, "AOE Level", p.aoeLevel);
    f.SetInt(s, "Wash / Highlight", p.washHighlight);
    f.SetInt(s, "Colour Map", p.colourMap);
    f.SetInt(s, "Self Illumination Map", p.selfIllumMap);
    f.SetInt(s, "Bump Map", p.bumpMap);
    f.SetInt(s, "Shininess Map", p.shininessMap);
    f.SetInt(s, "Opacity Map", p.opacityMap);
    f.SetInt(s, "Special Paint No.", p.specialNumber);
    f.SetInt(s, "Bitmap Paint", p.bitmapPaint);
    f.SetInt(s, "Wetness", p.wetness);
    f.SetInt(s, "Dirtiness", p.dirtiness);
    f.SetInt(s, "Special A: ", p.specialA);
    f.SetInt(s, "Special B: ", p.specialB);
    if (p.bitmapPaint == 0)
        return;
    f.SetInt(s, "X Tiling", p.xTiling);
    f.SetInt(s, "Y Tiling", p.yTiling);
    f.SetInt(s, "Tile Sequence", p.tileSequence);
    for (const int i : kUseOrder)
        f.SetInt(s, kUseKeys[i], p.useImage[static_cast<std::size_t>(i)]);
    f.SetInt(s, "Alpha From Top Left", p.alphaFromTopLeft);
    for (const int i : kPathOrder)
        f.SetString(s, kPathKeys[i], p.paths[static_cast<std::size_t>(i)]);
}

} // namespace

// The fields the editor edits, compared to decide whether anything changed.
bool PaintTable::SameSettings(const Paint& a, const Paint& b) const
{
    return a.name == b.name && a.notes == b.notes && a.paths == b.paths && a.washHighlight == b.washHighlight &&
           a.aoeLevel == b.aoeLevel && a.colourMap == b.colourMap && a.selfIllumMap == b.selfIllumMap &&
           a.bumpMap == b.bumpMap && a.shininessMap == b.shininessMap && a.opacityMap == b.opacityMap &&
           a.specialNumber == b.specialNumber && a.bitmapPaint == b.bitmapPaint && a.wetness == b.wetness &&
           a.dirtiness == b.dirtiness && a.xTiling == b.xTiling && a.yTiling == b.yTiling &&
           a.tileSequence == b.tileSequence && a.useImage == b.useImage && a.alphaFromTopLeft == b.alphaFromTopLeft &&
           a.specialA == b.specialA && a.specialB == b.specialB;
}

PaintTable::PaintTable() : LibraryTable(DefaultPaint(), kWording) {}

bool PaintTable::Select(int index, Brush& brush, float bitmapScale, UserInteraction& ui)
{
    if (!LibraryTable::Select(index))
        return false;
    Paint& paint = current();
    if (paint.bitmapPaint) {
        if (!paint.imagesLoaded)
            paint.LoadImages(ui);
        paint.specialNumber = kBitmapPaintNumber;
        ApplyAutoSpacing(brush, paint, bitmapScale);
    }
    return true;
}

bool PaintTable::ReadLibrary(const std::filesystem::path& path)
{
    return ReadLibrary(ProfileFile::Load(path));
}

bool PaintTable::ReadLibrary(const ProfileFile& file)
{
    const int stored = file.GetInt("General", "PaintCount", -1);
    if (stored < 0)
        return false;
    const int n = std::min({stored, kMaxPaints - 1, kMaxPaints - count()});
    for (int i = 1; i <= n; ++i)
        entries_.push_back(ReadPaint(file, SectionName(i)));
    return true;
}

bool PaintTable::WriteLibrary(const std::filesystem::path& path) const
{
    if (count() < 2)
        return false;
    ProfileFile file = ProfileFile::Load(path);
    file.SetInt("General", "PaintCount", count() - 1);
    for (int i = 1; i < count(); ++i)
        WritePaint(file, SectionName(i), at(i));
    return file.Save(path);
}

void PaintTable::Overwrite(Paint& target, const Paint& edit, bool) const
{
    auto images = target.images;
    const std::uint8_t loaded = target.imagesLoaded;
    target = edit;
    target.images = std::move(images);
    target.imagesLoaded = loaded;
}

bool PaintTable::NewScratch(UserInteraction& ui)
{
    Paint scratch;
    scratch.aoeLevel = 128;
    scratch.specialA = 0;
    scratch.specialB = 0;
    return LibraryTable::NewScratch(std::move(scratch), ui);
}

} // namespace gessoria
