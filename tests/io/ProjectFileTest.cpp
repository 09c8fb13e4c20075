// Saving and loading projects: the bytes of the file, the layer images beside it, the
// refusals of malformed files and what a save leaves behind.

#include "io/ProjectCommit.h"
#include "io/ProjectFile.h"
#include "scene/LayerOperations.h"
#include "session/AutosaveSnapshot.h"
#include "session/SessionProject.h"
#include "support/ProjectFixture.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>

namespace gessoria::test {
namespace {

std::set<std::string> FilesIn(const std::filesystem::path& dir)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}

std::filesystem::path Save(Session& session, const std::filesystem::path& path, RecordingInteraction& ui)
{
    const auto written = SaveSessionProject(session, path, ui);
    EXPECT_TRUE(written.has_value()) << (ui.Dialogs().empty() ? "" : ui.Dialogs().back());
    return written.value_or(path);
}

// A fresh directory with a painted session saved in it as "p.gsr".
std::filesystem::path SaveFreshProject(Session& session, const std::string& name, int mapSize, int colourLayers,
                                       RecordingInteraction& ui)
{
    FillPaintedSession(session, mapSize, colourLayers, ui);
    return Save(session, FreshDirectory(name) / "p.gsr", ui);
}

// A session that already shows another scene, to see what a refused file leaves.
struct Opened {
    Session session;
    RecordingInteraction ui;
    bool ok = false;
};

std::unique_ptr<Opened> Open(const std::filesystem::path& path)
{
    auto opened = std::make_unique<Opened>();
    FillPaintedSession(opened->session, 4, 2, opened->ui);
    opened->ui.shown.clear();
    opened->ok = OpenSessionFile(opened->session, path.string(), opened->ui);
    return opened;
}

// The file's bytes made a slice at a time while the session goes on changing are the bytes
// of the session as it stood when they began, whatever changed between the slices; another
// scene opened meanwhile stops them.
TEST(ProjectFile, SteppedEncodingIsTheWholeEncodingOfItsFirstMoment)
{
    RecordingInteraction ui;
    Session session;
    session.scene.undo.enabled = false;
    ResetScene(session.scene);
    ASSERT_TRUE(OpenSessionFile(session, GESSORIA_TEST_DATA_DIR "/dense0/dense0.3ds", ui));
    ASSERT_GT(session.scene.faceCount, 3 * 16384);  // sections of several slices
    SessionProjectSettings settings(session);
    const std::vector<std::uint8_t> whole = EncodeProject(session.scene, settings);

    // Memory from an earlier file, larger than this one, is reused from its start.
    SteppedProjectEncoding stepped(session.scene, settings, std::vector<std::uint8_t>(whole.size() + 999, 0xAB));
    Scene& scene = session.scene;
    int steps = 0;
    while (!stepped.done()) {
        ASSERT_TRUE(stepped.Continue(scene, std::chrono::steady_clock::now()));
        // What painting and the panels change between steps stays out of this file.
        scene.camera.angleX += 7;
        scene.objects[0].flags ^= 1;
        scene.materials[1].name = "Changed" + std::to_string(steps);
        ui.texts.push_back("View " + std::to_string(steps));
        scene.bookmarks.New(scene.camera, ui);
        ++steps;
    }
    EXPECT_GT(steps, 26);
    EXPECT_TRUE(std::ranges::equal(stepped.Finish(), whole));
    EXPECT_FALSE(std::ranges::equal(EncodeProject(scene, settings), whole));

    // A scene opened meanwhile has other arrays: the encoding is given up.
    SteppedProjectEncoding abandoned(session.scene, settings);
    ASSERT_TRUE(abandoned.Continue(session.scene, std::chrono::steady_clock::now()));
    ASSERT_TRUE(OpenSessionFile(session, GESSORIA_TEST_DATA_DIR "/dense0/dense0.3ds", ui));
    EXPECT_FALSE(abandoned.Continue(session.scene, std::chrono::steady_clock::now()));
}

// The files of two directories whose bytes differ or that only one of them holds.
std::set<std::string> DifferingFiles(const std::filesystem::path& one, const std::filesystem::path& other)
{
    std::set<std::string> names;
    for (const auto& [dir, counterpart] : {std::pair(one, other), std::pair(other, one)})
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
            const auto name = std::filesystem::relative(entry.path(), dir);
            if (entry.is_regular_file() && ReadBytes(entry.path()) != ReadBytes(counterpart / name))
                names.insert(name.string());
        }
    return names;
}

