#pragma once
// ImageLibrary: the one place image files are read, converted and written.
//
// Contract: a LibraryImage holds one decoded image. Its pixels are handed out the way a
// packed device-independent bitmap delivers them: rows bottom row first, each row padded to
// four bytes, 24-bit pixels as blue, green, red, 8-bit pixels as palette indices (with the
// palette beside them). Callers copy those rows one for one into their top-down CDIBs, so
// row 0 of a bitmap read from a file holds the image's bottom row. FromBitmap reads a CDIB
// top row first; flip it vertically before saving so that a layer written and read back
// keeps its row order. No Qt type appears here; the implementation uses Qt's image
// readers and writers, and stb for Targa files.

#include "io/FileBytes.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace gessoria {

class CDIB;

// File type codes as the rest of the program relies on them; only Gif (4) is load-bearing.
enum class ImageFileType : int {
    Unknown = 0,
    Bmp = 1,
    Jpeg = 2,
    Png = 3,
    Gif = 4,
    Tiff = 5,
    Targa = 6,
    WebP = 7,
};

// Detects the type of a file from its first bytes, not its name.
ImageFileType QueryImageFileType(const std::filesystem::path& path);

enum class ImageSaveFormat : int {
    ByExtension = -1,
    Tiff = 9,
};

// Why an image could not be read: its file (missing, unreadable, corrupt, of a format not
// read), or memory that could not be had while reading it, whatever the file holds.
enum class ImageReadFailure { None, Unreadable, OutOfMemory };

class LibraryImage {
public:
    // Reads an image file; nothing on any error (missing, unreadable, corrupt, unknown format,
    // out of memory), with the kind of failure in `failure` when given.
    static std::optional<LibraryImage> Open(const std::filesystem::path& path, ImageReadFailure* failure = nullptr);
    // The same over a file's bytes already in memory (an image stored inside a model file);
    // `path` is the name the bytes would have as a file, used as Open uses the file's name.
    static std::optional<LibraryImage> Decode(std::span<const std::uint8_t> bytes, const std::filesystem::path& path,
                                              ImageReadFailure* failure = nullptr);
    // An image made from a created 24- or 8-bit CDIB; CDIB row 0 becomes the image's top row.
    static std::optional<LibraryImage> FromBitmap(const CDIB& bitmap);
    // An image from a packed device-independent bitmap as the clipboard holds one: an
    // information header (40 bytes or longer), its palette or colour masks, then the rows,
    // bottom-up or (negative height) top-down. Nothing when the block is short or malformed.
    static std::optional<LibraryImage> FromPackedBitmap(std::span<const std::uint8_t> block);

    LibraryImage(LibraryImage&&) noexcept;
    LibraryImage& operator=(LibraryImage&&) noexcept;
    ~LibraryImage();

    int width() const;
    int height() const;
    // The depth the file stores (1, 2, 4, 8, 16, 24, 32...) where its header tells (BMP, PNG),
    // else the decoded depth (1, 8, 24 or 32); after a conversion, the converted depth.
    int bitsPerPixel() const;
    // Whether the file is a device-independent bitmap that stores its top row first (a BMP
    // with a negative height); PackedRows hands rows out bottom row first either way.
    bool topDownBitmap() const;

    void ConvertTo24Bits();     // afterwards bitsPerPixel() == 24
    void ReduceTo8Bits();       // from more than 8 bits to 8-bit grey
    void ExpandTo8Bits();       // from fewer than 8 bits to 8 bits, palette kept
    void FlipVertically();
    void FlipHorizontally();
    void InvertColours();
    // Clockwise by 90, 180 or 270 degrees; other angles change nothing.
    void RotateClockwise(int degrees);
    // Stretches the image to the size with a smooth filter; left as it was when that cannot be
    // done now (memory, or the threads Qt scales a large image with, cannot be had).
    void Resize(int newWidth, int newHeight);

    // The bitmap views' colour reductions, each leaving a 24-bit image of the reduced colours.
    enum class Reduction { Halftone, Monochrome, Colours16, Colours256, Grey256 };
    void Reduce(Reduction reduction);

    // Pixel rows, bottom row first, each padded to four bytes. Only for images held at 24 or
    // 8 bits per pixel (a file of 4 bits or fewer is held at 8 once decoded).
    std::vector<std::uint8_t> PackedRows() const;
    // The image as a packed device-independent bitmap (information header, palette for 8
    // bits, rows bottom row first), as a clipboard holds one. Only for 24 and 8 bits per pixel.
    std::vector<std::uint8_t> PackedBitmap() const;
    // The 256 palette entries (0x00RRGGBB) of an 8-bit image; empty otherwise.
    std::vector<std::uint32_t> Palette() const;

    // Writes the image; ByExtension chooses the format from the file name. False on failure.
    // A Synced save replaces the file only once the image is on disk (see FileBytes.h).
    bool Save(const std::filesystem::path& path, ImageSaveFormat format, FileSync sync = FileSync::Synced) const;

private:
    struct Impl;
    explicit LibraryImage(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace gessoria
