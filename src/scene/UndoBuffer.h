#pragma once
// UndoBuffer: the ring of texels each dab may change, for Undo (the last stroke), Undo Single
// (the last dab) and Redo.
//
// Every dab record is written byte by byte at the write position, wrapping at the ring's
// end: a 28-byte header (material index, footprint rows and columns, centre column and row,
// flags, the selected layer of each map type), the body (for each footprint texel, row by
// row, and each recorded map type in the order Colour, Self Illumination, Bump, Opacity,
// Shininess: the alpha byte then the value bytes) and the header again as a trailer so the
// ring reads backwards. A dab that changes texels in several places (a projected dab over
// several faces, islands or materials) writes one record per texel rectangle; every record
// after its first carries the continues-dab flag, so Undo Single takes back all of them.
// Undo and redo exchange the recorded bytes with the layers, so one
// record serves both directions. New records overwrite the oldest; a record larger than the
// ring leaves undo unavailable.

#include "scene/Compositing.h"
#include "scene/MapType.h"

#include <cstdint>
#include <vector>

namespace gessoria {

struct Scene;
class UserInteraction;

struct DabFootprint {
    std::int32_t materialIndex = 0;
    std::int32_t rows = 31;
    std::int32_t columns = 31;
    std::int32_t centreColumn = 0;
    std::int32_t centreRow = 0;
    std::uint8_t mapTypes = 0;  // UndoBuffer flag bits of the types to record
    bool firstOfStroke = false;
    // The footprint wraps around the map edges (a bitmap paint's stamp) instead of clamping.
    bool wraps = false;
    // The record belongs to the same dab as the record before it.
    bool continuesDab = false;

    // The footprint of exactly the texels of `rect` (inclusive bounds): a footprint is placed
    // around its centre, rows / 2 above it and columns / 2 to its left.
    static DabFootprint OfRect(std::int32_t materialIndex, const TexelRect& rect, std::uint8_t mapTypes)
    {
        DabFootprint footprint;
        footprint.materialIndex = materialIndex;
        footprint.rows = rect.y1 - rect.y0 + 1;
        footprint.columns = rect.x1 - rect.x0 + 1;
        footprint.centreRow = rect.y0 + footprint.rows / 2;
        footprint.centreColumn = rect.x0 + footprint.columns / 2;
        footprint.mapTypes = mapTypes;
        return footprint;
    }
};

class UndoBuffer {
public:
    // Flag bits of a record.
    static constexpr std::uint8_t kColour = 0x10, kSelfIllum = 0x08, kBump = 0x04, kOpacity = 0x02, kShininess = 0x01,
                                  kContinuesDab = 0x20, kFirstOfStroke = 0x40, kWraps = 0x80;
    static constexpr std::size_t kHeaderSize = 28;

    static std::uint8_t FlagOf(MapType type);
    // 56 + rows x columns x (4 with Colour) + rows x columns x 2 for each 8-bit type.
    static std::size_t RecordSize(const DabFootprint& footprint);

    // A ring of `bytes`, empty; false when it cannot be had.
    bool Allocate(std::size_t bytes);
    void Release();
    bool allocated() const { return !ring_.empty(); }
    std::size_t size() const { return ring_.size(); }

    // Records the current bytes of the selected layers (index 1 or more) under the footprint.
    void RecordDab(const Scene& scene, DabFootprint footprint);
    // Takes back the last stroke, or only the last dab. False when nothing was undone.
    bool Undo(Scene& scene, bool single);
    // Replays the last undone stroke. False when nothing was redone.
    bool Redo(Scene& scene);

    bool undoAvailable() const { return undoAvailable_; }
    bool redoAvailable() const { return redoAvailable_; }

    const std::vector<std::uint8_t>& ring() const { return ring_; }
    std::uint64_t writePosition() const { return write_; }

private:
    struct Header {
        DabFootprint footprint;
        std::uint8_t flags = 0;
        std::int8_t layers[kMapTypeCount]{};  // Colour, Bump, SelfIllum, Shininess, Opacity
    };

    void Put(std::uint64_t at, std::uint8_t byte) { ring_[static_cast<std::size_t>(at % ring_.size())] = byte; }
    // `count` bytes at `at` on, wrapping at the ring's end; count is at most the ring's size.
    void PutBytes(std::uint64_t at, const std::uint8_t* bytes, std::size_t count);
    std::uint8_t Get(std::uint64_t at) const { return ring_[static_cast<std::size_t>(at % ring_.size())]; }
    void PutHeader(std::uint64_t at, const Header& header);
    Header GetHeader(std::uint64_t at) const;
    // The texel of footprint position (i, j): clamped into the map, or wrapped for a wrapping footprint.
    static void Place(const DabFootprint& footprint, int width, int height, int i, int j, int& row, int& column);
    // Exchanges a record's body with the layers, forwards for undo and backwards for redo.
    void Exchange(Scene& scene, const Header& header, std::uint64_t bodyStart, bool backwards);

    std::vector<std::uint8_t> ring_;
    // Positions count bytes written since the ring was made; the ring index is position % size.
    std::uint64_t write_ = 0;
    std::uint64_t redoLimit_ = 0;
    std::uint64_t oldest_ = 0;
    bool undoAvailable_ = false;
    bool redoAvailable_ = false;
};

// "Undo Preferences" OK: a changed setting frees the old ring and makes a new, empty one of
// the new size while undo is on; a ring that cannot be had switches undo off with the
// message. Returns whether undo is on afterwards.
bool ConfigureUndo(UndoBuffer& buffer, bool& useUndo, int& megabytes, bool newUse, int newMegabytes, UserInteraction& ui);

} // namespace gessoria
