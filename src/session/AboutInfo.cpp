#include "session/AboutInfo.h"

#include "scene/Scene.h"

#include <sys/sysinfo.h>

namespace gessoria {

AboutInfo GatherAboutInfo(const Scene& scene)
{
    AboutInfo info;
    if (scene.loaded()) {
        info.objects = scene.objectCount;
        info.vertices = scene.vertexCount;
        info.faces = scene.faceCount;
        info.materials = scene.materialCount;
    }
    struct sysinfo memory {};
    if (sysinfo(&memory) == 0) {
        const auto unit = static_cast<long long>(memory.mem_unit);
        info.freePhysicalKb = static_cast<long long>(memory.freeram) * unit / 1024;
        info.totalPhysicalKb = static_cast<long long>(memory.totalram) * unit / 1024;
        info.totalPageKb = static_cast<long long>(memory.totalswap) * unit / 1024;
        info.freePageKb = static_cast<long long>(memory.freeswap) * unit / 1024;
    }
    return info;
}

std::vector<std::string> AboutInfo::Lines() const
{
    return {"Objects: " + std::to_string(objects),
            "Vertices: " + std::to_string(vertices),
            "Faces: " + std::to_string(faces),
            "Materials: " + std::to_string(materials),
            "Memory Usage (kB)",
            "Free physical: " + std::to_string(freePhysicalKb),
            "Total physical: " + std::to_string(totalPhysicalKb),
            "Total page: " + std::to_string(totalPageKb),
            "Free page: " + std::to_string(freePageKb)};
}

} // namespace gessoria
