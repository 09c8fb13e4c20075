// gessoria-cli with models of other programs: exporting padded maps, writing the painted model
// and opening it again, and one model as a 3D Studio file and as OBJ drawing the same frame.

#include "CliRun.h"

#include "io/ImageLibrary.h"

#include <QJsonArray>

#include <filesystem>

namespace gessoria::test {
namespace {

const std::string kMonkey = std::string(GESSORIA_SAMPLE_DIR) + "/monkey.3ds";
const std::string kBox = std::string(GESSORIA_TEST_DATA_DIR) + "/models/box.obj";
const std::string kLibraries = std::string(" --brushes ") + GESSORIA_SAMPLE_DIR + "/../Brushes.Dat --paints " +
                               GESSORIA_SAMPLE_DIR + "/../Paints.Dat";
const std::string kView = " --size 240x180 --level 3 --view front";

// Pixels (counted per channel byte) that differ by more than `tolerance`.
int DifferingBytes(const std::filesystem::path& a, const std::filesystem::path& b, int tolerance = 8)
{
    auto first = LibraryImage::Open(a), second = LibraryImage::Open(b);
    EXPECT_TRUE(first && second);
    if (!first || !second)
        return -1;
    first->ConvertTo24Bits();
    second->ConvertTo24Bits();
    const auto x = first->PackedRows(), y = second->PackedRows();
    EXPECT_EQ(x.size(), y.size());
    int differing = 0;
    for (std::size_t i = 0; i < std::min(x.size(), y.size()); ++i)
        differing += std::abs(x[i] - y[i]) > tolerance;
    return differing;
}

TEST(ModelCommands, ExportMapsWritesEveryMapOfEveryTexturedMaterialFileSafeAndPadded)
{
    const auto dir = FreshDirectory("export_maps");
    const CliRun run = RunCli("export-maps " + kBox + " " + (dir / "maps").string() + " --format tga --padding 2 --layers");
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* type : {"colour", "bump", "opacity", "selfillum", "shininess"}) {
        EXPECT_TRUE(std::filesystem::exists(dir / "maps" / (std::string("Painted_") + type + ".tga"))) << type;
        EXPECT_NE(run.out.find(std::string("Painted_") + type + ".tga"), std::string::npos) << type;
    }
    // The base layers and their alphas with --layers; a map type without layers has none.
    EXPECT_TRUE(std::filesystem::exists(dir / "maps" / "Painted_colour_layer1.tga"));
    EXPECT_TRUE(std::filesystem::exists(dir / "maps" / "Painted_bump_layer1_alpha.tga"));
    EXPECT_FALSE(std::filesystem::exists(dir / "maps" / "Painted_opacity_layer1.tga"));
    auto colour = LibraryImage::Open(dir / "maps" / "Painted_colour.tga");
    auto bump = LibraryImage::Open(dir / "maps" / "Painted_bump.tga");
    ASSERT_TRUE(colour && bump);
    EXPECT_EQ(colour->bitsPerPixel(), 24);
    EXPECT_EQ(bump->bitsPerPixel(), 8);
    // The checker's top row is red and green, the bottom one blue: rows keep their order.
    const auto rows = colour->PackedRows();
    EXPECT_EQ(rows[0], 255);  // bottom row, blue
    EXPECT_EQ(rows[2], 0);

