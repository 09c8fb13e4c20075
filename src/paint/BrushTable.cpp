#include "paint/BrushTable.h"

#include "io/ProfileFile.h"
#include "paint/Paint.h"
#include "scene/UserInteraction.h"

#include <algorithm>
#include <cmath>

namespace gessoria {
namespace {

constexpr TableWording kWording{
    "Brush", "A maximum of 100 Brushes are allowed, to add a new Brush, delete an existing one first.",
    "Can't create more than 100 brushes.  Sorry", "Do you really want to delete the current brush?",
    "Brush 0, the default brush, cannot be deleted."};

std::string SectionName(int i) { return "Brush_" + std::to_string(i); }

Brush ReadBrush(const ProfileFile& file, const std::string& section)
{
    Brush b;
    b.name = file.GetString(section, "Name", section, Brush::kMaxText);
    b.notes = file.GetString(section, "Notes", "", Brush::kMaxText);
    if (const auto head = file.GetStruct(section, "BrushHead", b.head.size()))
        std::copy(head->begin(), head->end(), b.head.begin());
    else
        b.head.fill(0);
    b.bump = file.GetInt(section, "Bump", 0);
    b.dabCount = file.GetInt(section, "NumberOfDabs", 0);
    b.dabSpacing = file.GetInt(section, "DabSpacing", 0);
    b.xSpacing = std::max(1, file.GetInt(section, "X Spacing", 0));
    b.ySpacing = std::max(1, file.GetInt(section, "Y Spacing", 0));
    b.autoRepeat = file.GetInt(section, "AutoRepeat", 0);
    b.timeToFade = file.GetInt(section, "TimeToFade", 0);
    b.rotation = file.GetInt(section, "Rotation", 0);
    b.xSize = file.GetInt(section, "X_Size", 10);
    b.ySize = file.GetInt(section, "Y_Size", 10);
    b.feathering = file.GetInt(section, "Feathering", 4);
    b.headType = file.GetInt(section, "Brush_Type", 1);
    b.shape = file.GetInt(section, "Brush_Shape", 1);
    return b;
}

void WriteBrush(ProfileFile& file, const std::string& section, const Brush& b)
{
    file.SetString(section, "Name", b.name);
    file.SetString(section, "Notes", b.notes);
    file.SetStruct(section, "BrushHead", b.head);
    file.SetInt(section, "Bump", b.bump);
    file.SetInt(section, "NumberOfDabs", b.dabCount);
    file.SetInt(section, "DabSpacing", b.dabSpacing);
    file.SetInt(section, "X Spacing", b.xSpacing);
    file.SetInt(section, "Y Spacing", b.ySpacing);
    file.SetInt(section, "AutoRepeat", b.autoRepeat);
    file.SetInt(section, "TimeToFade", b.timeToFade);
    file.SetInt(section, "Rotation", b.rotation);
    file.SetInt(section, "X_Size", b.xSize);
    file.SetInt(section, "Y_Size", b.ySize);
    file.SetInt(section, "Feathering", b.feathering);
    file.SetInt(section, "Brush_Type", b.headType);
    file.SetInt(section, "Brush_Shape", b.shape);
}

} // namespace

bool BrushTable::SameSettings(const Brush& a, const Brush& b) const
{
    return a.name == b.name && a.notes == b.notes && a.dabCount == b.dabCount && a.dabSpacing == b.dabSpacing &&
           a.xSpacing == b.xSpacing && a.ySpacing == b.ySpacing && a.rotation == b.rotation && a.xSize == b.xSize &&
           a.ySize == b.ySize && a.feathering == b.feathering && a.headType == b.headType && a.shape == b.shape;
}

BrushTable::BrushTable() : LibraryTable(DefaultBrush(), kWording) {}

bool BrushTable::Select(int index, Paint& currentPaint, float bitmapScale)
{
    if (!LibraryTable::Select(index))
        return false;
    ApplyAutoSpacing(current(), currentPaint, bitmapScale);
    return true;
}

bool BrushTable::ReadLibrary(const std::filesystem::path& path)
{
    return ReadLibrary(ProfileFile::Load(path));
}

bool BrushTable::ReadLibrary(const ProfileFile& file)
{
    const int stored = file.GetInt("General", "BrushCount", -1);
    if (stored < 0)
        return false;
    // The table keeps room for the default brush: at most 99 library brushes.
    const int n = std::min({stored, kMaxBrushes - 1, kMaxBrushes - count()});
    for (int i = 1; i <= n; ++i)
        entries_.push_back(ReadBrush(file, SectionName(i)));
    return true;
}

bool BrushTable::WriteLibrary(const std::filesystem::path& path) const
{
    if (count() < 2)
        return false;
    ProfileFile file = ProfileFile::Load(path);
    file.SetInt("General", "BrushCount", count() - 1);
    for (int i = 1; i < count(); ++i)
        WriteBrush(file, SectionName(i), at(i));
    return file.Save(path);
}

void BrushTable::Overwrite(Brush& target, const Brush& edit, bool headEdited) const
{
    const BrushHead keptHead = target.head;
    target = edit;
    if (edit.headType == static_cast<int>(HeadType::Defined))
        target.head = DefinedHead(target.xSize, target.ySize, target.rotation, target.feathering, target.shape);
    else if (!headEdited)
        target.head = keptHead;
}

bool BrushTable::NewScratch(UserInteraction& ui)
{
    Brush scratch;
    scratch.xSpacing = 0;
    scratch.ySpacing = 0;
    scratch.xSize = 20;
    scratch.ySize = 20;
    scratch.feathering = 15;
    scratch.head.fill(0);
    return LibraryTable::NewScratch(std::move(scratch), ui);
}

void ApplyAutoSpacing(Brush& brush, Paint& paint, float bitmapScale)
{
    if (brush.dabSpacing != static_cast<int>(DabSpacing::Auto) || !paint.bitmapPaint || !paint.imagesLoaded)
        return;
    const CDIB* key = paint.FirstLoadedImage();
    if (key == nullptr)
        return;
    if (paint.xTiling == 0)
        paint.xTiling = 1;
    if (paint.yTiling == 0)
        paint.yTiling = 1;
    const float scale = bitmapScale == 0.0f ? 1.0f : bitmapScale;
    // A spacing below one texel would stall the stroke's dab grid; keep at least 1.
    brush.xSpacing = std::max(1, static_cast<int>(std::trunc(static_cast<float>(key->width() / paint.xTiling) * scale)));
    brush.ySpacing = std::max(1, static_cast<int>(std::trunc(static_cast<float>(key->height() / paint.yTiling) * scale)));
}

} // namespace gessoria