// An autosave copies its images a band of rows at a time, painting going on between the
// bands; an image painted while partly copied is taken again whole, so what is written is
// what a plain save writes once the painting has stopped. A layer deleted meanwhile gives
// the autosave up.
TEST(ProjectFile, AutosaveTakesEachImageWholeAtOneMomentWhilePaintingGoesOn)
{
    RecordingInteraction ui;
    Session session;
    // 1024 x 1024 Colour maps: several bands each.
    FillPaintedSession(session, 1024, 3, ui);
    Layer& painted = session.scene.materials[1].stack(MapType::Colour)[1];
    const auto paint = [&](int row, std::uint8_t value) {
        std::fill_n(painted.image.row(row), painted.image.stride(), value);
        session.changes.Mark();
    };

    AutosaveSnapshot snapshot(session);
    const ProjectSnapshot::Image* target = nullptr;
    for (const ProjectSnapshot::Image& image : snapshot.snapshot().images)
        if (target == nullptr && image.material == 1 && image.type == MapType::Colour && image.layer == 1 && !image.alpha)
            target = &image;
    ASSERT_NE(target, nullptr);
    const std::size_t targetIndex = static_cast<std::size_t>(target - snapshot.snapshot().images.data());
    int calls = 0, paintedBetweenBands = 0;
    while (!snapshot.Copied()) {
        ASSERT_FALSE(snapshot.Failed());
        ASSERT_LT(++calls, 10000);
        snapshot.CopySome(session, std::chrono::microseconds(0));
        // Rows already taken change, and so do rows still to come.
        if (snapshot.imagesTaken() == targetIndex && snapshot.rowsTaken() > 0 && paintedBetweenBands < 3) {
            paint(0, static_cast<std::uint8_t>(0x40 + paintedBetweenBands));
            paint(1023, static_cast<std::uint8_t>(0x80 + paintedBetweenBands));
            ++paintedBetweenBands;
        }
    }
    EXPECT_EQ(paintedBetweenBands, 3);
    snapshot.Finish();
    const auto dir = FreshDirectory("autosave-bands");
    std::filesystem::create_directory(dir / "auto");
    std::filesystem::create_directory(dir / "plain");
    ASSERT_TRUE(WriteProjectSnapshot(snapshot.snapshot(), dir / "auto" / "p.gsr").file.has_value());
    Save(session, dir / "plain" / "p.gsr", ui);
    EXPECT_GT(FilesIn(dir / "plain" / "p.gsr").size(), 8u);
    EXPECT_EQ(DifferingFiles(dir / "auto", dir / "plain"), std::set<std::string>{});

    // Another, into the memory of the last, while the top Colour layer is deleted between
    // the bands of an image below it.
    AutosaveSnapshot abandoned(session, snapshot.Recycle());
    while (!(abandoned.imagesTaken() == targetIndex && abandoned.rowsTaken() > 0))
        ASSERT_FALSE(abandoned.CopySome(session, std::chrono::microseconds(0)));
    ui.yesNo.push_back(true);
    SelectLayer(session.scene.materials[1], MapType::Colour, 2);
    ASSERT_EQ(DeleteLayer(session.scene.materials[1], MapType::Colour, ui), LayerEdit::Changed);
    session.changes.Mark();
    while (!abandoned.Copied() && !abandoned.Failed())
        abandoned.CopySome(session, std::chrono::microseconds(0));
    EXPECT_TRUE(abandoned.Failed());
}