    EXPECT_EQ(RunCli("export-maps " + kBox + " " + (dir / "x").string() + " --format gif").status, 2);
    EXPECT_EQ(RunCli("export-maps " + kBox + " " + (dir / "x").string() + " --padding -2").status, 2);
    EXPECT_EQ(RunCli("export-maps " + kBox).status, 2);
}

// OBJ -> paint -> export model -> open: the paint comes back, and the frame with it.
TEST(ModelCommands, APaintedObjWrittenAsAModelOpensWithItsPaint)
{
    const auto dir = FreshDirectory("model_round_trip");
    std::ofstream(dir / "script.txt") << "foreground 0xFF00FFFF\n"
                                         "render\n"
                                         "stroke 30,100 90,100 90,160 30,160 30,110 80,110\n";
    const CliRun paint = RunCli("paint " + kBox + kView + " --script " + (dir / "script.txt").string() + kLibraries +
                                " -o " + (dir / "painted.gsr").string());
    ASSERT_EQ(paint.status, 0) << paint.err;
    const CliRun painted = RunCli("render " + (dir / "painted.gsr").string() + kView + " -o " + (dir / "painted.png").string());
    ASSERT_EQ(painted.status, 0) << painted.err;
    const CliRun plain = RunCli("render " + kBox + kView + " -o " + (dir / "plain.png").string());
    ASSERT_EQ(plain.status, 0) << plain.err;
    ASSERT_GT(DifferingBytes(dir / "painted.png", dir / "plain.png"), 1000);  // the paint shows

    for (const char* model : {"out.obj", "out.glb", "out.gltf"}) {
        SCOPED_TRACE(model);
        const auto out = dir / model;
        const CliRun convert = RunCli("convert " + (dir / "painted.gsr").string() + " " + out.string());
        ASSERT_EQ(convert.status, 0) << convert.err;
        const CliRun again = RunCli("render " + out.string() + kView + " -o " + (dir / "again.png").string());
        ASSERT_EQ(again.status, 0) << again.err;
        // Positions pass through decimal text (OBJ) or floats in the same place: the same frame
        // (measured: not one byte differs).
        EXPECT_LT(DifferingBytes(dir / "painted.png", dir / "again.png"), 64);
    }
    // A GLB carries its images: alone in another directory it still shows the paint.
    const auto alone = FreshDirectory("model_round_trip_alone");
    std::filesystem::copy_file(dir / "out.glb", alone / "out.glb");
    const CliRun info = RunCli("info " + (alone / "out.glb").string() + " --json");
    ASSERT_EQ(info.status, 0) << info.err;
    bool paintedLayers = false;
    for (const auto material : ParseJson(info.out)["materials"].toArray())
        paintedLayers |= material.toObject()["name"].toString() == "Painted" &&
                         material.toObject()["layerCounts"].toArray()[0].toInt() == 2;
    EXPECT_TRUE(paintedLayers) << info.out.substr(0, 400);
    EXPECT_EQ(RunCli("convert " + kBox + " " + (dir / "out.fbx").string()).status, 2);
    EXPECT_EQ(RunCli("convert " + kBox + " " + (dir / "out2.obj").string() + " --padding 2x").status, 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "out2.obj"));
}

// The sample as a 3D Studio file and written out as OBJ: the same frame, smoothing included.
TEST(ModelCommands, TheSampleAsThreeDSAndAsObjDrawsTheSameFrame)
{
    const auto dir = FreshDirectory("monkey_obj");
    const CliRun convert = RunCli("convert " + kMonkey + " " + (dir / "monkey.obj").string());
    ASSERT_EQ(convert.status, 0) << convert.err;
    for (const char* level : {"1", "3", "4"}) {
        SCOPED_TRACE(level);
        const std::string view = std::string(" --size 240x180 --view left --level ") + level;
        ASSERT_EQ(RunCli("render " + kMonkey + view + " -o " + (dir / "3ds.png").string()).status, 0);
        ASSERT_EQ(RunCli("render " + (dir / "monkey.obj").string() + view + " -o " + (dir / "obj.png").string()).status, 0);
        // Levels 1 and 3 match to the byte. The bumped level reads each texel's neighbours, and
        // past an island's edge the written bump map holds padding where the layer held the
        // Renderer Layer's fill: 37 of 129,600 bytes differ.
        EXPECT_LT(DifferingBytes(dir / "3ds.png", dir / "obj.png"), 64);
    }
}

} // namespace
} // namespace gessoria::test
