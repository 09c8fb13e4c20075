// gessoria-cli link driven by the reference host: a scene in, a painted stroke, the maps
// back; and a host that never acknowledges.

#include "cli/CliRun.h"
#include "link/LinkFixture.h"
#include "link/ReferenceHost.h"

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace gessoria::test {
namespace {

using reference::HostEnd;

// gessoria-cli link started in the background with its own runtime folder and block name.
class LinkRun {
public:
    LinkRun(const std::vector<std::string>& arguments, const std::filesystem::path& runtime, const std::string& block,
            const std::filesystem::path& errPath)
    {
        std::vector<std::string> words{GESSORIA_CLI, "link"};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        setenv("GESSORIA_LINK_BLOCK", block.c_str(), 1);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        spawned_ = posix_spawn(&pid_, GESSORIA_CLI, &actions, nullptr, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~LinkRun()
    {
        if (pid_ > 0 && !waited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    bool spawned() const { return spawned_; }
    int Wait()
    {
        int status = 0;
        waitpid(pid_, &status, 0);
        waited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    bool spawned_ = false;
    bool waited_ = false;
};

// Connects once the program listens (it has just been started).
bool ConnectWhenListening(HostEnd& host, const std::filesystem::path& socket)
{
    for (int attempt = 0; attempt < 600; ++attempt) {
        if (std::filesystem::exists(socket) && host.Connect(socket))
            return true;
        host.Close();
        usleep(50000);
    }
    return false;
}

reference::HostScene GreyQuad()
{
    reference::HostScene scene = reference::Quad();
    reference::HostMap colour{"GREY.PNG", 64, 64, 24, std::vector<std::uint8_t>(64 * 64 * 3, 100)};
    scene.materials[0].maps[reference::kColour] = colour;
    scene.materials[0].maps[reference::kOpacity].reset();
    return scene;
}

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class LinkCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        runtime = ShortRuntimeDirectory();
        dir = FreshDirectory("link-command");
        block = "/GessoriaLinkCommandTest-" + std::to_string(getpid());
    }
    void TearDown() override
    {
        HostEnd::Remove(block);
        std::error_code ignored;
        std::filesystem::remove_all(runtime, ignored);
    }
    // Hands GreyQuad over; false when the program did not collect it.
    bool HandOver(HostEnd& host)
    {
        const std::uint32_t base = 0x7FFF0000;
        if (!host.Send(1, 99, 0) || !host.Next(30000) || !HostEnd::Publish(block, reference::SceneBlock(GreyQuad(), base)) ||
            !host.Send(3, 99, base))
            return false;
        const auto collected = host.Next(30000);
        return collected && collected->number == 2 && collected->lParam == 1;
    }

    std::filesystem::path runtime, dir;
    std::string block;
};

TEST_F(LinkCommandTest, PaintsTheHostsSceneAndSendsTheStrokeBack)
{
    std::ofstream(dir / "stroke.txt") << "foreground 0xFF0000FF\nstroke 390,300 410,300\n";
    LinkRun run({"--script", (dir / "stroke.txt").string(), "--two-sided", "--prefix", "painted_", "--overwrite", "0",
                 "-o", (dir / "out.gsr").string(), "--brushes", std::string(GESSORIA_SAMPLE_DIR) + "/../Brushes.Dat",
                 "--paints", std::string(GESSORIA_SAMPLE_DIR) + "/../Paints.Dat"},
                runtime, block, dir / "stderr.txt");
    ASSERT_TRUE(run.spawned());
    HostEnd host;
    ASSERT_TRUE(ConnectWhenListening(host, runtime / "gessoria" / "link.sock"));
    ASSERT_TRUE(HandOver(host)) << ReadText(dir / "stderr.txt");

    const auto replying = host.Next(60000);
    ASSERT_TRUE(replying.has_value()) << ReadText(dir / "stderr.txt");
    EXPECT_EQ(replying->lParam, 2);
    const auto bytes = HostEnd::Collect(block);
    ASSERT_TRUE(bytes.has_value());
    std::string fault;
    const auto sent = reference::ReadReturnedBlock(*bytes, static_cast<std::uint32_t>(replying->wParam), fault);
    ASSERT_TRUE(sent.has_value()) << fault;
    EXPECT_EQ(sent->overwrite, 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(sent->prefix.data())), "painted_");
    const auto& colour = sent->materials.at(0).maps[reference::kColour];
    ASSERT_TRUE(colour.present);
    ASSERT_EQ(colour.width, 64);
    ASSERT_EQ(colour.height, 64);
    // Red texels where the stroke went, reddened ones at its soft edge, and the grey the
    // host sent everywhere else.
    int red = 0, grey = 0, reddened = 0;
    for (std::size_t i = 0; i < colour.pixels.size(); i += 3) {
        const std::uint8_t b = colour.pixels[i], g = colour.pixels[i + 1], r = colour.pixels[i + 2];
        red += r > 200 && g < 60 && b < 60;
        grey += r == 100 && g == 100 && b == 100;
        reddened += r > 100 && g < 100 && b < 100;
    }
    EXPECT_GT(red, 10);
    EXPECT_EQ(reddened + grey, 64 * 64) << "every texel is the host's grey or the stroke's red";
    EXPECT_GT(grey, 64 * 64 / 2);
    EXPECT_EQ(colour.pixels[0], 100);

    ASSERT_TRUE(host.Send(3, 0, 0));
    EXPECT_EQ(run.Wait(), 0) << ReadText(dir / "stderr.txt");
    EXPECT_TRUE(std::filesystem::exists(dir / "out.gsr"));
    EXPECT_FALSE(std::filesystem::exists(runtime / "gessoria" / "link.sock")) << "the socket goes with the program";
}

TEST_F(LinkCommandTest, AHostThatNeverAnswersEndsInTheTimeOut)
{
    LinkRun run({"--timeout", "1", "--brushes", std::string(GESSORIA_SAMPLE_DIR) + "/../Brushes.Dat", "--paints",
                 std::string(GESSORIA_SAMPLE_DIR) + "/../Paints.Dat"},
                runtime, block, dir / "stderr.txt");
    ASSERT_TRUE(run.spawned());
    HostEnd host;
    ASSERT_TRUE(ConnectWhenListening(host, runtime / "gessoria" / "link.sock"));
    ASSERT_TRUE(HandOver(host));
    ASSERT_TRUE(host.Next(60000).has_value());  // Replying 2, never collected nor acknowledged
    EXPECT_EQ(run.Wait(), 1);
    EXPECT_NE(ReadText(dir / "stderr.txt").find("Time Out error.  Max didn't respond"), std::string::npos)
        << ReadText(dir / "stderr.txt");
    EXPECT_FALSE(HostEnd::Exists(block)) << "the block nobody collected is removed";

    // A hostile block: the load failure message and status 1.
    LinkRun refused({}, runtime, block, dir / "refused.txt");
    HostEnd second;
    ASSERT_TRUE(ConnectWhenListening(second, runtime / "gessoria" / "link.sock"));
    std::vector<std::uint8_t> bad = reference::SceneBlock(GreyQuad(), 0);
    bad[reference::kFaceCountAt + 3] = 0x40;
    ASSERT_TRUE(second.Send(1, 5, 0));
    ASSERT_TRUE(second.Next(30000).has_value());
    ASSERT_TRUE(HostEnd::Publish(block, bad));
    ASSERT_TRUE(second.Send(3, 5, 0));
    EXPECT_EQ(refused.Wait(), 1);
    EXPECT_NE(ReadText(dir / "refused.txt").find("Gessoria experienced problems loading file:  - Max Scene"),
              std::string::npos);
}

} // namespace
} // namespace gessoria::test
