// Saves that cannot be completed (a full file system, a file-size limit, a folder the user
// may not write) leave the earlier project loadable and byte for byte as it was, leave no
// staging files behind, and say why with the system's reason. A first save that fails takes
// away the folder it made. A save while another program saves the same project waits, then
// names that program.

#include "io/ProjectLock.h"
#include "support/ProjectFixture.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <map>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace gessoria::test {
namespace {

struct SaveOutcome {
    bool saved = false;
    std::string message;
    std::string reason;
};

struct ChildSave {
    pid_t pid = -1;
    int output = -1;
};

// Starts a save in a child process that first calls `limit` (a file-size limit, another user).
ChildSave StartSaveInChild(Session& session, const std::filesystem::path& path, const std::function<void()>& limit)
{
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        limit();
        RecordingInteraction ui;
        const bool saved = SaveSessionProject(session, path, ui).has_value();
        const std::string out = std::string(saved ? "1" : "0") + "\n" +
                                (ui.Dialogs().empty() ? std::string() : ui.Dialogs().back()) + "\n" + ui.LastReason();
        [[maybe_unused]] const ssize_t n = write(fds[1], out.data(), out.size());
        _exit(0);
    }
    close(fds[1]);
    return {child, fds[0]};
}

SaveOutcome FinishSaveInChild(const ChildSave& child)
{
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = read(child.output, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    close(child.output);
    int status = 0;
    waitpid(child.pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    SaveOutcome outcome;
    const auto first = text.find('\n'), second = text.find('\n', first + 1);
    if (first == std::string::npos || second == std::string::npos)
        return outcome;
    outcome.saved = text.substr(0, first) == "1";
    outcome.message = text.substr(first + 1, second - first - 1);
    outcome.reason = text.substr(second + 1);
    return outcome;
}

SaveOutcome SaveInChild(Session& session, const std::filesystem::path& path, const std::function<void()>& limit)
{
    return FinishSaveInChild(StartSaveInChild(session, path, limit));
}

// Every file of the directory with its bytes, hidden staging files included.
std::map<std::string, std::vector<std::uint8_t>> Contents(const std::filesystem::path& directory)
{
    std::map<std::string, std::vector<std::uint8_t>> contents;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        contents[entry.path().filename().string()] =
            entry.is_regular_file() ? ReadBytes(entry.path()) : std::vector<std::uint8_t>{};
    return contents;
}

void ExpectLoadsAs(const std::filesystem::path& file, const std::string& described)
{
    Session loaded;
    RecordingInteraction ui;
    ASSERT_TRUE(OpenSessionFile(loaded, file.string(), ui));
    EXPECT_TRUE(ui.Dialogs().empty());
    EXPECT_EQ(Describe(loaded), described);
}

struct TwoSessions {
    RecordingInteraction ui;
    Session small, large;
    TwoSessions()
    {
        FillPaintedSession(small, 32, 2, ui);
        FillPaintedSession(large, 192, 4, ui, 2);
    }
};

TEST(SaveFailure, FileSizeLimitKeepsTheEarlierProjectAndSaysWhy)
{
    const auto dir = FreshDirectory("save-limit");
    TwoSessions s;
    const auto file = SaveSessionProject(s.small, dir / "p.gsr", s.ui).value();
    const auto before = Contents(file.parent_path());

    const SaveOutcome outcome = SaveInChild(s.large, file, [] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64 * 1024, 64 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    EXPECT_FALSE(outcome.saved);
    EXPECT_EQ(outcome.message, "Error: Unable to save file " + file.string());
    EXPECT_EQ(outcome.reason, "File too large");
    EXPECT_EQ(Contents(file.parent_path()), before);  // no staging directory, no record
    ExpectLoadsAs(file, Describe(s.small));
}

TEST(SaveFailure, FullFileSystemKeepsTheEarlierProjectAndAFirstSaveLeavesNoFolder)
{
    const auto dir = FreshDirectory("save-full");
    const auto disk = dir / "disk";
    std::filesystem::create_directory(disk);
    if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here; the file-size limit test covers a short write";
    struct Unmount {
        std::filesystem::path at;
        ~Unmount() { umount(at.c_str()); }
    } unmount{disk};

    TwoSessions s;
    const auto file = SaveSessionProject(s.small, disk / "p.gsr", s.ui).value();
    const auto before = Contents(file.parent_path());
    RecordingInteraction ui;
    EXPECT_FALSE(SaveSessionProject(s.large, file, ui));
    EXPECT_EQ(ui.Dialogs().back(), "Error: Unable to save file " + file.string());
    EXPECT_EQ(ui.LastReason(), "No space left on device");
    EXPECT_EQ(Contents(file.parent_path()), before);
    ExpectLoadsAs(file, Describe(s.small));

    EXPECT_FALSE(SaveSessionProject(s.large, disk / "q.gsr", ui));
    EXPECT_EQ(ui.LastReason(), "No space left on device");
    EXPECT_FALSE(std::filesystem::exists(disk / "q.gsr"));
}

TEST(SaveFailure, ReadOnlyFolderKeepsTheProjectAndSaysPermissionDenied)
{
    const auto dir = FreshDirectory("save-readonly");
    TwoSessions s;
    const auto file = SaveSessionProject(s.small, dir / "p.gsr", s.ui).value();
    const auto before = Contents(file.parent_path());
    std::filesystem::permissions(file.parent_path(), std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
    std::filesystem::permissions(dir, std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
    // The administrator may write anywhere: the child saves as an ordinary user.
    const auto asUser = [] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
    };
    const SaveOutcome over = SaveInChild(s.large, file, asUser);
    const SaveOutcome first = SaveInChild(s.large, dir / "q.gsr", asUser);
    std::filesystem::permissions(dir, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    std::filesystem::permissions(file.parent_path(), std::filesystem::perms::owner_write, std::filesystem::perm_options::add);

    EXPECT_FALSE(over.saved);
    EXPECT_EQ(over.message, "Error: Unable to save file " + file.string());
    EXPECT_EQ(over.reason, "Permission denied");
    EXPECT_EQ(Contents(file.parent_path()), before);
    ExpectLoadsAs(file, Describe(s.small));
    EXPECT_FALSE(first.saved);
    EXPECT_EQ(first.reason, "Permission denied");
    EXPECT_FALSE(std::filesystem::exists(dir / "q.gsr"));
}

TEST(SaveFailure, ASecondSaveWaitsThenNamesTheProgramSaving)
{
    const auto dir = FreshDirectory("save-locked");
    TwoSessions s;
    const auto file = SaveSessionProject(s.small, dir / "p.gsr", s.ui).value();
    const auto before = Contents(file.parent_path());
    {
        ProjectLock held(file.parent_path(), "p.gsr");
        ASSERT_TRUE(held.Acquire(std::chrono::milliseconds(0)));
        RecordingInteraction ui;
        EXPECT_FALSE(SaveSessionProject(s.large, file, ui));
        EXPECT_EQ(ui.Dialogs().back(), "Error: Unable to save file " + file.string());
        EXPECT_EQ(ui.LastReason(), file.string() + " is being saved by another program (pid " + std::to_string(getpid()) + ")");
    }
    EXPECT_EQ(Contents(file.parent_path()), before);

    // Two programs making the same new project at once: one complete project, and each
    // either saved or was told who was saving.
    const auto fresh = dir / "q.gsr";
    const ChildSave first = StartSaveInChild(s.small, fresh, [] {});
    const ChildSave second = StartSaveInChild(s.large, fresh, [] {});
    const SaveOutcome outcomes[2] = {FinishSaveInChild(first), FinishSaveInChild(second)};
    for (const SaveOutcome& outcome : outcomes)
        EXPECT_TRUE(outcome.saved || outcome.reason.find(" is being saved by another program (pid ") != std::string::npos)
            << outcome.message << " / " << outcome.reason;
    ASSERT_TRUE(outcomes[0].saved || outcomes[1].saved);
    Session loaded;
    RecordingInteraction ui;
    ASSERT_TRUE(OpenSessionFile(loaded, fresh.string(), ui));
    EXPECT_TRUE(ui.Dialogs().empty());
    const std::string got = Describe(loaded);
    EXPECT_TRUE(got == Describe(s.small) || got == Describe(s.large));
}

} // namespace
} // namespace gessoria::test
