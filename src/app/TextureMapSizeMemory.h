#pragma once
// TextureMapSizeMemory: the "Texturemap Size" choices remembered per scene file.
//
// It stands between the open flow and the user while one scene file is opened. A choice made
// for a material of that file is kept in the preferences file's "Texturemap Size" section,
// keyed by the file's path, the material's name and the sizes of its maps (so a scene whose
// bitmaps changed size is asked about afresh). The next open presets the dialog with the
// choice; a choice made with "Use this choice for this scene from now on" is taken again
// without asking. Every other question goes on to the user unchanged.

#include "scene/ForwardingInteraction.h"

#include <filesystem>
#include <string>

namespace gessoria::app {

class TextureMapSizeMemory : public ForwardingInteraction {
public:
    static constexpr const char* kSection = "Texturemap Size";

    TextureMapSizeMemory(UserInteraction& user, std::filesystem::path iniPath, std::string scenePath);

    std::optional<TextureMapSizeAnswer> AskTextureMapSize(const TextureMapSizeRequest& request) override;

    // The key of a material's choice: path, material and map sizes.
    static std::string Key(const std::string& scenePath, const TextureMapSizeRequest& request);

private:
    std::filesystem::path iniPath_;
    std::string scenePath_;
};

} // namespace gessoria::app
