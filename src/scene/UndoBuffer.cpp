#include "scene/UndoBuffer.h"

#include "scene/Compositing.h"
#include "scene/Scene.h"
#include "scene/UserInteraction.h"

#include <algorithm>
#include <new>

namespace gessoria {
namespace {

// The body's map type order, and the header's order of the selected layer bytes.
constexpr MapType kBodyOrder[] = {MapType::Colour, MapType::SelfIllum, MapType::Bump, MapType::Opacity, MapType::Shininess};
constexpr MapType kHeaderOrder[] = {MapType::Colour, MapType::Bump, MapType::SelfIllum, MapType::Shininess, MapType::Opacity};

int HeaderSlot(MapType type)
{
    for (int k = 0; k < kMapTypeCount; ++k)
        if (kHeaderOrder[k] == type)
            return k;
    return 0;
}

} // namespace

std::uint8_t UndoBuffer::FlagOf(MapType type)
{
    switch (type) {
    case MapType::Colour: return kColour;
    case MapType::SelfIllum: return kSelfIllum;
    case MapType::Bump: return kBump;
    case MapType::Opacity: return kOpacity;
    case MapType::Shininess: return kShininess;
    }
    return 0;
}

std::size_t UndoBuffer::RecordSize(const DabFootprint& f)
{
    const auto texels = static_cast<std::size_t>(std::max(f.rows, 0)) * static_cast<std::size_t>(std::max(f.columns, 0));
    std::size_t size = 2 * kHeaderSize;
    for (const MapType type : kBodyOrder)
        if (f.mapTypes & FlagOf(type))
            size += texels * (type == MapType::Colour ? 4 : 2);
    return size;
}

bool UndoBuffer::Allocate(std::size_t bytes)
{
    Release();
    try {
        ring_.assign(bytes, 0);
    } catch (const std::exception&) {
        ring_ = {};
        return false;
    }
    return true;
}

void UndoBuffer::Release()
{
    ring_ = {};
    write_ = redoLimit_ = oldest_ = 0;
    undoAvailable_ = redoAvailable_ = false;
}

void UndoBuffer::PutHeader(std::uint64_t at, const Header& h)
{
    const std::int32_t words[5] = {h.footprint.materialIndex, h.footprint.rows, h.footprint.columns, h.footprint.centreColumn,
                                   h.footprint.centreRow};
    for (int w = 0; w < 5; ++w)
        for (int b = 0; b < 4; ++b)
            Put(at + static_cast<std::uint64_t>(4 * w + b), static_cast<std::uint8_t>(static_cast<std::uint32_t>(words[w]) >> (8 * b)));
    Put(at + 20, h.flags);
    for (int k = 0; k < kMapTypeCount; ++k)
        Put(at + 21 + static_cast<std::uint64_t>(k), static_cast<std::uint8_t>(h.layers[k]));
    Put(at + 26, 0);
    Put(at + 27, 0);
}

UndoBuffer::Header UndoBuffer::GetHeader(std::uint64_t at) const
{
    std::int32_t words[5];
    for (int w = 0; w < 5; ++w) {
        std::uint32_t value = 0;
        for (int b = 0; b < 4; ++b)
            value |= static_cast<std::uint32_t>(Get(at + static_cast<std::uint64_t>(4 * w + b))) << (8 * b);
        words[w] = static_cast<std::int32_t>(value);
    }
    Header h;
    h.footprint = {words[0], words[1], words[2], words[3], words[4], 0, false, false, false};
    h.flags = Get(at + 20);
    h.footprint.mapTypes = h.flags & 0x1F;
    h.footprint.firstOfStroke = h.flags & kFirstOfStroke;
    h.footprint.wraps = h.flags & kWraps;
    h.footprint.continuesDab = h.flags & kContinuesDab;
    for (int k = 0; k < kMapTypeCount; ++k)
        h.layers[k] = static_cast<std::int8_t>(Get(at + 21 + static_cast<std::uint64_t>(k)));
    return h;
}

void UndoBuffer::RecordDab(const Scene& scene, DabFootprint footprint)
{
    if (!allocated() || footprint.materialIndex < 0 || footprint.materialIndex > scene.materialCount)
        return;
    const Material& material = scene.materials[static_cast<std::size_t>(footprint.materialIndex)];
    if (!material.hasLayers)
        return;
    Header header;
    std::uint8_t types = 0;
    for (const MapType type : kBodyOrder) {
        const int k = material.current(type);
        header.layers[HeaderSlot(type)] = static_cast<std::int8_t>(k);
        if ((footprint.mapTypes & FlagOf(type)) && k >= 1 && k < material.stack(type).count())
            types |= FlagOf(type);
    }
    footprint.mapTypes = types;
    header.footprint = footprint;
    header.flags = static_cast<std::uint8_t>(types | (footprint.firstOfStroke ? kFirstOfStroke : 0) |
                                             (footprint.wraps ? kWraps : 0) | (footprint.continuesDab ? kContinuesDab : 0));

    const std::size_t size = RecordSize(footprint);
    if (size > ring_.size()) {
        // A record the ring cannot hold is not written: undo becomes unavailable and the
        // history ends here, so no older record can be undone over this dab's changes.
        undoAvailable_ = redoAvailable_ = false;
        oldest_ = redoLimit_ = write_;
        return;
    }
    const std::uint64_t start = write_;
    PutHeader(start, header);
    std::uint64_t at = start + kHeaderSize;
    // The recorded layers in body order, each texel's bytes (alpha, then value) taken a whole
    // footprint row at a time into one run and copied into the ring.
    struct Source {
        const Layer* layer;
        int bytes;
    };
    Source sources[kMapTypeCount];
    int sourceCount = 0;
    std::size_t perTexel = 0;
    for (const MapType type : kBodyOrder)
        if (types & FlagOf(type)) {
            const int bytes = type == MapType::Colour ? 3 : 1;
            sources[sourceCount++] = {&material.stack(type)[material.current(type)], bytes};
            perTexel += static_cast<std::size_t>(1 + bytes);
        }
    // Every footprint row places its columns alike.
    std::vector<int> columns(static_cast<std::size_t>(std::max(footprint.columns, 0)));
    for (int j = 0; j < footprint.columns; ++j) {
        int row = 0;
        Place(footprint, material.mapWidth, material.mapHeight, 0, j, row, columns[static_cast<std::size_t>(j)]);
    }
    std::vector<std::uint8_t> run(columns.size() * perTexel);
    for (int i = 0; i < footprint.rows; ++i) {
        int row = 0, column = 0;
        Place(footprint, material.mapWidth, material.mapHeight, i, 0, row, column);
        std::uint8_t* out = run.data();
        for (const int c : columns)
            for (int s = 0; s < sourceCount; ++s) {
                const Layer& layer = *sources[s].layer;
                const int bytes = sources[s].bytes;
                *out++ = layer.alpha.row(row)[c];
                const std::uint8_t* value = layer.image.row(row) + c * bytes;
                for (int b = 0; b < bytes; ++b)
                    *out++ = value[b];
            }
        PutBytes(at, run.data(), run.size());
        at += run.size();
    }
    PutHeader(at, header);
    const std::uint64_t end = at + kHeaderSize;

    redoAvailable_ = false;
    undoAvailable_ = true;
    if (end - oldest_ > ring_.size())
        oldest_ = end - std::min<std::uint64_t>(end, ring_.size());
    write_ = redoLimit_ = end;
}

void UndoBuffer::PutBytes(std::uint64_t at, const std::uint8_t* bytes, std::size_t count)
{
    // At most two copies: up to the ring's end, then from its start.
    const auto from = static_cast<std::size_t>(at % ring_.size());
    const std::size_t first = std::min(count, ring_.size() - from);
    std::copy_n(bytes, first, ring_.data() + from);
    std::copy_n(bytes + first, count - first, ring_.data());
}

void UndoBuffer::Place(const DabFootprint& f, int width, int height, int i, int j, int& row, int& column)
{
    row = f.centreRow - f.rows / 2 + i;
    column = f.centreColumn - f.columns / 2 + j;
    if (f.wraps) {
        row = ((row % height) + height) % height;
        column = ((column % width) + width) % width;
    } else {
        row = std::clamp(row, 0, height - 1);
        column = std::clamp(column, 0, width - 1);
    }
}

void UndoBuffer::Exchange(Scene& scene, const Header& h, std::uint64_t bodyStart, bool backwards)
{
    const DabFootprint& f = h.footprint;
    if (f.materialIndex < 0 || f.materialIndex > scene.materialCount)
        return;
    Material& material = scene.materials[static_cast<std::size_t>(f.materialIndex)];
    if (!material.hasLayers || f.rows <= 0 || f.columns <= 0)
        return;
    const std::size_t perTexel = RecordSize({0, 1, 1, 0, 0, f.mapTypes, false, false, false}) - 2 * kHeaderSize;
    const std::int64_t texels = static_cast<std::int64_t>(f.rows) * f.columns;
    // Forwards for undo, backwards for redo: a texel that the clamped footprint visits twice
    // is exchanged twice, and only the reverse order undoes the exchanges exactly.
    for (std::int64_t n = 0; n < texels; ++n) {
        const std::int64_t index = backwards ? texels - 1 - n : n;
        const int i = static_cast<int>(index / f.columns), j = static_cast<int>(index % f.columns);
        int row = 0, column = 0;
        Place(f, material.mapWidth, material.mapHeight, i, j, row, column);
        std::uint64_t at = bodyStart + static_cast<std::uint64_t>(index) * perTexel;
        for (const MapType type : kBodyOrder) {
            if (!(f.mapTypes & FlagOf(type)))
                continue;
            const int bytes = type == MapType::Colour ? 3 : 1;
            const int k = h.layers[HeaderSlot(type)];
            // A layer deleted since the dab is passed over.
            if (k >= 1 && k < material.stack(type).count()) {
                Layer& layer = material.stack(type)[k];
                std::uint8_t* alpha = layer.alpha.row(row) + column;
                std::uint8_t* value = layer.image.row(row) + column * bytes;
                const std::uint8_t a = Get(at);
                Put(at, *alpha);
                *alpha = a;
                for (int b = 0; b < bytes; ++b) {
                    const std::uint8_t v = Get(at + 1 + static_cast<std::uint64_t>(b));
                    Put(at + 1 + static_cast<std::uint64_t>(b), value[b]);
                    value[b] = v;
                }
            }
            at += static_cast<std::uint64_t>(1 + bytes);
        }
    }
}

bool UndoBuffer::Undo(Scene& scene, bool single)
{
    if (!allocated() || !undoAvailable_)
        return false;
    int lastMaterial = -1;
    bool undone = false;
    for (;;) {
        if (write_ < oldest_ + kHeaderSize) {
            undoAvailable_ = false;
            break;
        }
        const Header h = GetHeader(write_ - kHeaderSize);
        const std::uint64_t size = RecordSize(h.footprint);
        if (size > write_ || write_ - size < oldest_) {
            undoAvailable_ = false;
            break;
        }
        write_ -= size;
        Exchange(scene, h, write_ + kHeaderSize, false);
        undone = true;
        if (lastMaterial >= 0 && lastMaterial != h.footprint.materialIndex)
            CompositeAll(scene.materials[static_cast<std::size_t>(lastMaterial)], PaintTool::None, scene.layerViews);
        lastMaterial = h.footprint.materialIndex;
        // A stroke ends at its first record; a single dab at its own first record.
        if ((h.flags & kFirstOfStroke) || (single && !(h.flags & kContinuesDab)))
            break;
    }
    if (lastMaterial >= 0 && lastMaterial <= scene.materialCount)
        CompositeAll(scene.materials[static_cast<std::size_t>(lastMaterial)], PaintTool::None, scene.layerViews);
    if (write_ == oldest_)
        undoAvailable_ = false;
    if (undone)
        redoAvailable_ = true;
    return undone;
}

bool UndoBuffer::Redo(Scene& scene)
{
    if (!allocated() || !redoAvailable_)
        return false;
    int lastMaterial = -1;
    for (;;) {
        const Header h = GetHeader(write_);
        Exchange(scene, h, write_ + kHeaderSize, true);
        write_ += RecordSize(h.footprint);
        if (lastMaterial >= 0 && lastMaterial != h.footprint.materialIndex)
            CompositeAll(scene.materials[static_cast<std::size_t>(lastMaterial)], PaintTool::None, scene.layerViews);
        lastMaterial = h.footprint.materialIndex;
        if (write_ >= redoLimit_) {
            redoAvailable_ = false;
            break;
        }
        if (GetHeader(write_).flags & kFirstOfStroke)
            break;
    }
    if (lastMaterial >= 0 && lastMaterial <= scene.materialCount)
        CompositeAll(scene.materials[static_cast<std::size_t>(lastMaterial)], PaintTool::None, scene.layerViews);
    undoAvailable_ = true;
    return true;
}

bool ConfigureUndo(UndoBuffer& buffer, bool& useUndo, int& megabytes, bool newUse, int newMegabytes, UserInteraction& ui)
{
    if (newUse == useUndo && newMegabytes == megabytes)
        return useUndo;
    buffer.Release();
    useUndo = newUse;
    megabytes = newMegabytes;
    if (useUndo && (megabytes < 1 || !buffer.Allocate(static_cast<std::size_t>(megabytes) * 1048576u))) {
        ui.Tell("Not enough memory for Undo Buffer, try a smaller size", MessageIcon::Error);
        useUndo = false;
    }
    return useUndo;
}

} // namespace gessoria
