#pragma once
// What the About box shows: the scene's counts and the machine's memory in kilobytes.

#include <istream>
#include <string>
#include <vector>

namespace gessoria {

struct Scene;

struct AboutInfo {
    int objects = 0;
    int vertices = 0;
    int faces = 0;
    int materials = 0;
    long long freePhysicalKb = 0;
    long long totalPhysicalKb = 0;
    long long totalPageKb = 0;
    long long freePageKb = 0;

    // "Label: value" lines in the box's order, numbers printed as plain integers.
    std::vector<std::string> Lines() const;
};

// The memory figures from the text of /proc/meminfo (values in kB): free physical is
// MemAvailable where the kernel reports it, else MemFree; page space is swap.
void ReadMemoryFigures(std::istream& meminfo, AboutInfo& info);

// Counts of a loaded scene (zeros without one) and the memory the system reports.
AboutInfo GatherAboutInfo(const Scene& scene);

} // namespace gessoria
