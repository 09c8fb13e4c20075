#include "support/ProjectFixture.h"

#include "io/ProjectFile.h"
#include "scene/Compositing.h"
#include "scene/LayerOperations.h"
#include "support/SceneBuilder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

namespace gessoria::test {
namespace {

// A pattern that differs per material, type, layer and pixel, so a layer read from the
// wrong file or with its rows swapped shows.
void Paint(CDIB& bitmap, int seed)
{
    for (int y = 0; y < bitmap.height(); ++y) {
        std::uint8_t* row = bitmap.row(y);
        for (int x = 0; x < bitmap.width() * bitmap.bytesPerPixel(); ++x)
            row[x] = static_cast<std::uint8_t>(seed * 37 + x * 3 + y * 11);
    }
}

std::uint32_t Hash(const CDIB& bitmap)
{
    std::uint32_t h = 2166136261u;
    for (const std::uint8_t b : bitmap.bits())
        h = (h ^ b) * 16777619u;
    return h;
}

} // namespace

void FillPaintedSession(Session& session, int mapSize, int colourLayers, RecordingInteraction& ui, int materials)
{
    Scene& scene = session.scene;
    scene = MakePaintableSquare(40, 30, mapSize, mapSize, 90, 60, ui);
    scene.materialCount = materials;
    scene.materials.resize(static_cast<std::size_t>(materials) + 1);
    scene.materials[0].name = "Default";
    scene.materials[0].colour = 0xFFFFFF;
    for (int m = 1; m <= materials; ++m) {
        Material& material = scene.materials[static_cast<std::size_t>(m)];
        if (m > 1)
            material = MakeLayeredMaterial(mapSize, mapSize, 10, 20, 30, 40);
        material.name = "Mat" + std::to_string(m);
        material.colour = 0x123456 * m;
        material.shininess = 0x1234;
        material.transparency = 7;
        material.selfIllumPercent = 9;
        material.mapSlots[kSlotTexture1].map.fileName = "SKIN.PNG";
        material.mapSlots[kSlotTexture1].map.uScale = 2.5f;
        material.mapSlots[kSlotTexture1].map.loaded = 1;
        material.mapSlots[kSlotBump].mask.fileName = "BUMPMASK.BMP";
        material.mapSlots[kSlotBump].mask.tiling = MapTiling::Decal;
        for (const MapType type : kAllMapTypes) {
            const int wanted = type == MapType::Colour ? colourLayers : 3;
            while (material.stack(type).count() < wanted) {
                ui.texts.push_back(std::string("Layer ") + std::to_string(material.stack(type).count()));
                NewLayer(material, type, ui);
            }
            LayerStack& stack = material.stack(type);
            for (int k = 1; k < stack.count(); ++k) {
                Paint(stack[k].image, m * 100 + StorageIndex(type) * 20 + k);
                Paint(stack[k].alpha, m * 100 + StorageIndex(type) * 20 + k + 7);
            }
        }
        material.setCurrent(MapType::Bump, 2);
        CompositeAll(material);
    }
    scene.faceMaterial = {1, static_cast<std::int16_t>(materials)};
    scene.objects[0].name = "Square";
    scene.objects[0].flags = kObjectHasMapping | kObjectFrozen;
    scene.faceSmoothing = {3, 0x80000001u};
    scene.faceFlags = {7, 0x8005};
    scene.cornerNormals[1][4] = -0.25f;
    scene.camera.angleX = 100;
    scene.camera.lightC = -3;
    scene.camera.panX = 1.5f;
    scene.camera.scale = 0.75f;
    scene.sceneScale = scene.camera.depthScale = 3.25f;
    scene.positionTool = 4;
    scene.wireAcceleration = 7;
    scene.bookmarks.ResetToStandardViews(scene.camera);
    scene.mapPaths.Clear();
    scene.mapPaths.Append("/maps/one");
    scene.mapPaths.Append(std::string(300, 'p'));
    scene.mapPaths.Append("/maps/three");
    scene.undo = {true, 2};
    scene.paintTool = PaintTool::Eraser;

    session.preferences.toolLock = 1;
    session.preferences.stillRenderLevel = 2;
    session.preferences.ambientLevel = 4000;
    session.preferences.backgroundColour = 33;
    session.preferences.beepOnWarning = 0;
    session.paintValues.foreground = 0x80112233u;
    session.paintValues.opacity = 99;
    session.window.frameRect = {10, 20, 810, 620};
    session.window.paintWizard = 1;
    session.window.cursorId = 158;
    session.maxOut.prefix = "kept";
    session.carried.paintingRecords[71] = 5;

    Brush brush = DefaultBrush();
    brush.name = "Soft";
    brush.notes = std::string(400, 'n');
    brush.head[960] = 17;
    brush.feathering = 12;
    session.brushes.Append(brush);
    ::gessoria::Paint paint = DefaultPaint();
    paint.name = "Tiles";
    paint.bitmapPaint = 1;
    paint.paths[kImageShininess] = "shine.bmp";
    paint.paths[kImageOpacity] = "opacity.bmp";
    paint.useImage[kImageAlpha] = 1;
    paint.xTiling = 3;
    session.paints.Append(paint);
}

std::string Describe(const Session& session)
{
    std::ostringstream out;
    const Scene& s = session.scene;
    out << s.objectCount << ' ' << s.vertexCount << ' ' << s.faceCount << ' ' << s.materialCount << '\n';
    const Camera& c = s.camera;
    out << c.angleX << ' ' << c.angleY << ' ' << c.angleZ << ' ' << c.lightB << ' ' << c.lightA << ' ' << c.lightC << ' '
        << c.panX << ' ' << c.panY << ' ' << c.scale << ' ' << c.depthScale << ' ' << s.sceneScale << ' '
        << int(s.positionTool) << ' ' << int(s.wireAcceleration) << ' ' << s.undo.enabled << ' ' << s.undo.sizeMegabytes
        << ' ' << int(s.paintTool) << '\n';
    for (const auto& b : s.bookmarks.entries())
        out << b.name << ' ' << b.camera.angleX << ' ' << b.camera.lightA << ' ' << b.camera.scale << '\n';
    for (const auto& p : s.mapPaths.paths())
        out << "path " << p << '\n';
    for (const auto& o : s.objects)
        out << o.name << ' ' << o.vertexCount << ' ' << o.faceCount << ' ' << int(o.flags) << '\n';
    for (std::size_t f = 0; f < s.faceMaterial.size(); ++f) {
        out << s.faceVertexA[f] << ' ' << s.faceVertexB[f] << ' ' << s.faceVertexC[f] << ' ' << s.faceU0[f] << ' '
            << s.faceV2[f] << ' ' << s.faceNormalZ[f] << ' ' << s.faceFlags[f] << ' ' << s.faceSmoothing[f] << ' '
            << s.faceMaterial[f];
        for (const float n : s.cornerNormals[f])
            out << ' ' << n;
        out << '\n';
    }
    for (std::size_t v = 0; v < s.positionX.size(); ++v)
        out << s.positionX[v] << ' ' << s.positionY[v] << ' ' << s.positionZ[v] << '\n';
    for (const Material& m : s.materials) {
        out << m.name << ' ' << m.colour << ' ' << m.shininess << ' ' << int(m.transparency) << ' '
            << int(m.selfIllumPercent) << ' ' << m.mapWidth << 'x' << m.mapHeight << ' ' << int(m.hasLayers) << ' '
            << int(m.currentLayerOnly) << '\n';
        for (const MapSlot& slot : m.mapSlots)
            for (const MapRef* r : {&slot.map, &slot.mask})
                out << ' ' << r->fileName << ':' << int(r->tiling) << ':' << r->uScale << ':' << int(r->loaded);
        out << '\n';
        for (const MapType type : kAllMapTypes) {
            out << " type " << StorageIndex(type) << " current " << m.current(type) << ':';
            for (const Layer& layer : m.stack(type).layers)
                out << ' ' << layer.name << '/' << Hash(layer.image) << '/' << Hash(layer.alpha);
            out << '\n';
        }
    }
    const Preferences& p = session.preferences;
    out << p.toolLock << p.dualLight << p.forceTwoSided << p.lockLight << ' ' << int(p.stillRenderLevel) << ' '
        << int(p.moveRenderLevel) << ' ' << p.fastDraw << ' ' << p.ambientLevel << ' ' << p.diffuseLevel << ' '
        << int(p.autoUpdate) << ' ' << int(p.backgroundColour) << ' ' << int(p.iconCursors) << ' ' << p.beepOnWarning
        << '\n';
    const PaintValues& v = session.paintValues;
    out << v.foreground << ' ' << v.background << ' ' << int(v.bump) << int(v.selfIllum) << int(v.opacity)
        << int(v.shininess) << '\n';
    for (const auto edge : session.window.frameRect)
        out << edge << ' ';
    out << int(session.window.paintWizard) << ' ' << session.window.cursorId << ' ' << session.maxOut.prefix
        << int(session.carried.paintingRecords[71]) << '\n';
    for (int i = 0; i < session.brushes.count(); ++i) {
        const Brush& b = session.brushes.at(i);
        out << b.name << ' ' << b.notes.size() << ' ' << b.feathering << ' ' << int(b.head[960]) << ' ' << int(b.head[480]) << '\n';
    }
    for (int i = 0; i < session.paints.count(); ++i) {
        const auto& p2 = session.paints.at(i);
        out << p2.name << ' ' << p2.bitmapPaint << ' ' << p2.xTiling << ' ' << int(p2.useImage[kImageAlpha]);
        for (const auto& path : p2.paths)
            out << ' ' << path;
        out << '\n';
    }
    return out.str();
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void PutI32(std::vector<std::uint8_t>& bytes, std::size_t at, std::int32_t value)
{
    for (int b = 0; b < 4; ++b)
        bytes[at + static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * b));
}

void FixChecksums(std::vector<std::uint8_t>& bytes)
{
    const auto header = ChecksumOf(std::span(bytes).first(140));
    PutI32(bytes, 140, static_cast<std::int32_t>(header.sum));
    PutI32(bytes, 144, static_cast<std::int32_t>(header.xorValue));
    const auto whole = ChecksumOf(std::span(bytes).first(bytes.size() - 8));
    PutI32(bytes, bytes.size() - 8, static_cast<std::int32_t>(whole.sum));
    PutI32(bytes, bytes.size() - 4, static_cast<std::int32_t>(whole.xorValue));
}

ProjectOffsets OffsetsFor(int objects, int materials, int vertices, int faces)
{
    ProjectOffsets o{};
    o.objects = 148;
    o.materials = o.objects + static_cast<std::size_t>(objects) * 36;
    const std::size_t arrays = o.materials + static_cast<std::size_t>(materials + 1) * 627;
    const auto f = static_cast<std::size_t>(faces);
    o.faceVertexA = arrays + f * 24 + static_cast<std::size_t>(vertices) * 12 + f * 12;
    o.faceMaterial = o.faceVertexA + f * (12 + 36 + 2 + 4);
    return o;
}

} // namespace gessoria::test
