#include "scene/Material.h"

namespace gessoria {

void Material::ReleaseLayers()
{
    for (auto& stack : stacks)
        stack.Clear();
    for (auto& slot : mapSlots) {
        slot.map.ReleaseBitmap();
        slot.mask.ReleaseBitmap();
    }
    hasLayers = 0;
}

} // namespace gessoria