TEST(ProjectFile, RoundTripRestoresEverythingAndSavesTheSameBytesAndImages)
{
    const auto dir = FreshDirectory("roundtrip");
    RecordingInteraction ui;
    Session original;
    FillPaintedSession(original, 16, 3, ui, 2);
    const auto first = Save(original, dir / "scene.gsr", ui);
    // A first save makes a directory of the chosen name that holds the file and its images.
    EXPECT_EQ(first, dir / "scene.gsr" / "scene.gsr");
    EXPECT_EQ(ui.Texts(Shown::Kind::Status).back(), "Ready");
    EXPECT_EQ(ui.Texts(Shown::Kind::Status).front(), "Saving file " + (dir / "scene.gsr").string() + "  -  Please wait...");

    auto loaded = Open(first);
    ASSERT_TRUE(loaded->ok) << (loaded->ui.Dialogs().empty() ? "" : loaded->ui.Dialogs().front());
    EXPECT_TRUE(loaded->ui.Dialogs().empty());
    EXPECT_EQ(Describe(loaded->session), Describe(original));
    EXPECT_EQ(loaded->session.brushes.currentIndex(), 0);
    EXPECT_EQ(loaded->session.paints.currentIndex(), 0);
    // Normals and the view come from the file: nothing was recomputed or fitted.
    EXPECT_EQ(loaded->session.scene.cornerNormals[1][4], -0.25f);
    EXPECT_EQ(loaded->session.scene.loadedState.camera.angleX, 100);

    const auto second = Save(loaded->session, dir / "again.gsr", ui);
    EXPECT_EQ(ReadBytes(second), ReadBytes(first));
    auto images = FilesIn(first.parent_path());
    images.erase("scene.gsr");
    EXPECT_EQ(images.size(), 2u * (5 + 4 * 5));  // per material: Colour 3 layers, 4 more types of 3
    for (const auto& name : images)
        EXPECT_EQ(ReadBytes(second.parent_path() / name), ReadBytes(first.parent_path() / name)) << name;
    // A project path that is the directory of a first save opens the file inside it.
    EXPECT_TRUE(Open(dir / "scene.gsr")->ok);
}

