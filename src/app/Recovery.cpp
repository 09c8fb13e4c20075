#include "app/Recovery.h"

#include "app/Autosaver.h"
#include "app/MainWindow.h"
#include "scene/UserInteraction.h"
#include "session/RecoveryStore.h"

namespace gessoria::app {

bool OfferRecovery(MainWindow& window, Autosaver& autosaver, UserInteraction& ui, const std::filesystem::path& root)
{
    enum Answer : std::size_t { kRecover, kDiscard, kLater };
    for (RecoverableWork& work : FindRecoverableWork(root)) {
        const std::size_t answer =
            ui.AskChoice("Gessoria did not close normally. Recover the work from " + work.SavedAtText() + "?",
                         UserInteraction::kDefaultTitle, {"Recover", "Discard", "Later"});
        if (answer == kDiscard) {
            work.Discard();
            continue;
        }
        if (answer != kRecover)
            continue;
        if (!window.OpenRecovered(QString::fromStdString(work.ProjectPath().string()),
                                  QString::fromStdString(work.origin())))
            continue;  // the open said why; the work stays for another try
        autosaver.Adopt(std::move(work));
        return true;
    }
    return false;
}

} // namespace gessoria::app
