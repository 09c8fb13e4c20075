#pragma once
// Recovery at start-up: work left by runs that did not end normally (see RecoveryStore) is
// offered, newest first, with "Gessoria did not close normally. Recover the work from
// TIME?" and Recover (the default) / Discard / Later. Recover opens the work as a changed
// scene without a name and hands its folder to the autosaver (removed once this run holds
// the work on disk); Discard removes it; Later leaves it for the next start. At most one
// piece of work is recovered a start; the rest waits.

#include <filesystem>

namespace gessoria {
class UserInteraction;
}

namespace gessoria::app {

class Autosaver;
class MainWindow;

// True when work was recovered into the window.
bool OfferRecovery(MainWindow& window, Autosaver& autosaver, UserInteraction& ui, const std::filesystem::path& root);

} // namespace gessoria::app
