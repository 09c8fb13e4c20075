// gessoria-cli and layer images that could not be read: the command refuses (status 1,
// nothing written) unless --allow-missing, and then keeps the unread files as they are.

#include "CliRun.h"
#include "support/ProjectFixture.h"

#include <map>

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
