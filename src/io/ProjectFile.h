#pragma once
// ProjectFile: the Gessoria project (".gsr"), the whole working state in one binary file
// with one TIFF image per layer and alpha beside it.
//
// The file is a 140-byte header and its checksum, the scene (objects, 627-byte material
// records, every array, the view bookmarks), the settings section, the layer names and a
// checksum of everything before it. Layer image m, type t, index k is "M%d<t>M%d.tif", its
// alpha "M%d<t>A%d.tif" (k >= 1 only), t one of C, B, O, I, S in storage order.
//
// SaveProject never destroys the project it replaces: the new file and images are written
// and synced in a staging directory and moved into place only after a commit record says
// the save is complete (see ProjectCommit). LoadProject finishes such an interrupted move
// before it reads, and refuses a file whose checksums, counts, lengths or indices do not fit
// (every message through ui) before allocating anything for it.
//
// The settings section belongs to the program above the file format (preferences, the
// brush and paint libraries, painting state): a ProjectSettings writes and reads it.

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "io/ByteStream.h"
#include "scene/CDIB.h"
#include "scene/MapType.h"

namespace gessoria {

struct Scene;
class ByteReader;
class ByteWriter;
class UserInteraction;

// Header values that belong to the windows and the preferences rather than the scene.
struct ProjectWindowState {
    std::array<std::int32_t, 4> frameRect{};  // main frame left, top, right, bottom
    std::uint8_t paintWizard = 0;
    std::int32_t cursorId = -1;
    std::int32_t beepOnWarning = 1;
};

// The settings section: display preferences with the Map Path count, the 32 Map Paths, the
// painting state and the brush and paint libraries.
class ProjectSettings {
public:
    virtual ~ProjectSettings() = default;
    virtual ProjectWindowState WindowState() const = 0;
    virtual void Write(const Scene& scene, ByteWriter& out) const = 0;
    // Reads the section into values held aside (the Map Paths into `attempt`); false, or a
    // failed reader, when it is malformed. Nothing the program uses changes yet.
    virtual bool Read(ByteReader& in, Scene& attempt) = 0;
    // The load succeeded: the values read and the header's window state take effect.
    virtual void Apply(const ProjectWindowState& window) = 0;
};

// Why a project file was refused; the numbers are the codes its message shows.
enum class ProjectError : int {
    None = 0,
    HeaderText = 1,
    HeaderSum = 2,
    HeaderXor = 3,
    TrailingSum = 4,
    TrailingXor = 5,
    Structure = 6,  // counts, lengths or indices that do not fit the file or each other
    Unreadable = 7, // the file cannot be opened or read
};

std::string ProjectErrorMessage(ProjectError error, const std::string& path);

struct ProjectChecksum {
    std::uint32_t sum = 0;
    std::uint32_t xorValue = 0;
};
// Sum and XOR of the complete little-endian 32-bit words of bytes (a shorter tail is not counted).
ProjectChecksum ChecksumOf(std::span<const std::uint8_t> bytes);

// "M%dCM%d.tif" and its kin; alpha images exist for index 1 up.
std::string LayerImageName(int material, MapType type, int index, bool alpha);

// Parts A to F for the scene and settings.
std::vector<std::uint8_t> EncodeProject(const Scene& scene, const ProjectSettings& settings);
// EncodeProject's bytes made a slice at a time, for a save taken while the scene goes on
// changing. The parts painting and the panels can change (header, objects, materials,
// bookmarks, settings, layer names) are encoded at once when it is made; the geometry, which
// a scene keeps unchanged while it is loaded, is encoded by Continue a slice at a time until
// a time is up; Finish, which asks nothing of the scene and may run on another thread, joins
// them with the checksum. The result is byte for byte what EncodeProject gives for the scene
// as it stood when the encoding began. `buffer` is memory to reuse (an earlier result).
class SteppedProjectEncoding {
public:
    SteppedProjectEncoding(const Scene& scene, const ProjectSettings& settings, std::vector<std::uint8_t> buffer = {});

