#pragma once
// Registers the program's compiled-in resources (icons, starter library). They live in a
// static library, whose unreferenced registration the linker would otherwise drop.

namespace gessoria::app {

void InitResources();

} // namespace gessoria::app
