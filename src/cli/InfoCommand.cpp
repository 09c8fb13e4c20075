#include "cli/InfoCommand.h"

#include "cli/CliInteraction.h"
#include "cli/JsonWriter.h"
#include "cli/SceneLoading.h"

#include <cstdio>

namespace gessoria::cli {
namespace {

struct InfoOptions {
    std::string path;
    std::vector<std::string> mapPaths;
    bool json = false;
    bool detail = false;
};

constexpr const char* kUsage = "usage: gessoria-cli info PATH [--map-path DIR]... [--json] [--detail]\n";

bool ParseOptions(const std::vector<std::string>& args, InfoOptions& options, std::ostream& err)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--json") {
            options.json = true;
        } else if (arg == "--detail") {
            options.detail = true;
        } else if (arg == "--map-path") {
            if (i + 1 >= args.size()) {
                err << "--map-path needs a directory\n" << kUsage;
                return false;
            }
            options.mapPaths.push_back(args[++i]);
        } else if (arg.starts_with("--")) {
            err << "unknown option " << arg << '\n' << kUsage;
            return false;
        } else if (options.path.empty()) {
            options.path = arg;
        } else {
            err << "only one scene file can be opened\n" << kUsage;
            return false;
        }
    }
    if (options.path.empty()) {
        err << kUsage;
        return false;
    }
    return true;
}

const char* MapTypeName(MapType type)
{
    switch (type) {
    case MapType::Colour: return "Colour";
    case MapType::Bump: return "Bump";
    case MapType::Opacity: return "Opacity";
    case MapType::SelfIllum: return "SelfIllum";
    case MapType::Shininess: return "Shininess";
    }
    return "";
}

void WriteMapRef(JsonWriter& json, const MapRef& ref)
{
    json.BeginObject();
    json.Field("fileName", ref.fileName);
    json.Field("tiling", static_cast<std::uint8_t>(ref.tiling));
    json.Field("mirror", ref.mirror);
    json.Field("negative", ref.negative);
    json.Field("uScale", ref.uScale);
    json.Field("vScale", ref.vScale);
    json.Field("uOffset", ref.uOffset);
    json.Field("vOffset", ref.vOffset);
    json.Field("rotation", ref.rotation);
    json.Field("loaded", ref.loaded);
    json.EndObject();
}