TEST(ProjectFile, FieldsSitWhereTheLayoutPutsThem)
{
    RecordingInteraction ui;
    Session session;
    const auto file = SaveFreshProject(session, "layout", 8, 3, ui);
    const auto bytes = ReadBytes(file);
    auto text = [&](std::size_t at, std::size_t n) { return std::string(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + n)); };
    auto i32 = [&](std::size_t at) { return static_cast<std::int32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | bytes[at + 3] << 24); };
    EXPECT_EQ(text(0, 23), std::string("Gessoria Project File\n") + '\0');
    EXPECT_EQ(text(32, 8), std::string("V01.00\n") + '\0');
    EXPECT_EQ(i32(48), 10);
    EXPECT_EQ(i32(60), 620);
    EXPECT_EQ(i32(64), 1);   // objects
    EXPECT_EQ(i32(68), 6);   // vertices
    EXPECT_EQ(i32(72), 2);   // faces
    EXPECT_EQ(i32(76), 1);   // materials
    EXPECT_EQ(i32(80), 100);
    EXPECT_EQ(i32(100), -3);
    EXPECT_EQ(bytes[120], 4);
    EXPECT_EQ(bytes[121], 7);
    EXPECT_EQ(i32(122), 6);
    EXPECT_EQ(bytes[126], 1);
    EXPECT_EQ(i32(127), 158);
    EXPECT_EQ(i32(131), 0);
    EXPECT_EQ(bytes[135], 1);
    EXPECT_EQ(i32(136), 2);
    const auto header = ChecksumOf(std::span(bytes).first(140));
    EXPECT_EQ(static_cast<std::uint32_t>(i32(140)), header.sum);
    EXPECT_EQ(static_cast<std::uint32_t>(i32(144)), header.xorValue);

    // The 36-byte object and the 627-byte material records, then the arrays.
    const auto at = OffsetsFor(1, 1, 6, 2);
    EXPECT_EQ(text(at.objects + 16, 7), std::string("Square") + '\0');
    EXPECT_EQ(bytes[at.objects + 34], kObjectHasMapping | kObjectFrozen);
    const std::size_t mat1 = at.materials + 627;
    EXPECT_EQ(text(mat1, 5), std::string("Mat1") + '\0');
    EXPECT_EQ(i32(mat1 + 31), 8);                                 // map width
    EXPECT_EQ(text(mat1 + 39, 9), std::string("SKIN.PNG") + '\0');  // slot 0 map, 48 bytes each
    EXPECT_EQ(text(mat1 + 39 + 3 * 96 + 48, 13), std::string("BUMPMASK.BMP") + '\0');
    EXPECT_EQ(bytes[mat1 + 39 + 3 * 96 + 48 + 14], 2);            // its tiling: decal
    EXPECT_EQ(bytes[mat1 + 615], 1);                              // hasLayers
    EXPECT_EQ(bytes[mat1 + 617], 2);                              // current Bump layer
    EXPECT_EQ(text(mat1 + 622, 5), std::string("\3\3\3\3\3", 5));  // layer counts
    EXPECT_EQ(i32(at.faceVertexA + 4), 3);                        // second face's corner A
    EXPECT_EQ(bytes[at.faceMaterial + 2], 1);

    // Strings: a 300-character Map Path is 0xFF, the uint16 300 and its characters; after the
    // three Map Paths come 29 empty ones.
    const std::string longPath(300, 'p');
    const auto found = std::search(bytes.begin(), bytes.end(), longPath.begin(), longPath.end());
    ASSERT_NE(found, bytes.end());
    const auto pathAt = static_cast<std::size_t>(found - bytes.begin());
    EXPECT_EQ(text(pathAt - 3, 3), "\xFF\x2C\x01");
    EXPECT_EQ(text(pathAt + 300, 12), std::string("\x0B/maps/three", 12));
    EXPECT_EQ(text(pathAt + 312, 29), std::string(29, '\0'));

    // Three Colour layers give exactly these images, and no alpha for the Renderer Layer.
    const auto files = FilesIn(file.parent_path());
    for (const char* name : {"M1CM0.tif", "M1CM1.tif", "M1CA1.tif", "M1CM2.tif", "M1CA2.tif"})
        EXPECT_TRUE(files.contains(name)) << name;
    EXPECT_FALSE(files.contains("M1CA0.tif"));
    EXPECT_FALSE(files.contains("M1CM3.tif"));
    const auto trailer = ChecksumOf(std::span(bytes).first(bytes.size() - 8));
    EXPECT_EQ(static_cast<std::uint32_t>(i32(bytes.size() - 8)), trailer.sum);

    // Loading replaces the Map Path list by the three stored entries.
    auto loaded = Open(file);
    ASSERT_TRUE(loaded->ok);
    EXPECT_EQ(loaded->session.scene.mapPaths.count(), 3);
}

TEST(ProjectFile, ASmallerSaveLeavesNoStaleImageAndNothingOfTheSave)
{
    const auto dir = FreshDirectory("stale");
    RecordingInteraction ui;
    Session big;
    FillPaintedSession(big, 4, 20, ui, 2);
    const auto file = Save(big, dir / "p.gsr", ui);
    EXPECT_TRUE(FilesIn(file.parent_path()).contains("M1CA19.tif"));
    EXPECT_TRUE(FilesIn(file.parent_path()).contains("M2SA2.tif"));

    Session small;
    FillPaintedSession(small, 4, 2, ui, 1);
    EXPECT_EQ(Save(small, file, ui), file);
    auto expected = std::set<std::string>{"p.gsr", "M1CM0.tif", "M1CM1.tif", "M1CA1.tif"};
    for (const char letter : {'B', 'O', 'I', 'S'})
        for (const std::string name : {"M1?M0.tif", "M1?M1.tif", "M1?A1.tif", "M1?M2.tif", "M1?A2.tif"}) {
            std::string n = name;
            n[2] = letter;
            expected.insert(n);
        }
    // No staging directory or commit record stays behind either.
    EXPECT_EQ(FilesIn(file.parent_path()), expected);
    auto loaded = Open(file);
    ASSERT_TRUE(loaded->ok);
    EXPECT_EQ(Describe(loaded->session), Describe(small));
}

