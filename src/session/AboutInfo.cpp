#include "session/AboutInfo.h"

#include "scene/Scene.h"

#include <fstream>
#include <sstream>

namespace gessoria {

void ReadMemoryFigures(std::istream& meminfo, AboutInfo& info)
{
    long long available = -1, free = 0;
    std::string line;
    while (std::getline(meminfo, line)) {
        std::istringstream fields(line);
        std::string key;
        long long kb = 0;
        if (!(fields >> key >> kb))
            continue;
        if (key == "MemTotal:") info.totalPhysicalKb = kb;
        else if (key == "MemFree:") free = kb;
        else if (key == "MemAvailable:") available = kb;
        else if (key == "SwapTotal:") info.totalPageKb = kb;
        else if (key == "SwapFree:") info.freePageKb = kb;
    }
    // What programs can still have: MemAvailable counts the caches the kernel gives back;
    // kernels before 3.14 lack it.
    info.freePhysicalKb = available >= 0 ? available : free;
}

AboutInfo GatherAboutInfo(const Scene& scene)
{
    AboutInfo info;
    if (scene.loaded()) {
        info.objects = scene.objectCount;
        info.vertices = scene.vertexCount;
        info.faces = scene.faceCount;
        info.materials = scene.materialCount;
    }
    std::ifstream meminfo("/proc/meminfo");
    ReadMemoryFigures(meminfo, info);
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