void WriteMaterial(JsonWriter& json, const Material& m)
{
    json.BeginObject();
    json.Field("name", m.name);
    json.Field("colour", m.colour);
    // The packed word: high byte shininess, low byte strength.
    json.Field("shininess", static_cast<std::uint16_t>(m.shininess));
    json.Field("transparency", m.transparency);
    json.Field("selfIllumPercent", m.selfIllumPercent);
    json.Field("shading", m.shading);
    json.Field("twoSided", m.twoSided);
    json.Field("selfIllum", m.selfIllum);
    json.Field("hasLayers", m.hasLayers);
    json.Field("mapWidth", m.mapWidth);
    json.Field("mapHeight", m.mapHeight);
    json.Key("layerCounts");
    json.BeginArray();
    for (const auto& stack : m.stacks)
        json.Int(stack.count());
    json.EndArray();
    json.Key("maps");
    json.BeginArray();
    for (const MapSlot& slot : m.mapSlots) {
        json.BeginObject();
        json.Key("map");
        WriteMapRef(json, slot.map);
        json.Key("mask");
        WriteMapRef(json, slot.mask);
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
}

void WriteDetail(JsonWriter& json, const Scene& scene)
{
    json.Key("positions");
    json.BeginArray();
    for (std::int32_t v = 0; v < scene.vertexCount; ++v) {
        json.BeginArray();
        json.Float(scene.positionX[v]);
        json.Float(scene.positionY[v]);
        json.Float(scene.positionZ[v]);
        json.EndArray();
    }
    json.EndArray();
    json.Key("faces");
    json.BeginArray();
    for (std::int32_t f = 0; f < scene.faceCount; ++f) {
        json.BeginObject();
        json.Key("vertices");
        json.BeginArray();
        json.Int(scene.faceVertexA[f]);
        json.Int(scene.faceVertexB[f]);
        json.Int(scene.faceVertexC[f]);
        json.EndArray();
        json.Key("uv");
        json.BeginArray();
        for (const auto* uv : {&scene.faceU0, &scene.faceV0, &scene.faceU1, &scene.faceV1, &scene.faceU2, &scene.faceV2})
            json.Int((*uv)[f]);
        json.EndArray();
        json.Field("flags", scene.faceFlags[f]);
        json.Field("smoothing", scene.faceSmoothing[f]);
        json.Field("material", scene.faceMaterial[f]);
        json.Key("faceNormal");
        json.BeginArray();
        json.Float(scene.faceNormalX[f]);
        json.Float(scene.faceNormalY[f]);
        json.Float(scene.faceNormalZ[f]);
        json.EndArray();
        json.Key("cornerNormals");
        json.BeginArray();
        for (const float value : scene.cornerNormals[f])
            json.Float(value);
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();
}

void WriteJson(std::ostream& out, const Scene& scene, bool detail)
{
    JsonWriter json(out);
    json.BeginObject();
    json.Field("objectCount", scene.objectCount);
    json.Field("vertexCount", scene.vertexCount);
    json.Field("faceCount", scene.faceCount);
    json.Field("materialCount", scene.materialCount);
    json.Field("sceneScale", scene.sceneScale);
    json.Key("objects");
    json.BeginArray();
    for (const SceneObject& o : scene.objects) {
        json.BeginObject();
        json.Field("name", o.name);
        json.Field("vertexCount", o.vertexCount);
        json.Field("faceCount", o.faceCount);
        json.Field("firstFace", o.firstFace);
        json.Field("firstVertex", o.firstVertex);
        json.Field("flags", o.flags);
        json.EndObject();
    }
    json.EndArray();
    json.Key("materials");
    json.BeginArray();
    for (const Material& m : scene.materials)
        WriteMaterial(json, m);
    json.EndArray();
    if (detail)
        WriteDetail(json, scene);
    json.EndObject();
    out << '\n';
}

void WriteText(std::ostream& out, const std::string& path, const Scene& scene)
{
    char colour[16];
    out << path << '\n'
        << "  objects " << scene.objectCount << ", vertices " << scene.vertexCount << ", faces " << scene.faceCount
        << ", materials " << scene.materialCount << ", scene scale " << scene.sceneScale << '\n';
    for (std::size_t k = 0; k < scene.objects.size(); ++k) {
        const SceneObject& o = scene.objects[k];
        out << "  object " << k << " \"" << o.name << "\": " << o.vertexCount << " vertices from " << o.firstVertex
            << ", " << o.faceCount << " faces from " << o.firstFace;
        if (o.flags & kObjectHidden)
            out << ", hidden";
        if (o.flags & kObjectHasMapping)
            out << ", mapped";
        out << '\n';
    }
    for (std::size_t i = 0; i < scene.materials.size(); ++i) {
        const Material& m = scene.materials[i];
        std::snprintf(colour, sizeof colour, "#%06X", static_cast<unsigned>(m.colour) & 0xFFFFFFu);
        out << "  material " << i << " \"" << m.name << "\": colour " << colour;
        if (m.hasLayers) {
            out << ", maps " << m.mapWidth << " x " << m.mapHeight << ", layers";
            for (const MapType type : kAllMapTypes)
                out << ' ' << MapTypeName(type) << ' ' << m.stack(type).count();
        } else {
            out << ", no layers";
        }
        out << '\n';
        for (int slot = 0; slot < kMapSlotCount; ++slot) {
            const MapSlot& s = m.mapSlots[static_cast<std::size_t>(slot)];
            for (const MapRef* ref : {&s.map, &s.mask})
                if (!ref->fileName.empty())
                    out << "    slot " << slot << (ref == &s.mask ? " mask " : " map ") << ref->fileName
                        << (ref->loaded ? " (loaded)" : " (not loaded)") << '\n';
        }
    }
}

} // namespace

int RunInfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    InfoOptions options;
    if (!ParseOptions(args, options, err))
        return 2;

    CliInteraction ui(err);
    Session session;
    const Scene& scene = session.scene;
    if (!OpenSceneForCli(session, options.path, options.mapPaths, ui, err))
        return 1;
    if (options.json)
        WriteJson(out, scene, options.detail);
    else
        WriteText(out, options.path, scene);
    return 0;
}

} // namespace gessoria::cli
