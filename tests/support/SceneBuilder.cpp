#include "support/SceneBuilder.h"

#include "scene/Compositing.h"

namespace gessoria::test {

Scene MakeScene(const std::vector<ObjectSpec>& objects, UserInteraction& ui)
{
    Scene scene;
    ResetScene(scene);
    scene.undo.enabled = false;
    scene.objectCount = static_cast<std::int32_t>(objects.size());
    for (const auto& o : objects) {
        scene.vertexCount += static_cast<std::int32_t>(o.positions.size() / 3);
        scene.faceCount += static_cast<std::int32_t>(o.faces.size() / 3);
    }
    AllocateScene(scene, false, ui);
    std::int32_t v = 0, f = 0;
    for (std::size_t k = 0; k < objects.size(); ++k) {
        const auto& o = objects[k];
        auto& object = scene.objects[k];
        object.firstVertex = v;
        object.firstFace = f;
        object.vertexCount = static_cast<std::int32_t>(o.positions.size() / 3);
        object.faceCount = static_cast<std::int32_t>(o.faces.size() / 3);
        for (std::int32_t i = 0; i < object.vertexCount; ++i) {
            scene.positionX[static_cast<std::size_t>(v + i)] = o.positions[static_cast<std::size_t>(i) * 3];
            scene.positionY[static_cast<std::size_t>(v + i)] = o.positions[static_cast<std::size_t>(i) * 3 + 1];
            scene.positionZ[static_cast<std::size_t>(v + i)] = o.positions[static_cast<std::size_t>(i) * 3 + 2];
        }
        for (std::int32_t j = 0; j < object.faceCount; ++j) {
            const auto at = static_cast<std::size_t>(j) * 3;
            const auto face = static_cast<std::size_t>(f + j);
            scene.faceVertexA[face] = o.faces[at] + v;
            scene.faceVertexB[face] = o.faces[at + 1] + v;
            scene.faceVertexC[face] = o.faces[at + 2] + v;
            scene.faceSmoothing[face] = o.smoothing.empty() ? 0 : o.smoothing[static_cast<std::size_t>(j)];
        }
        v += object.vertexCount;
        f += object.faceCount;
    }
    return scene;
}

Scene MakeScreenScene(const std::vector<std::array<int, 9>>& faces, int width, int height, UserInteraction& ui)
{
    ObjectSpec object;
    for (const auto& f : faces) {
        for (int k = 0; k < 3; ++k) {
            object.positions.push_back(static_cast<float>(f[static_cast<std::size_t>(3 * k)] - width / 2));
            object.positions.push_back(static_cast<float>(f[static_cast<std::size_t>(3 * k + 1)] - height / 2));
            object.positions.push_back(static_cast<float>(f[static_cast<std::size_t>(3 * k + 2)]));
        }
        const auto base = static_cast<std::int32_t>(object.faces.size());
        object.faces.insert(object.faces.end(), {base, base + 1, base + 2});
    }
    Scene s = MakeScene({object}, ui);
    s.camera.angleX = s.camera.angleY = s.camera.angleZ = 0;
    s.camera.scale = 1.0f;
    s.camera.depthScale = 1.0f;
    s.viewWidth = width;
    s.viewHeight = height;
    for (std::size_t f = 0; f < faces.size(); ++f) {
        s.faceNormalZ[f] = 1.0f;
        for (int k = 0; k < 3; ++k)
            s.cornerNormals[static_cast<std::size_t>(f)][static_cast<std::size_t>(3 * k + 2)] = 1.0f;
        s.faceFlags[f] = 7;
    }
    return s;
}

Scene MakePaintableSquare(int width, int height, int mapWidth, int mapHeight, std::uint8_t colour, std::uint8_t grey,
                          UserInteraction& ui)
{
    Scene s = MakeScreenScene({{0, 0, 5, 0, height, 5, width, 0, 5}, {width, 0, 5, 0, height, 5, width, height, 5}}, width,
                              height, ui);
    s.materialCount = 1;
    s.materials.resize(2);
    s.materials[1] = MakeLayeredMaterial(mapWidth, mapHeight, colour, colour, colour, grey);
    s.faceMaterial = {1, 1};
    MapSquares(s);
    return s;
}

void MapSquares(Scene& s)
{
    constexpr std::int32_t one = 65536;
    for (std::size_t f = 0; f < static_cast<std::size_t>(s.faceCount); ++f) {
        const bool first = f % 2 == 0;
        s.faceU0[f] = first ? 0 : one;
        s.faceV0[f] = 0;
        s.faceU1[f] = 0;
        s.faceV1[f] = one;
        s.faceU2[f] = one;
        s.faceV2[f] = first ? 0 : one;
    }
}

Material MakeLayeredMaterial(int width, int height, std::uint8_t blue, std::uint8_t green, std::uint8_t red,
                             std::uint8_t grey)
{
    Material m;
    m.mapWidth = width;
    m.mapHeight = height;
    m.hasLayers = 1;
    for (const MapType type : kAllMapTypes) {
        LayerStack& stack = m.stack(type);
        stack.layers.resize(2);
        const bool colour = IsColourType(type);
        for (auto& layer : stack.layers)
            colour ? layer.image.Create24(width, height) : layer.image.Create8(width, height);
        stack[1].alpha.Create8(width, height);
        stack[1].alpha.Fill(255);
        if (colour)
            stack[1].image.Fill24(blue, green, red);
        else
            stack[1].image.Fill(grey);
        stack[0].name = std::string(kRendererLayerName);
        stack[1].name = std::string(BaseLayerName(type));
        m.setCurrent(type, 1);
    }
    CompositeAll(m);
    return m;
}

} // namespace gessoria::test
