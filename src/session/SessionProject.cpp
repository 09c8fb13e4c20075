#include "session/SessionProject.h"

#include "io/ByteStream.h"
#include "io/SceneFileOpener.h"
#include "scene/Scene.h"
#include "session/Session.h"

#include <algorithm>

namespace gessoria {
namespace {

constexpr int kStoredMapPaths = MapPathList::kMaxPaths;
constexpr int kMaxRenderLevel = 4;

// The file stores paint images in this order; the Paint keeps them by BitmapPaintImage.
constexpr std::array<int, kBitmapPaintImageCount> kStoredPathOrder{kImageColour, kImageBump, kImageSelfIllum,
                                                                   kImageShininess, kImageOpacity, kImageAlpha};

void WriteBrush(const Brush& brush, ByteWriter& out)
{
    out.U8(static_cast<std::uint8_t>(brush.bump));
    for (const int value : {brush.dabCount, brush.dabSpacing, brush.xSpacing, brush.ySpacing, brush.autoRepeat,
                            brush.timeToFade, brush.rotation, brush.xSize, brush.ySize, brush.feathering,
                            brush.headType, brush.shape})
        out.I32(value);
    out.String(brush.name);
    out.String(brush.notes);
    out.Raw(brush.head);
}

Brush ReadBrush(ByteReader& in)
{
    Brush brush;
    brush.bump = in.U8();
    for (int* value : {&brush.dabCount, &brush.dabSpacing, &brush.xSpacing, &brush.ySpacing, &brush.autoRepeat,
                       &brush.timeToFade, &brush.rotation, &brush.xSize, &brush.ySize, &brush.feathering,
                       &brush.headType, &brush.shape})
        *value = in.I32();
    brush.name = in.String();
    brush.notes = in.String();
    const auto head = in.Raw(brush.head.size());
    std::copy(head.begin(), head.end(), brush.head.begin());
    return brush;
}

void WritePaint(const Paint& paint, ByteWriter& out)
{
    out.U8(paint.washHighlight);
    for (const int value : {paint.aoeLevel, paint.colourMap, paint.selfIllumMap, paint.bumpMap, paint.shininessMap,
                            paint.opacityMap, paint.specialNumber, paint.bitmapPaint, 0, paint.wetness, paint.dirtiness,
                            paint.xTiling, paint.yTiling, paint.tileSequence})
        out.I32(value);
    // Eight 4-byte flags; the images-loaded flag is stored clear, as every reader clears it.
    for (const std::uint8_t flag : paint.useImage) {
        out.U8(flag);
        out.Zeros(3);
    }
    out.U8(paint.alphaFromTopLeft);
    out.Zeros(3);
    out.Zeros(4);
    out.String(paint.name);
    out.String(paint.notes);
    for (const int image : kStoredPathOrder)
        out.String(paint.paths[static_cast<std::size_t>(image)]);
}

Paint ReadPaint(ByteReader& in)
{
    Paint paint;
    paint.washHighlight = in.U8();
    int reserved = 0;
    for (int* value : {&paint.aoeLevel, &paint.colourMap, &paint.selfIllumMap, &paint.bumpMap, &paint.shininessMap,
                       &paint.opacityMap, &paint.specialNumber, &paint.bitmapPaint, &reserved, &paint.wetness,
                       &paint.dirtiness, &paint.xTiling, &paint.yTiling, &paint.tileSequence})
        *value = in.I32();
    for (std::uint8_t& flag : paint.useImage) {
        flag = in.U8();
        in.Skip(3);
    }
    paint.alphaFromTopLeft = in.U8();
    in.Skip(3 + 4);
    paint.imagesLoaded = 0;
    paint.name = in.String();
    paint.notes = in.String();
    for (const int image : kStoredPathOrder)
        paint.paths[static_cast<std::size_t>(image)] = in.String();
    return paint;
}

bool KnownPaintTool(std::int32_t value)
{
    switch (static_cast<PaintTool>(value)) {
    case PaintTool::None:
    case PaintTool::Brush:
    case PaintTool::Fill:
    case PaintTool::Line:
    case PaintTool::TexturePaint:
    case PaintTool::Text:
    case PaintTool::Selection:
    case PaintTool::Eraser:
    case PaintTool::Sampler:
    case PaintTool::StylusEraser:
        return true;
    }
    return false;
}

} // namespace

ProjectWindowState SessionProjectSettings::WindowState() const
{
    ProjectWindowState window = session_.window;
    window.beepOnWarning = session_.preferences.beepOnWarning;
    return window;
}

void SessionProjectSettings::Write(const Scene& scene, ByteWriter& out) const
{
    const Preferences& p = session_.preferences;
    const CarriedProjectSettings& carried = session_.carried;
    // Display preferences; those kept as int are stored as their low byte where one byte fits.
    for (const int flag : {p.toolLock, p.dualLight, p.forceTwoSided, p.lockLight})
        out.U8(static_cast<std::uint8_t>(flag));
    const int pathCount = std::min(scene.mapPaths.count(), kStoredMapPaths);
    out.I32(pathCount);
    out.U8(static_cast<std::uint8_t>(p.stillRenderLevel));
    out.U8(static_cast<std::uint8_t>(p.moveRenderLevel));
    out.U8(static_cast<std::uint8_t>(p.fastDraw));
    out.I32(p.ambientLevel);
    out.I32(p.diffuseLevel);
    out.I32(carried.displaySetting);
    out.U8(p.autoUpdate);
    out.U8(p.backgroundColour);
    out.U8(p.iconCursors);
    out.U8(session_.maxOut.overwrite);
    out.String(session_.maxOut.prefix);
    for (int i = 0; i < kStoredMapPaths; ++i)
        out.String(i < pathCount ? scene.mapPaths.paths()[static_cast<std::size_t>(i)] : std::string());

    const PaintValues& v = session_.paintValues;
    out.I32(carried.paintingLead);
    out.U32(v.foreground);
    out.U32(v.background);
    for (const std::uint8_t value : {v.bump, v.selfIllum, v.opacity, v.shininess})
        out.I32(value);
    for (const std::int32_t value : carried.paintingValues)
        out.I32(value);
    out.I32(session_.brushes.count());
    out.I32(session_.paints.count());
    out.I32(static_cast<std::int32_t>(scene.paintTool));
    out.I32(carried.afterPaintTool);
    out.Raw(carried.paintingRecords);
    out.String(carried.paintingTextA);
    out.String(carried.paintingTextB);
    for (int i = 0; i < session_.brushes.count(); ++i)
        WriteBrush(session_.brushes.at(i), out);
    for (int i = 0; i < session_.paints.count(); ++i)
        WritePaint(session_.paints.at(i), out);
}

bool SessionProjectSettings::Read(ByteReader& in, Scene& attempt)
{
    Preferences& p = preferences_;
    p = session_.preferences;
    p.toolLock = in.U8();
    p.dualLight = in.U8();
    p.forceTwoSided = in.U8();
    p.lockLight = in.U8();
    const std::int32_t pathCount = in.I32();
    p.stillRenderLevel = in.I8();
    p.moveRenderLevel = in.I8();
    p.fastDraw = in.U8();
    p.ambientLevel = in.I32();
    p.diffuseLevel = in.I32();
    carried_.displaySetting = in.I32();
    p.autoUpdate = in.U8();
    p.backgroundColour = in.U8();
    p.iconCursors = in.U8();
    maxOut_.overwrite = in.U8();
    maxOut_.prefix = in.String();
    // A render level the renderer does not have cannot be right.
    if (pathCount < 0 || p.stillRenderLevel < 0 || p.stillRenderLevel > kMaxRenderLevel || p.moveRenderLevel < 0 ||
        p.moveRenderLevel > kMaxRenderLevel)
        return false;
    attempt.mapPaths.Clear();
    for (int i = 0; i < kStoredMapPaths; ++i) {
        std::string path = in.String();
        if (i < pathCount)
            attempt.mapPaths.Append(std::move(path));
    }

    carried_.paintingLead = in.I32();
    paintValues_.foreground = in.U32();
    paintValues_.background = in.U32();
    for (std::uint8_t* value : {&paintValues_.bump, &paintValues_.selfIllum, &paintValues_.opacity, &paintValues_.shininess})
        *value = static_cast<std::uint8_t>(in.I32());
    for (std::int32_t& value : carried_.paintingValues)
        value = in.I32();
    const std::int32_t brushCount = in.I32();
    const std::int32_t paintCount = in.I32();
    const std::int32_t tool = in.I32();
    carried_.afterPaintTool = in.I32();
    const auto records = in.Raw(carried_.paintingRecords.size());
    std::copy(records.begin(), records.end(), carried_.paintingRecords.begin());
    carried_.paintingTextA = in.String();
    carried_.paintingTextB = in.String();
    if (in.failed() || brushCount < 1 || brushCount > BrushTable::kMaxBrushes || paintCount < 1 ||
        paintCount > PaintTable::kMaxPaints || !KnownPaintTool(tool))
        return false;
    attempt.paintTool = static_cast<PaintTool>(tool);

    brushes_.clear();
    paints_.clear();
    for (std::int32_t i = 0; i < brushCount && !in.failed(); ++i)
        brushes_.push_back(ReadBrush(in));
    for (std::int32_t i = 0; i < paintCount && !in.failed(); ++i)
        paints_.push_back(ReadPaint(in));
    return !in.failed();
}

void SessionProjectSettings::Apply(const ProjectWindowState& window)
{
    preferences_.beepOnWarning = window.beepOnWarning;
    session_.preferences = preferences_;
    session_.paintValues = paintValues_;
    session_.carried = carried_;
    session_.maxOut = maxOut_;
    session_.window = window;
    session_.brushes.ReplaceEntries(std::move(brushes_));
    session_.paints.ReplaceEntries(std::move(paints_));
}

std::optional<std::filesystem::path> SaveSessionProject(Session& session, const std::filesystem::path& path,
                                                        UserInteraction& ui)
{
    const SessionProjectSettings settings(session);
    return SaveProject(session.scene, settings, path, ui);
}

bool OpenSessionFile(Session& session, const std::string& path, UserInteraction& ui)
{
    SessionProjectSettings settings(session);
    if (!OpenSceneFile(session.scene, path, ui, &settings))
        return false;
    session.preferences.useUndo = session.scene.undo.enabled ? 1 : 0;
    session.preferences.bufferSize = session.scene.undo.sizeMegabytes;
    return true;
}

} // namespace gessoria