TEST(ProjectFile, ChecksumsAndHeaderTextAreCheckedInOrder)
{
    RecordingInteraction ui;
    Session session;
    const auto file = SaveFreshProject(session, "checksums", 4, 2, ui);
    const auto good = ReadBytes(file);
    auto refused = [&](std::vector<std::uint8_t> bytes) {
        WriteBytes(file, bytes);
        auto opened = Open(file);
        EXPECT_FALSE(opened->ok);
        const auto dialogs = opened->ui.Dialogs();
        // The session keeps the scene it showed.
        EXPECT_EQ(opened->session.scene.objectCount, 1);
        EXPECT_EQ(opened->session.scene.materials[1].mapWidth, 4);
        return dialogs.size() == 1 ? dialogs[0] : std::string("(") + std::to_string(dialogs.size()) + " messages)";
    };

    for (const std::size_t at : {std::size_t{5}, std::size_t{70}, std::size_t{139}}) {
        auto bytes = good;
        bytes[at] ^= 0x10;
        const std::string message = refused(bytes);
        EXPECT_TRUE(message == "Bad Project file (4).  Cannot load" || message == "Bad Project file (5).  Cannot load") << message;
    }
    // A change that keeps the word sum but not the XOR: angle X one up, angle Y one down.
    auto swapped = good;
    swapped[80] += 1;
    PutI32(swapped, 84, -1);
    EXPECT_EQ(refused(swapped), "Bad Project file (5).  Cannot load");

    auto text = good;
    text[3] = 'Z';
    FixChecksums(text);
    EXPECT_EQ(refused(text), "Bad Project file. (1)  Cannot load");

    // A header changed behind a correct trailing checksum fails the header checksum.
    auto header = good;
    header[84] ^= 1;
    const auto whole = ChecksumOf(std::span(header).first(header.size() - 8));
    PutI32(header, header.size() - 8, static_cast<std::int32_t>(whole.sum));
    PutI32(header, header.size() - 4, static_cast<std::int32_t>(whole.xorValue));
    EXPECT_EQ(refused(header), "Bad Project file. (2)  Cannot load");

    WriteBytes(file, good);
    EXPECT_TRUE(Open(file)->ok);
}