    // Encodes more of the geometry, at least one slice, until `until`. False when the scene
    // is no longer the one the encoding began with (another was opened): it is to be dropped.
    bool Continue(const Scene& scene, std::chrono::steady_clock::time_point until);
    bool done() const;
    std::vector<std::uint8_t> Finish();

private:
    struct Identity {
        const void* materials;
        const void* positions;
        const void* corners;
        const void* cornerNormals;
        std::int32_t faces;
        std::int32_t vertices;
        bool operator==(const Identity&) const = default;
    };
    static Identity IdentityOf(const Scene& scene);

    Identity identity_;
    ByteWriter out_;
    ByteWriter tail_;
    int section_ = 0;
    std::size_t next_ = 0;
};

// Fills `attempt` (counts, arrays, materials with layer names, camera, bookmarks, undo
// settings) and reads the settings section. Layer images are not touched: every layer of
// the result has a name and no bitmap yet. On failure `attempt` is to be thrown away.
// An array that cannot be allocated is fatal through ui, as for every scene.
ProjectError DecodeProject(std::span<const std::uint8_t> bytes, Scene& attempt, ProjectSettings& settings,
                           ProjectWindowState& window, UserInteraction& ui);

// A project as it stood at one moment: the file's bytes and every layer and alpha image to
// write beside it. An image points at a bitmap (the scene's own for a save that writes at
// once, one of `copies` for a snapshot written while the scene goes on changing), or names
// the unread file whose bytes are kept in its place.
struct ProjectSnapshot {
    struct Image {
        std::string name;  // "M1CM0.tif"
        const CDIB* bitmap = nullptr;
        std::string keepFile;
        // Where the bitmap lives in the scene (material, map type, layer, alpha).
        int material = 0;
        MapType type = MapType::Colour;
        int layer = 0;
        bool alpha = false;
    };
    std::vector<std::uint8_t> file;
    std::vector<Image> images;
    std::int32_t materialCount = 0;
    std::deque<CDIB> copies;
};

// The snapshot of a save of `scene`: the file's bytes, and images pointing at the scene's
// bitmaps. With `keepUnread`, images that could not be read at the last load keep their file.
ProjectSnapshot DescribeProjectSave(const Scene& scene, const ProjectSettings& settings, bool keepUnread);
// The same without the file's bytes (for a snapshot whose file is encoded in steps).
ProjectSnapshot ListProjectImages(const Scene& scene, bool keepUnread);

// Writes a snapshot as the project at `path` through the crash-safe commit (see
// ProjectCommit), asking nobody: it may run on a thread of its own. Gives the file written
// or, after a failure that left the earlier project as it was, the system's reason.
struct ProjectWriteResult {
    std::optional<std::filesystem::path> file;
    std::string reason;
};
ProjectWriteResult WriteProjectSnapshot(const ProjectSnapshot& snapshot, const std::filesystem::path& path);

// Whether a save should keep the files of images that could not be read at the last load:
// asks the user when there are any (a front end that asks nobody keeps them).
bool KeepUnreadImages(const Scene& scene, UserInteraction& ui);

// Saves the scene as a project at `path` and returns the path of the file written (inside a
// new directory named after `path` when nothing of that name existed). Shows "Saving file
// ..." and "Ready" in the status bar; any failure is shown and leaves the earlier project as
// it was.
std::optional<std::filesystem::path> SaveProject(const Scene& scene, const ProjectSettings& settings,
                                                 const std::filesystem::path& path, UserInteraction& ui);

// Loads the project at `path` into `attempt` (a scene after FreeScene and ResetScene,
// holding the view size and undo settings to use). Layers whose image is missing or unfit
// are reported and made blank, and remember the file (UnreadLayerImages), which a later save
// keeps as it is unless the user answers otherwise; loading goes on. An image that failed
// for want of memory says so; when not even a blank can be made the load fails. On failure objectCount is -1 and nothing of
// the settings changed.
bool LoadProject(Scene& attempt, ProjectSettings& settings, const std::filesystem::path& path, UserInteraction& ui);

// The layer and alpha images a load could not read (their layers hold blanks in their
// place), in storage order.
std::vector<std::string> UnreadLayerImages(const Scene& scene);

// The file a project path names: a directory made by a first save holds the file of its name.
std::filesystem::path ProjectFilePath(const std::filesystem::path& path);

} // namespace gessoria
