// Projects that declare more layer memory than the machine has are refused before anything
// is allocated for their layers, with the size asked for; and a refused project names its
// file and what its refusal code means.

#include "session/Session.h"
#include "support/ProjectFixture.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace gessoria::test {
namespace {

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

TEST(ProjectMemory, TwentyHugeMapsAreRefusedBeforeTheirLayersAreMade)
{
    const auto dir = FreshDirectory("huge-maps");
    RecordingInteraction ui;
    Session session;
    FillPaintedSession(session, 4, 2, ui, 20);
    const auto file = SaveSessionProject(session, dir / "p.gsr", ui).value();
    auto bytes = ReadBytes(file);
    const Scene& scene = session.scene;
    const auto at = OffsetsFor(scene.objectCount, scene.materialCount, scene.vertexCount, scene.faceCount);
    for (int m = 1; m <= 20; ++m) {
        PutI32(bytes, at.materials + 627 * static_cast<std::size_t>(m) + 31, 16384);
        PutI32(bytes, at.materials + 627 * static_cast<std::size_t>(m) + 35, 16384);
    }
    FixChecksums(bytes);
    WriteBytes(file, bytes);

    // Opened with 512 MB of address space to spare: a layer allocated would end the child.
    const pid_t child = fork();
    if (child == 0) {
        rlimit limit{};
        getrlimit(RLIMIT_AS, &limit);
        std::ifstream status("/proc/self/statm");
        std::uint64_t pages = 0;
        status >> pages;
        const rlim_t spare = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (512u << 20);
        limit.rlim_cur = spare;
        setrlimit(RLIMIT_AS, &limit);
        RecordingInteraction openUi;
        Session opened;
        const bool refused = !OpenSessionFile(opened, file.string(), openUi) && !openUi.Dialogs().empty() &&
                             openUi.Dialogs().back() == "Not enough memory to open " + file.string() &&
                             openUi.LastReason().starts_with("Its layers need ") &&
                             openUi.LastReason().find(" MB; this machine has ") != std::string::npos;
        _exit(refused ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

TEST(ProjectMemory, ARefusedProjectNamesItsFileAndWhatItsCodeMeans)
{
    const auto dir = FreshDirectory("refusal");
    RecordingInteraction ui;
    Session session;
    FillPaintedSession(session, 4, 2, ui);
    const auto file = SaveSessionProject(session, dir / "p.gsr", ui).value();
    auto bytes = ReadBytes(file);
    bytes.resize(bytes.size() - 100);
    WriteBytes(file, bytes);
    Session opened;
    RecordingInteraction openUi;
    EXPECT_FALSE(OpenSessionFile(opened, file.string(), openUi));
    EXPECT_EQ(openUi.Dialogs().back(), "Bad Project file (4).  Cannot load");
    EXPECT_EQ(openUi.LastReason(),
              file.string() + ": the file does not match its checksum (it was cut short or changed after it was saved)");
}

} // namespace
} // namespace gessoria::test