TEST(ProjectFile, CountsLengthsAndIndicesThatDoNotFitAreRefused)
{
    RecordingInteraction ui;
    Session session;
    const auto file = SaveFreshProject(session, "structure", 4, 2, ui);
    const auto good = ReadBytes(file);
    const auto at = OffsetsFor(1, 1, 6, 2);
    const std::size_t mat1 = at.materials + 627;
    // The length byte of the last layer name, the file's last string.
    const std::size_t lastName = good.size() - 8 - session.scene.materials[1].stack(MapType::Shininess)[2].name.size() - 1;

    const std::vector<std::pair<const char*, std::function<void(std::vector<std::uint8_t>&)>>> forgeries = {
        {"negative object count", [](auto& b) { PutI32(b, 64, -1); }},
        {"huge face count", [](auto& b) { PutI32(b, 72, 0x7FFFFFFF); }},
        {"face count the file cannot hold", [](auto& b) { PutI32(b, 72, 3); }},
        {"negative material count", [](auto& b) { PutI32(b, 76, -2); }},
        {"21 bookmarks", [](auto& b) { PutI32(b, 122, 21); }},
        {"negative bookmarks", [](auto& b) { PutI32(b, 122, -1); }},
        {"object runs past the faces", [&](auto& b) { PutI32(b, at.objects + 4, 3); }},
        {"face names a missing vertex", [&](auto& b) { PutI32(b, at.faceVertexA + 4, 6); }},
        {"face names a negative vertex", [&](auto& b) { PutI32(b, at.faceVertexA, -1); }},
        {"face names a missing material", [&](auto& b) { b[at.faceMaterial + 2] = 2; }},
        {"21 Colour layers", [&](auto& b) { b[mat1 + 622] = 21; }},
        {"current layer beyond the stack", [&](auto& b) { b[mat1 + 616] = 3; }},
        {"layers without a map size", [&](auto& b) { PutI32(b, mat1 + 31, 0); }},
        {"string running past the end", [&](auto& b) { b[lastName] = 200; }},
        {"string with a huge length", [&](auto& b) {
             b[lastName] = 0xFF;
             b[lastName + 1] = 0xFF;
             b[lastName + 2] = 0xFF;
         }},
        {"bytes after the layer names", [](auto& b) { b.insert(b.end() - 8, 4, 0); }},
        {"unknown render level", [](auto& b) {
             const std::string path = "/maps/one";
             const auto p = static_cast<std::size_t>(std::search(b.begin(), b.end(), path.begin(), path.end()) - b.begin());
             b[p - 25] = 9;  // StillRenderLevel, 25 bytes before the first Map Path's text
         }},
        {"wire-frame step 0", [](auto& b) { b[121] = 0; }},
    };
    for (const auto& [what, forge] : forgeries) {
        auto bytes = good;
        forge(bytes);
        FixChecksums(bytes);
        WriteBytes(file, bytes);
        auto opened = Open(file);
        EXPECT_FALSE(opened->ok) << what;
        EXPECT_EQ(opened->ui.Dialogs(), std::vector<std::string>{"Bad Project file (6).  Cannot load"}) << what;
        EXPECT_EQ(opened->session.scene.materials[1].mapWidth, 4) << what;
        EXPECT_EQ(opened->session.brushes.count(), 2) << what;
    }
}

TEST(ProjectFile, AnUnfitLayerImageIsReportedAndBlankedAndLoadingGoesOn)
{
    RecordingInteraction ui;
    Session session;
    const auto file = SaveFreshProject(session, "images", 8, 3, ui);
    const auto folder = file.parent_path();
    std::filesystem::remove(folder / "M1CM2.tif");                                          // missing
    WriteImage(folder / "M1BM1.tif", 4, 8, [](int, int) { return Rgb{1, 2, 3}; });            // wrong size
    WriteImage(folder / "M1CA1.tif", 8, 8, [](int, int) { return Rgb{1, 2, 3}; });            // wrong depth
    std::ofstream(folder / "M1SM0.tif") << "not an image";                                 // unreadable

    auto opened = Open(file);
    ASSERT_TRUE(opened->ok);
    const std::string tail = "  -  file load error.\nPossibly corrupt or missing file.";
    EXPECT_EQ(opened->ui.Dialogs(), (std::vector<std::string>{(folder / "M1CA1.tif").string() + tail,
                                                              (folder / "M1CM2.tif").string() + tail,
                                                              (folder / "M1BM1.tif").string() + tail,
                                                              (folder / "M1SM0.tif").string() + tail}));
    const Material& m = opened->session.scene.materials[1];
    const Layer& missing = m.stack(MapType::Colour)[2];
    ASSERT_TRUE(missing.image.created());
    EXPECT_EQ(missing.image.width(), 8);
    EXPECT_EQ(missing.image.bitCount(), 24);
    EXPECT_EQ(missing.image.row(7)[23], NewLayerFill(MapType::Colour));
    EXPECT_EQ(m.stack(MapType::Colour)[1].alpha.bitCount(), 8);
    EXPECT_EQ(m.stack(MapType::Colour)[1].alpha.row(0)[0], 0);
    EXPECT_EQ(m.stack(MapType::Bump)[1].image.width(), 8);
    EXPECT_EQ(m.stack(MapType::Shininess)[0].image.row(0)[0], RendererFill(MapType::Shininess));
    // The layers that were fine are as saved.
    EXPECT_EQ(m.stack(MapType::Colour)[1].image.row(5)[7], session.scene.materials[1].stack(MapType::Colour)[1].image.row(5)[7]);
}

