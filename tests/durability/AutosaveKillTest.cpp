// Autosave against a killed program: a run paints, autosaves and is killed with SIGKILL; the
// next start offers the work, and Recover brings the paint back byte for byte as a changed,
// unnamed scene. While the first run lives, its work is not offered to anyone else.

#include "app/AppFixture.h"

#include "app/Autosaver.h"
#include "app/Recovery.h"
#include "session/RecoveryStore.h"
#include "support/ProjectFixture.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace gessoria::test {
namespace {

// The first run: paints on the sample, autosaves, writes what it painted beside the
// recovery folder, tells the parent and waits to be killed.
[[noreturn]] void PaintAutosaveAndWait(const std::filesystem::path& painted, int ready)
{
    int argc = 1;
    char name[] = "first-run";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    AppFixture f;
    app::Autosaver autosaver(f.workspace.session, f.ui, [] { return QString(); });
    if (!autosaver.Start(RecoveryDirectory(), std::chrono::milliseconds(0)) || !f.OpenSample())
        _exit(2);
    const QPoint at = f.PointOnObject();
    f.Drag({at, at + QPoint(24, 0)});
    autosaver.AutosaveNow();
    while (autosaver.busy())
        QTest::qWait(20);
    if (autosaver.writtenCount() != f.workspace.session.changes.count())
        _exit(3);
    const auto bytes = f.ColourLayerBytes(f.MaterialAt(at));
    std::ofstream(painted, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    const char one = static_cast<char>(f.MaterialAt(at));
    [[maybe_unused]] const ssize_t n = write(ready, &one, 1);
    for (;;)
        pause();
}

TEST(AutosaveKill, AKilledRunsWorkIsOfferedAndRecoveredByteForByte)
{
    const auto dir = FreshDirectory("autosave-kill");
    setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const auto painted = dir / "painted.bin";
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t first = fork();
    if (first == 0) {
        close(fds[0]);
        PaintAutosaveAndWait(painted, fds[1]);
    }
    close(fds[1]);
    char material = -1;
    const bool ready = read(fds[0], &material, 1) == 1;
    close(fds[0]);
    // Alive, the first run keeps its work to itself.
    EXPECT_TRUE(FindRecoverableWork(RecoveryDirectory()).empty());
    kill(first, SIGKILL);
    int status = 0;
    waitpid(first, &status, 0);
    ASSERT_TRUE(ready) << "the first run ended with status " << WEXITSTATUS(status) << " before autosaving";
    ASSERT_TRUE(WIFSIGNALED(status));
    const auto firstFolder = RecoveryDirectory() / std::to_string(first);
    ASSERT_TRUE(std::filesystem::exists(firstFolder / "recovery.gsr" / "recovery.gsr"));

    int argc = 1;
    char name[] = "second-run";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    AppFixture g;
    app::Autosaver autosaver(g.workspace.session, g.ui, [] { return QString(); });
    ASSERT_TRUE(autosaver.Start(RecoveryDirectory(), std::chrono::milliseconds(0)));
    QObject::connect(g.window.get(), &app::MainWindow::saved, &autosaver, &app::Autosaver::DocumentSaved);
    // Later leaves the work where it is; Recover opens it.
    EXPECT_FALSE(app::OfferRecovery(*g.window, autosaver, g.ui, RecoveryDirectory()));
    ASSERT_EQ(g.ui.Dialogs().size(), 1u);
    EXPECT_TRUE(g.ui.Dialogs().front().starts_with("Gessoria did not close normally. Recover the work from "));
    g.ui.choices = {0};
    ASSERT_TRUE(app::OfferRecovery(*g.window, autosaver, g.ui, RecoveryDirectory()));
    EXPECT_EQ(g.window->windowTitle(), QString("Untitled* - Gessoria"));
    EXPECT_TRUE(g.window->projectPath().isEmpty());
    EXPECT_EQ(g.ColourLayerBytes(material), ReadBytes(painted));

    // Saved by this run, the first run's folder goes.
    ASSERT_TRUE(g.window->SaveTo(QString::fromStdString((dir / "saved.gsr").string())));
    EXPECT_FALSE(std::filesystem::exists(firstFolder));
    autosaver.Finish();
    EXPECT_TRUE(std::filesystem::is_empty(RecoveryDirectory()));
}

} // namespace
} // namespace gessoria::test
