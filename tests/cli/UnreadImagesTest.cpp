// gessoria-cli and layer images that could not be read: the command refuses (status 1,
// nothing written) unless --allow-missing, and then keeps the unread files as they are. Run
// under address-space limits from too little to enough, converting a project onto itself
// either fails with status 1 or keeps every image byte for byte, and never hangs or aborts.

#include "CliRun.h"
#include "support/ProjectFixture.h"

#include <map>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace gessoria::test {
namespace {

// The project's own files with their bytes.
std::map<std::string, std::vector<std::uint8_t>> Contents(const std::filesystem::path& directory)
{
    std::map<std::string, std::vector<std::uint8_t>> contents;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        if (!entry.path().filename().string().starts_with("."))
            contents[entry.path().filename().string()] =
                entry.is_regular_file() ? ReadBytes(entry.path()) : std::vector<std::uint8_t>{};
    return contents;
}

std::filesystem::path SavedProject(const std::string& name, int mapSize)
{
    RecordingInteraction ui;
    Session session;
    FillPaintedSession(session, mapSize, 4, ui, 2);
    return SaveSessionProject(session, FreshDirectory(name) / "p.gsr", ui).value();
}

// How one run under a limit ended.
struct LimitedRun {
    bool exited = false;
    int status = -1;  // the exit status, or the signal that ended the run
    bool hung = false;
    std::string messages;  // what it wrote to the standard error
};

// gessoria-cli with `arguments` in a child whose address space is limited to `megabytes`;
// a run still going after `seconds` is killed and counts as hung.
LimitedRun RunCliLimited(const std::vector<std::string>& arguments, long megabytes, int seconds,
                         const std::filesystem::path& messages)
{
    std::vector<char*> argv{const_cast<char*>(GESSORIA_CLI)};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const rlimit limit{static_cast<rlim_t>(megabytes) << 20, static_cast<rlim_t>(megabytes) << 20};
        setrlimit(RLIMIT_AS, &limit);
        if (std::freopen(messages.c_str(), "w", stderr) == nullptr || std::freopen("/dev/null", "w", stdout) == nullptr)
            _exit(126);
        execv(GESSORIA_CLI, argv.data());
        _exit(127);
    }
    LimitedRun run;
    int status = 0;
    for (int waited = 0; waited < seconds * 20; ++waited) {
        if (waitpid(child, &status, WNOHANG) == child) {
            run.exited = WIFEXITED(status);
            run.status = run.exited ? WEXITSTATUS(status) : WTERMSIG(status);
            run.messages = ReadText(messages);
            return run;
        }
        usleep(50000);
    }
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    run.hung = true;
    return run;
}

// Under limits from too little memory to enough, a project converted onto itself either is
// refused with status 1 or keeps every file byte for byte; no run hangs or aborts. Its
// images are sound, so whatever could not be had is said to be memory, never a file error.
TEST(UnreadImages, ConvertingOntoItselfUnderMemoryLimitsFailsOrKeepsEveryImage)
{
    // Two materials of 4 layers of 768 x 768: 40 images, about 60 MB in memory.
    const auto file = SavedProject("unread-memory", 768);
    const auto before = Contents(file.parent_path());
    const auto messages = file.parent_path().parent_path() / "messages.txt";
    int refused = 0, converted = 0, imagesShort = 0;
    for (long megabytes = 96; megabytes <= 256; megabytes += 16) {
        SCOPED_TRACE("under " + std::to_string(megabytes) + " MB");
        const LimitedRun run = RunCliLimited({"convert", file.string(), file.string()}, megabytes, 20, messages);
        ASSERT_FALSE(run.hung);
        ASSERT_TRUE(run.exited) << "ended by signal " << run.status;
        ASSERT_TRUE(run.status == 0 || run.status == 1) << "status " << run.status;
        (run.status == 0 ? converted : refused) += 1;
        ASSERT_EQ(Contents(file.parent_path()), before);
        EXPECT_EQ(run.messages.find("file load error"), std::string::npos) << run.messages;
        EXPECT_EQ(run.status == 1, run.messages.find("Not enough memory") != std::string::npos) << run.messages;
        imagesShort += run.messages.find("Not enough memory to load " + file.parent_path().string()) != std::string::npos;
    }
    // The limits reached from too little memory to enough, through images that could not be
    // had.
    EXPECT_GT(refused, 0);
    EXPECT_GT(converted, 0);
    EXPECT_GT(imagesShort, 0);
}

TEST(UnreadImages, SceneMapsShortOfMemoryAreNotCalledBadFiles)
{
    // A scene whose eight maps of 1024 x 1024 need more memory than some of these limits leave.
    const std::string scene = std::string(GESSORIA_TEST_DATA_DIR) + "/dense0/dense0.3ds";
    const auto messages = FreshDirectory("unread-maps") / "messages.txt";
    int mapsShort = 0;
    for (long megabytes = 64; megabytes <= 160; megabytes += 8) {
        SCOPED_TRACE("under " + std::to_string(megabytes) + " MB");
        const LimitedRun run = RunCliLimited({"info", scene}, megabytes, 20, messages);
        ASSERT_FALSE(run.hung);
        ASSERT_TRUE(run.exited) << "ended by signal " << run.status;
        EXPECT_EQ(run.messages.find("file load error"), std::string::npos) << run.messages;
        mapsShort += run.messages.find("Not enough memory to load ") != std::string::npos;
    }
    EXPECT_GT(mapsShort, 0);
}

TEST(UnreadImages, ConvertRefusesBlankedLayersUnlessAllowedAndThenKeepsTheirFiles)
{
    const auto file = SavedProject("unread-cli", 16);
    const auto folder = file.parent_path();
    auto damaged = ReadBytes(folder / "M1CM2.tif");
    damaged.resize(damaged.size() / 2);
    std::ofstream(folder / "M1CM2.tif", std::ios::binary)
        .write(reinterpret_cast<const char*>(damaged.data()), static_cast<std::streamsize>(damaged.size()));
    const auto before = Contents(folder);

    const CliRun refused = RunCli("convert " + file.string() + " " + file.string());
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("1 layer image could not be read and would be blank:\n  " + (folder / "M1CM2.tif").string()),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(Contents(folder), before);

    const CliRun allowed = RunCli("convert " + file.string() + " " + file.string() + " --allow-missing");
    EXPECT_EQ(allowed.status, 0) << allowed.err;
    EXPECT_EQ(ReadBytes(folder / "M1CM2.tif"), damaged);
}

} // namespace
} // namespace gessoria::test
