#include "app/TextureMapSizeMemory.h"

#include "io/ProfileFile.h"

#include <sstream>
#include <utility>

namespace gessoria::app {
namespace {

constexpr std::size_t kValueBuffer = 256;

// "X Y f0 f1 f2 f3 f4 keep": the size, each map type's fitting by storage order (0 Scale,
// 1 Tile, 2 Decal) and whether to ask again.
std::string Written(const TextureMapSizeAnswer& answer)
{
    std::ostringstream out;
    out << answer.x << ' ' << answer.y;
    for (const MapFitting f : answer.fitting)
        out << ' ' << static_cast<int>(f);
    out << ' ' << (answer.keep ? 1 : 0);
    return out.str();
}

std::optional<TextureMapSizeAnswer> Read(const std::string& value)
{
    std::istringstream in(value);
    TextureMapSizeAnswer answer;
    int keep = 0;
    if (!(in >> answer.x >> answer.y) || answer.x < 1 || answer.y < 1)
        return std::nullopt;
    for (MapFitting& f : answer.fitting) {
        int fitting = 0;
        if (!(in >> fitting) || fitting < 0 || fitting > 2)
            return std::nullopt;
        f = static_cast<MapFitting>(fitting);
    }
    if (!(in >> keep))
        return std::nullopt;
    answer.keep = keep != 0;
    return answer;
}

} // namespace

TextureMapSizeMemory::TextureMapSizeMemory(UserInteraction& user, std::filesystem::path iniPath, std::string scenePath)
    : ForwardingInteraction(user), iniPath_(std::move(iniPath)), scenePath_(std::move(scenePath))
{
}

std::string TextureMapSizeMemory::Key(const std::string& scenePath, const TextureMapSizeRequest& request)
{
    std::string key = scenePath + "|" + request.materialName + "|";
    for (std::size_t i = 0; i < request.maps.size(); ++i)
        key += (i == 0 ? "" : ",") + std::to_string(request.maps[i].width) + "x" + std::to_string(request.maps[i].height);
    // "=" would end the key of its line.
    std::string safe;
    for (const char c : key)
        safe += c == '=' ? std::string("%3D") : std::string(1, c);
    return safe;
}

std::optional<TextureMapSizeAnswer> TextureMapSizeMemory::AskTextureMapSize(const TextureMapSizeRequest& request)
{
    const std::string key = Key(scenePath_, request);
    ProfileFile ini = ProfileFile::Load(iniPath_);
    const std::optional<TextureMapSizeAnswer> kept = Read(ini.GetString(kSection, key, "", kValueBuffer));
    if (kept && kept->keep)
        return kept;
    TextureMapSizeRequest preset = request;
    if (kept) {
        preset.x = kept->x;
        preset.y = kept->y;
        preset.fitting = kept->fitting;
    }
    const std::optional<TextureMapSizeAnswer> answer = inner_.AskTextureMapSize(preset);
    if (answer) {
        ini.SetString(kSection, key, Written(*answer));
        ini.Save(iniPath_);
    }
    return answer;
}

} // namespace gessoria::app
