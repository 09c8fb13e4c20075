#pragma once
// Whether the program reads and writes Gessoria project files (.gsr) yet. Open offers them,
// and Save and Save As are enabled, only when it does.

namespace gessoria::app {

constexpr bool ProjectFilesAvailable()
{
    return true;
}

} // namespace gessoria::app
