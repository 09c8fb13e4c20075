// gessoria-cli library, run as a user runs it.

#include "CliRun.h"

#include <QJsonArray>

namespace gessoria::test {
namespace {

TEST(LibraryCommand, ListsTheStarterLibraryWithHeads)
{
    const std::string data = std::string(GESSORIA_SAMPLE_DIR) + "/..";
    const CliRun run = RunCli("library --brushes " + data + "/Brushes.Dat --paints " + data + "/Paints.Dat --json");
    ASSERT_EQ(run.status, 0) << run.err;
    const QJsonObject library = ParseJson(run.out);
    const QJsonArray brushes = library["brushes"].toArray();
    ASSERT_GE(brushes.size(), 10);
    EXPECT_EQ(brushes[0].toObject()["name"].toString(), "<Default Brush>");
    const QJsonArray head = brushes[0].toObject()["head"].toArray();
    ASSERT_EQ(head.size(), 31);
    EXPECT_EQ(head[15].toArray().size(), 31);
    EXPECT_EQ(head[15].toArray()[15].toInt(), 255);
    const QJsonArray paints = library["paints"].toArray();
    int bitmapPaints = 0;
    std::set<int> specials;
    for (const auto& p : paints) {
        bitmapPaints += p.toObject()["bitmapPaint"].toInt() != 0;
        specials.insert(p.toObject()["specialNumber"].toInt());
    }
    EXPECT_GE(bitmapPaints, 2);
    for (int n = 2; n <= 24; ++n)
        EXPECT_TRUE(specials.contains(n)) << n;
}

TEST(LibraryCommand, MissingLibrariesAreReportedAsStartUpDoes)
{
    const auto dir = FreshDirectory("empty");
    const CliRun run = RunCli("library --brushes " + (dir / "Brushes.Dat").string() + " --paints " + (dir / "Paints.Dat").string());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("There was a problem opening Brushes.Dat, please make sure it is located in: " +
                           (dir / "Brushes.Dat").string()),
              std::string::npos);
    EXPECT_NE(run.out.find("<Default Paint>"), std::string::npos);
}

} // namespace
} // namespace gessoria::test
