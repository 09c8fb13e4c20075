// gessoria-cli and layer images that could not be read: the command refuses (status 1,
// nothing written) unless --allow-missing, and then keeps the unread files as they are. Run
// under memory limits from too little to enough, converting a project onto itself never
// changes one of its files.

#include "CliRun.h"
#include "support/ProjectFixture.h"

#include <map>

namespace gessoria::test {
namespace {

// The project's own files with their bytes (a save that died leaves hidden staging files,
// which the next load or save clears; they are no part of the project).
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

TEST(UnreadImages, ConvertingOntoItselfUnderAnyMemoryLimitKeepsEveryFile)
{
    const auto file = SavedProject("unread-memory", 768);
    const auto before = Contents(file.parent_path());
    int refused = 0, converted = 0;
    for (int megabytes = 96; megabytes <= 1024; megabytes += 32) {
        const std::string command = "ulimit -v " + std::to_string(megabytes * 1024) + "; " + GESSORIA_CLI +
                                    " convert " + file.string() + " " + file.string() + " 2>/dev/null";
        const int status = std::system(("sh -c '" + command + "'").c_str());
        (WIFEXITED(status) && WEXITSTATUS(status) == 0 ? converted : refused) += 1;
        ASSERT_EQ(Contents(file.parent_path()), before) << "under " << megabytes << " MB";
    }
    // The limits reached from too little memory to enough.
    EXPECT_GT(refused, 0);
    EXPECT_GT(converted, 0);
}

} // namespace
} // namespace gessoria::test