TEST(ProjectFile, ASaveThatCannotBeWrittenSaysSoAndKeepsTheEarlierProject)
{
    const auto dir = FreshDirectory("failing");
    RecordingInteraction ui;
    Session session;
    FillPaintedSession(session, 4, 2, ui);
    EXPECT_FALSE(SaveSessionProject(session, dir / "missing" / "deeper" / "p.gsr", ui));
    EXPECT_EQ(ui.Dialogs().back(), "Error: Unable to save file " + (dir / "missing" / "deeper" / "p.gsr").string());
    EXPECT_EQ(ui.Texts(Shown::Kind::Status).back(), "Ready");

    // A layer without a bitmap cannot be written: that save fails and the earlier one stays.
    const auto file = Save(session, dir / "p.gsr", ui);
    const auto before = ReadBytes(file);
    Session broken;
    FillPaintedSession(broken, 4, 2, ui);
    broken.scene.materials[1].stack(MapType::Bump)[1].image.Destroy();
    EXPECT_FALSE(SaveSessionProject(broken, file, ui));
    EXPECT_EQ(ReadBytes(file), before);
    EXPECT_FALSE(std::filesystem::exists(file.parent_path() / ".p.gsr.saving"));
    EXPECT_TRUE(Open(file)->ok);
}

TEST(ProjectFile, AnInterruptedSaveIsFinishedAfterItsCommitAndDroppedBefore)
{
    const auto dir = FreshDirectory("recovery");
    RecordingInteraction ui;
    Session oldSession, newSession;
    FillPaintedSession(oldSession, 4, 2, ui);
    FillPaintedSession(newSession, 4, 4, ui);
    newSession.scene.camera.angleY = 77;
    // The new save, complete, in a directory of its own; its files become the staged ones.
    const auto staged = Save(newSession, dir / "new.gsr", ui);
    const auto file = Save(oldSession, dir / "p.gsr", ui);
    const auto folder = file.parent_path();
    auto stage = [&] {
        std::filesystem::create_directory(folder / ".p.gsr.saving");
        std::vector<std::string> names;
        for (const auto& name : FilesIn(staged.parent_path())) {
            const std::string target = name == "new.gsr" ? "p.gsr" : name;
            std::filesystem::copy_file(staged.parent_path() / name, folder / ".p.gsr.saving" / target);
            names.push_back(target);
        }
        return names;
    };

    // Staged but not committed: the earlier project is what loads, and the staging goes.
    stage();
    auto before = Open(file);
    ASSERT_TRUE(before->ok);
    EXPECT_EQ(Describe(before->session), Describe(oldSession));
    EXPECT_FALSE(std::filesystem::exists(folder / ".p.gsr.saving"));

    // Committed, with half of the moves done: the load finishes them first.
    const auto names = stage();
    std::string record = "gessoria project commit 1\n";
    for (const auto& name : names)
        record += "move " + name + "\n";
    record += "end\n";
    std::ofstream(folder / ".p.gsr.commit") << record;
    std::filesystem::rename(folder / ".p.gsr.saving" / "M1CM3.tif", folder / "M1CM3.tif");
    auto after = Open(file);
    ASSERT_TRUE(after->ok);
    EXPECT_TRUE(after->ui.Dialogs().empty());
    EXPECT_EQ(after->session.scene.camera.angleY, 77);
    EXPECT_EQ(after->session.scene.materials[1].stack(MapType::Colour).count(), 4);
    EXPECT_FALSE(std::filesystem::exists(folder / ".p.gsr.commit"));

    // A record that names anything outside the directory is not followed.
    std::ofstream(folder / ".p.gsr.commit") << "gessoria project commit 1\nremove ../new.gsr/new.gsr\nremove p.gsr\nend\n";
    EXPECT_TRUE(RecoverProjectSave(folder, "p.gsr"));
    EXPECT_TRUE(std::filesystem::exists(staged));
    EXPECT_TRUE(std::filesystem::exists(file));

    // Only layer images are ever removed, and a record of another format is not followed.
    ASSERT_TRUE(std::filesystem::exists(folder / "M1CM1.tif"));
    for (const char* refused : {"gessoria project commit 1\nremove p.gsr\nend\n",
                                "gessoria project commit 2\nremove M1CM1.tif\nend\n",
                                "remove M1CM1.tif\nend\n"}) {
        SCOPED_TRACE(refused);
        const auto files = FilesIn(folder);
        std::ofstream(folder / ".p.gsr.commit") << refused;
        EXPECT_TRUE(RecoverProjectSave(folder, "p.gsr"));
        EXPECT_EQ(FilesIn(folder), files);
    }
}

// The directory's visible files with their bytes: what a reader of the project sees.
std::map<std::string, std::vector<std::uint8_t>> Contents(const std::filesystem::path& dir)
{
    std::map<std::string, std::vector<std::uint8_t>> contents;
    for (const auto& name : FilesIn(dir))
        if (name.front() != '.')
            contents[name] = ReadBytes(dir / name);
    return contents;
}

TEST(ProjectFile, ATornCommitRecordMovesAndRemovesNothing)
{
    const auto dir = FreshDirectory("torn");
    RecordingInteraction ui;
    Session oldSession, newSession;
    FillPaintedSession(oldSession, 4, 4, ui);
    FillPaintedSession(newSession, 4, 2, ui);
    newSession.scene.camera.angleY = 77;
    const auto staged = Save(newSession, FreshDirectory("torn-new") / "new.gsr", ui);
    const auto file = Save(oldSession, dir / "p.gsr", ui);
    const auto folder = file.parent_path();

    // The record the save of the new session over the old one writes: the images, the
    // project file last, then the old layers' images the new save does not replace.
    std::vector<std::string> moves;
    for (const auto& name : FilesIn(staged.parent_path()))
        if (name != "new.gsr")
            moves.push_back(name);
    moves.push_back("p.gsr");
    std::vector<std::string> lines = {"gessoria project commit 1"};
    for (const auto& name : moves)
        lines.push_back("move " + name);
    std::size_t removals = 0;
    for (const auto& name : FilesIn(folder))
        if (name != "p.gsr" && std::find(moves.begin(), moves.end(), name) == moves.end()) {
            lines.push_back("remove " + name);
            ++removals;
        }
    ASSERT_GT(removals, 0u);
    lines.push_back("end");

    const auto stageAndRecord = [&](std::size_t lineCount) {
        std::filesystem::create_directory(folder / ".p.gsr.saving");
        for (const auto& name : moves)
            std::filesystem::copy_file(staged.parent_path() / (name == "p.gsr" ? "new.gsr" : name),
                                       folder / ".p.gsr.saving" / name);
        std::string record;
        for (std::size_t i = 0; i < lineCount; ++i)
            record += lines[i] + "\n";
        std::ofstream(folder / ".p.gsr.commit") << record;
    };

    const auto before = Contents(folder);
    for (std::size_t cut = 0; cut < lines.size(); ++cut) {
        SCOPED_TRACE(cut);
        stageAndRecord(cut);
        const auto opened = Open(file);
        ASSERT_TRUE(opened->ok);
        EXPECT_EQ(Describe(opened->session), Describe(oldSession));
        EXPECT_EQ(Contents(folder), before);
        EXPECT_EQ(FilesIn(folder).size(), before.size());  // record and staging gone
    }

    // The whole record is a commit: the new save is what loads.
    stageAndRecord(lines.size());
    const auto opened = Open(file);
    ASSERT_TRUE(opened->ok);
    EXPECT_EQ(opened->session.scene.camera.angleY, 77);
    EXPECT_EQ(opened->session.scene.materials[1].stack(MapType::Colour).count(), 2);
    EXPECT_EQ(FilesIn(folder).size(), moves.size());
}

} // namespace
} // namespace gessoria::test
