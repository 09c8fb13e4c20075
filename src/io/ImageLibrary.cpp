#include "io/ImageLibrary.h"

#include "io/FileBytes.h"
#include "io/LittleEndian.h"
#include "scene/CDIB.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QThread>
#include <QTransform>

#include <stb_image.h>
#include <stb_image_write.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <span>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace gessoria {

struct LibraryImage::Impl {
    QImage image;
    // The depth the file stores, where its header says (BMP and PNG), until a conversion;
    // 0 when the decoded depth is all there is to report.
    int fileBits = 0;
    bool topDownBitmap = false;
};

namespace {

using Bytes = std::span<const std::uint8_t>;

// The largest decoded image any layer can hold: kMaxDimension squared at four bytes a pixel.
constexpr int kReaderAllocationLimitMiB =
    static_cast<int>(static_cast<long long>(CDIB::kMaxDimension) * CDIB::kMaxDimension * 4 / (1024 * 1024));

std::string LowerExtension(const std::filesystem::path& path)
{
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

bool StartsWith(Bytes bytes, std::initializer_list<std::uint8_t> magic, std::size_t at = 0)
{
    return le::Has(bytes, at, magic.size()) && std::equal(magic.begin(), magic.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

ImageFileType TypeFromContent(Bytes head, const std::filesystem::path& path)
{
    if (StartsWith(head, {'G', 'I', 'F', '8'}))
        return ImageFileType::Gif;
    if (StartsWith(head, {'B', 'M'}))
        return ImageFileType::Bmp;
    if (StartsWith(head, {0xFF, 0xD8, 0xFF}))
        return ImageFileType::Jpeg;
    if (StartsWith(head, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}))
        return ImageFileType::Png;
    if (StartsWith(head, {'I', 'I', '*', 0}) || StartsWith(head, {'M', 'M', 0, '*'}))
        return ImageFileType::Tiff;
    if (StartsWith(head, {'R', 'I', 'F', 'F'}) && StartsWith(head, {'W', 'E', 'B', 'P'}, 8))
        return ImageFileType::WebP;
    // Targa files carry no signature; only their name says what they are.
    if (LowerExtension(path) == ".tga")
        return ImageFileType::Targa;
    return ImageFileType::Unknown;
}

// One row between the layers' blue, green, red and Qt's red, green, blue (either way).
void SwapRedAndBlue(const std::uint8_t* in, std::uint8_t* out, int width)
{
    for (int x = 0; x < width; ++x) {
        out[x * 3] = in[x * 3 + 2];
        out[x * 3 + 1] = in[x * 3 + 1];
        out[x * 3 + 2] = in[x * 3];
    }
}

bool IsRegularFile(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// --- Completeness checks -------------------------------------------------------------------
// Qt's BMP, JPEG and GIF readers and stb's Targa reader quietly fill in whatever a truncated
// file is missing and report success. These walks check that the file holds all the data its
// headers promise, so a cut-off file is refused instead of loading with a grey or black band.

bool BmpLooksComplete(Bytes b)
{
    if (!le::Has(b, 0, 26))
        return false;
    const std::uint64_t dataOffset = le::U32(b, 10);
    const std::uint32_t headerSize = le::U32(b, 14);
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t bits = 0;
    std::uint32_t compression = 0;
    if (headerSize == 12) {  // OS/2 core header: 16-bit sizes, never compressed
        width = le::U16(b, 18);
        height = le::U16(b, 20);
        bits = le::U16(b, 24);
    } else if (headerSize >= 40 && le::Has(b, 0, 34)) {
        width = static_cast<std::int32_t>(le::U32(b, 18));
        height = static_cast<std::int32_t>(le::U32(b, 22));
        bits = le::U16(b, 28);
        compression = le::U32(b, 30);
    } else {
        return true;  // an unusual header: leave the verdict to the reader
    }
    if (width <= 0 || height == 0 || bits == 0 || bits > 32)
        return false;
    // No layer holds more than kMaxDimension a side: a run-length header claiming more would
    // have a few bytes decoded into gigabytes before the size could be refused.
    if (width > CDIB::kMaxDimension || height > CDIB::kMaxDimension || height < -CDIB::kMaxDimension)
        return false;
    // Run-length encoded and embedded JPEG/PNG bitmaps have no fixed size to check.
    if (compression != 0 && compression != 3 && compression != 6)
        return true;
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
    const std::uint64_t rows = static_cast<std::uint64_t>(height < 0 ? -height : height);
    const std::uint64_t start = std::max<std::uint64_t>(dataOffset, 14 + static_cast<std::uint64_t>(headerSize));
    return start + stride * rows <= b.size();
}

// Follows the marker segments to the end-of-image marker. Segments are skipped by their
// lengths (so a thumbnail inside an EXIF block does not count); entropy-coded data is
// scanned byte by byte, where 0xFF is always followed by 0x00, a restart marker or a real marker.
bool JpegLooksComplete(Bytes b)
{
    std::size_t i = 2;
    while (i + 1 < b.size()) {
        if (b[i] != 0xFF) {
            ++i;
            continue;
        }
        const std::uint8_t marker = b[i + 1];
        if (marker == 0xFF) {  // fill byte
            ++i;
            continue;
        }
        if (marker == 0xD9)
            return true;
        if (marker == 0x00 || marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7)) {
            i += 2;  // stuffed zero, restart and other markers without a length
            continue;
        }
        if (i + 3 >= b.size())
            return false;
        const std::size_t length = static_cast<std::size_t>(b[i + 2] << 8 | b[i + 3]);
        if (length < 2)
            return false;
        i += 2 + length;
    }
    return false;
}

// Skips a run of GIF data sub-blocks up to and including the zero-length terminator.
bool SkipGifSubBlocks(Bytes b, std::size_t& i)
{
    for (;;) {
        if (i >= b.size())
            return false;
        const std::size_t size = b[i++];
        if (size == 0)
            return true;
        i += size;
    }
}

// Walks the GIF blocks until the first image's data is complete.
bool GifLooksComplete(Bytes b)
{
    if (!le::Has(b, 0, 13))
        return false;
    std::size_t i = 13;
    if (b[10] & 0x80)
        i += std::size_t{3} << ((b[10] & 7) + 1);
    for (;;) {
        if (i >= b.size())
            return false;
        const std::uint8_t introducer = b[i++];
        if (introducer == 0x21) {  // extension: label, then sub-blocks
            ++i;
            if (!SkipGifSubBlocks(b, i))
                return false;
        } else if (introducer == 0x2C) {  // image descriptor
            if (!le::Has(b, i, 9))
                return false;
            const std::uint8_t flags = b[i + 8];
            i += 9;
            if (flags & 0x80)
                i += std::size_t{3} << ((flags & 7) + 1);
            ++i;  // LZW minimum code size
            return SkipGifSubBlocks(b, i);
        } else {
            return false;  // the trailer before any image, or not a block at all
        }
    }
}

bool TargaLooksComplete(Bytes b)
{
    if (!le::Has(b, 0, 18))
        return false;
    const std::size_t idLength = b[0];
    const std::uint8_t colourMapType = b[1];
    const std::uint8_t imageType = b[2];
    const std::size_t colourMapLength = le::U16(b, 5);
    const std::size_t colourMapEntryBytes = (std::size_t{b[7]} + 7) / 8;
    const int width = le::U16(b, 12);
    const int height = le::U16(b, 14);
    const std::size_t pixelBytes = (std::size_t{b[16]} + 7) / 8;
    if (width < 1 || height < 1 || width > CDIB::kMaxDimension || height > CDIB::kMaxDimension || pixelBytes == 0)
        return false;
    std::size_t at = 18 + idLength + (colourMapType == 1 ? colourMapLength * colourMapEntryBytes : 0);
    const std::uint64_t pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    switch (imageType) {
    case 1:
    case 2:
    case 3:
        return at + pixels * pixelBytes <= b.size();
    case 9:
    case 10:
    case 11: {
        // Run-length packets: a header byte whose low seven bits give the count less one,
        // then one pixel for a run or count pixels for a raw packet.
        std::uint64_t decoded = 0;
        while (decoded < pixels) {
            if (at >= b.size())
                return false;
            const std::uint8_t header = b[at++];
            const std::size_t count = (header & 0x7Fu) + 1u;
            at += (header & 0x80) ? pixelBytes : count * pixelBytes;
            if (at > b.size())
                return false;
            decoded += count;
        }
        return true;
    }
    default:
        return false;
    }
}

bool LooksComplete(ImageFileType type, Bytes bytes)
{
    switch (type) {
    case ImageFileType::Bmp: return BmpLooksComplete(bytes);
    case ImageFileType::Jpeg: return JpegLooksComplete(bytes);
    case ImageFileType::Gif: return GifLooksComplete(bytes);
    case ImageFileType::Targa: return TargaLooksComplete(bytes);
    default: return true;  // Qt's PNG, TIFF and WebP readers refuse truncated data themselves
    }
}

// --- Stored layout -------------------------------------------------------------------------
// Decoders widen what they read (Qt hands a 4-bit bitmap out as 8-bit indices), but a caller
// may need the file's own depth and row order, so they are read from the header.

struct StoredLayout {
    int bits = 0;  // 0: unknown
    bool topDownBitmap = false;
};

StoredLayout StoredLayoutOf(ImageFileType type, Bytes b)
{
    if (type == ImageFileType::Bmp && le::Has(b, 0, 26)) {
        const std::uint32_t headerSize = le::U32(b, 14);
        if (headerSize == 12)
            return {le::U16(b, 24), false};
        if (headerSize >= 40 && le::Has(b, 0, 30))
            return {le::U16(b, 28), static_cast<std::int32_t>(le::U32(b, 22)) < 0};
    }
    if (type == ImageFileType::Png && le::Has(b, 0, 26) && StartsWith(b, {'I', 'H', 'D', 'R'}, 12)) {
        const int depth = b[24];
        switch (b[25]) {  // colour type: grey, RGB, palette, grey and alpha, RGBA
        case 0: case 3: return {depth};
        case 2: return {depth * 3};
        case 4: return {depth * 2};
        case 6: return {depth * 4};
        default: break;
        }
    }
    return {};
}

// --- Decoding --------------------------------------------------------------------------------

const char* QtReadFormat(ImageFileType type)
{
    switch (type) {
    case ImageFileType::Bmp: return "bmp";
    case ImageFileType::Jpeg: return "jpeg";
    case ImageFileType::Png: return "png";
    case ImageFileType::Gif: return "gif";
    case ImageFileType::Tiff: return "tiff";
    case ImageFileType::WebP: return "webp";
    default: return nullptr;  // let Qt guess from the content
    }
}

QImage ReadWithQt(Bytes bytes, ImageFileType type)
{
    if (bytes.size() > static_cast<std::size_t>(INT_MAX))
        return {};
    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&buffer, QtReadFormat(type));
    reader.setAutoTransform(false);  // rows exactly as stored; no EXIF rotation
    reader.setAllocationLimit(kReaderAllocationLimitMiB);
    const QSize size = reader.size();
    // Refuse sizes no layer could hold before decoding anything.
    if (size.isValid() && (size.width() > CDIB::kMaxDimension || size.height() > CDIB::kMaxDimension))
        return {};
    return reader.read();
}

// Targa (and whatever else Qt cannot read) through stb_image, keeping grey as grey and alpha
// where the file has it.
QImage ReadWithStb(Bytes bytes)
{
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX))
        return {};
    const int size = static_cast<int>(bytes.size());
    int width = 0, height = 0, channels = 0;
    // Check the header's size before decoding, so a forged header cannot make stb allocate
    // more than any layer could use.
    if (!stbi_info_from_memory(bytes.data(), size, &width, &height, &channels) || width < 1 || height < 1 ||
        width > CDIB::kMaxDimension || height > CDIB::kMaxDimension)
        return {};
    const bool grey = channels == 1;
    const bool alpha = channels == 2 || channels == 4;
    const int wanted = grey ? 1 : alpha ? 4 : 3;
    int decodedWidth = 0, decodedHeight = 0, decodedChannels = 0;
    stbi_uc* pixels = stbi_load_from_memory(bytes.data(), size, &decodedWidth, &decodedHeight, &decodedChannels, wanted);
    if (pixels == nullptr)
        return {};
    QImage image;
    if (decodedWidth == width && decodedHeight == height) {
        const QImage::Format format = grey ? QImage::Format_Grayscale8 : alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888;
        image = QImage(width, height, format);
        const std::size_t rowBytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(wanted);
        if (!image.isNull())
            for (int y = 0; y < height; ++y)
                std::memcpy(image.scanLine(y), pixels + static_cast<std::size_t>(y) * rowBytes, rowBytes);
    }
    stbi_image_free(pixels);
    return image;
}

// A conversion that gives each pixel from that pixel alone, made on this thread. Qt converts
// a large image in pieces on its global thread pool and waits for them; where no thread can
// be started (memory limited) the pieces never run and the wait never ends. Bands small
// enough for Qt to convert on the calling thread give the same pixels.
QImage ConvertedHere(const QImage& image, QImage::Format format)
{
    constexpr qsizetype kPixelsConvertedHere = 65536;
    const int rows = static_cast<int>(std::max<qsizetype>(1, kPixelsConvertedHere / std::max(1, image.width())));
    if (image.isNull() || image.height() <= rows)
        return image.convertToFormat(format);
    QImage result(image.width(), image.height(), format);
    if (result.isNull())
        return {};
    for (int y = 0; y < image.height(); y += rows) {
        const int count = std::min(rows, image.height() - y);
        const QImage band = image.copy(0, y, image.width(), count).convertToFormat(format);
        if (band.isNull() || band.format() != format)
            return {};
        if (y == 0)
            result.setColorTable(band.colorTable());
        const auto bytes = static_cast<std::size_t>(std::min(band.bytesPerLine(), result.bytesPerLine()));
        for (int r = 0; r < count; ++r)
            std::memcpy(result.scanLine(y + r), band.constScanLine(r), bytes);
    }
    result.setDotsPerMeterX(image.dotsPerMeterX());
    result.setDotsPerMeterY(image.dotsPerMeterY());
    return result;
}

// Whether the threads a Qt drawing call may use can be had now, with `bytes` more memory in
// use. Qt scales and draws an image of more than a few rows in pieces on a pool of its own
// threads (up to one a core), after allocating the images it works on, and waits for every
// piece; a piece whose thread could not be started never runs and the wait never ends. So as
// many threads are started here first, all at once, while as much memory as those images take
// is held: when they cannot all be had, the drawing is not begun.
bool DrawingThreadsCanStart(std::size_t bytes)
{
    // Stored through a volatile pointer so the compiler cannot leave the allocation out.
    void* volatile held = std::malloc(bytes + (std::size_t{1} << 20));
    if (held == nullptr)
        return false;
    std::mutex mutex;
    std::condition_variable released;
    bool release = false;
    std::vector<std::thread> threads;
    bool started = true;
    try {
        // Each waits until all have started, so they hold their stacks at the same time.
        for (int i = 0; i < std::max(1, QThread::idealThreadCount()); ++i)
            threads.emplace_back([&] {
                std::unique_lock lock(mutex);
                released.wait(lock, [&] { return release; });
            });
    } catch (const std::system_error&) {
        started = false;
    }
    {
        const std::lock_guard lock(mutex);
        release = true;
    }
    released.notify_all();
    for (std::thread& thread : threads)
        thread.join();
    std::free(held);
    return started;
}

// Keeps only the layouts the rest of this file works with: 1-bit, 8-bit palette or grey,
// 24-bit RGB, and 32-bit ARGB for anything with alpha.
QImage Normalised(QImage image)
{
    switch (image.format()) {
    case QImage::Format_Mono:
    case QImage::Format_Indexed8:
    case QImage::Format_Grayscale8:
    case QImage::Format_RGB888:
    case QImage::Format_ARGB32:
        return image;
    case QImage::Format_MonoLSB:
        return ConvertedHere(image, QImage::Format_Mono);
    case QImage::Format_Grayscale16:
        return ConvertedHere(image, QImage::Format_Grayscale8);
    default:
        return ConvertedHere(image, image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB888);
    }
}

// The depth of a normalised image as it is held.
int DecodedBits(const QImage& image)
{
    switch (image.format()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB: return 1;
    case QImage::Format_Indexed8:
    case QImage::Format_Grayscale8: return 8;
    case QImage::Format_RGB888: return 24;
    default: return 32;
    }
}

// --- Palettes -----------------------------------------------------------------------------------

QList<QRgb> GreyTable()
{
    QList<QRgb> table;
    table.reserve(256);
    for (int i = 0; i < 256; ++i)
        table.push_back(qRgb(i, i, i));
    return table;
}

// An 8-bit palette image whose entry i is (i, i, i): its indices are grey levels.
bool HasGreyRamp(const QImage& image)
{
    if (image.format() != QImage::Format_Indexed8)
        return false;
    const QList<QRgb> table = image.colorTable();
    for (qsizetype i = 0; i < table.size(); ++i)
        if ((table[i] & 0x00FFFFFFu) != (qRgb(static_cast<int>(i), static_cast<int>(i), static_cast<int>(i)) & 0x00FFFFFFu))
            return false;
    return true;
}

// Grey levels as they are to be written: a palette image whose palette is a grey ramp is the
// same thing as a grey image, and saves as one.
QImage AsGreyIfGreyRamp(const QImage& image)
{
    if (!HasGreyRamp(image))
        return image;
    QImage grey(image.width(), image.height(), QImage::Format_Grayscale8);
    if (grey.isNull())
        return image;
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(grey.scanLine(y), image.constScanLine(y), static_cast<std::size_t>(image.width()));
    return grey;
}

// --- Writing ------------------------------------------------------------------------------------

void AppendToVector(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(context);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

// Targa through stb_image_write: grey as one channel, alpha as four, everything else as RGB.
bool WriteTarga(const QImage& source, const std::filesystem::path& path, FileSync sync)
{
    const QImage grey = AsGreyIfGreyRamp(source);
    int channels = 3;
    QImage image;
    if (grey.format() == QImage::Format_Grayscale8) {
        channels = 1;
        image = grey;
    } else if (source.hasAlphaChannel()) {
        channels = 4;
        image = ConvertedHere(source, QImage::Format_RGBA8888);
    } else {
        image = ConvertedHere(source, QImage::Format_RGB888);
    }
    if (image.isNull())
        return false;
    const std::size_t rowBytes = static_cast<std::size_t>(image.width()) * static_cast<std::size_t>(channels);
    std::vector<std::uint8_t> packed(rowBytes * static_cast<std::size_t>(image.height()));
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(packed.data() + static_cast<std::size_t>(y) * rowBytes, image.constScanLine(y), rowBytes);
    std::vector<std::uint8_t> file;
    if (stbi_write_tga_to_func(AppendToVector, &file, image.width(), image.height(), channels, packed.data()) == 0)
        return false;
    return WriteFileBytes(path, file.data(), file.size(), sync);
}

const char* QtWriteFormat(const std::string& ext)
{
    if (ext == ".png") return "png";
    if (ext == ".bmp") return "bmp";
    if (ext == ".jpg" || ext == ".jpeg") return "jpeg";
    if (ext == ".tif" || ext == ".tiff") return "tiff";
    if (ext == ".webp") return "webp";
    return nullptr;
}

bool WriteWithQt(const QImage& source, const std::filesystem::path& path, const char* format, FileSync sync)
{
    const QImage image = AsGreyIfGreyRamp(source);
    QByteArray encoded;
    QBuffer buffer(&encoded);
    if (!buffer.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&buffer, format);
    if (std::strcmp(format, "webp") == 0)
        writer.setQuality(100);  // Qt's WebP writer is lossless at full quality
    if (!writer.write(image))
        return false;
    buffer.close();
    return WriteFileBytes(path, encoded.constData(), static_cast<std::size_t>(encoded.size()), sync);
}

// Tells whether an allocation failed while an image was read. The decoders hand out a null
// image whatever went wrong, but every allocation that fails below them (malloc, mmap) sets
// errno to ENOMEM and no call sets it back to zero, so a read that leaves ENOMEM behind ran
// short of memory somewhere.
class AllocationFailureWatch {
public:
    AllocationFailureWatch() { errno = 0; }
    AllocationFailureWatch(const AllocationFailureWatch&) = delete;
    AllocationFailureWatch& operator=(const AllocationFailureWatch&) = delete;

    // Nothing, with the failure's kind put where the caller wants it.
    std::nullopt_t Failed(ImageReadFailure* failure) const
    {
        if (failure != nullptr)
            *failure = errno == ENOMEM ? ImageReadFailure::OutOfMemory : ImageReadFailure::Unreadable;
        return std::nullopt;
    }
};

} // namespace

ImageFileType QueryImageFileType(const std::filesystem::path& path)
{
    // Only regular files: opening a FIFO or device here could block or never end.
    if (!IsRegularFile(path))
        return ImageFileType::Unknown;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return ImageFileType::Unknown;
    std::array<std::uint8_t, 12> head{};
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    return TypeFromContent(Bytes(head.data(), got), path);
}

LibraryImage::LibraryImage(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
LibraryImage::LibraryImage(LibraryImage&&) noexcept = default;
LibraryImage& LibraryImage::operator=(LibraryImage&&) noexcept = default;
LibraryImage::~LibraryImage() = default;

std::optional<LibraryImage> LibraryImage::Open(const std::filesystem::path& path, ImageReadFailure* failure)
{
    if (failure != nullptr)
        *failure = ImageReadFailure::None;
    // The whole file is read once; detection, the completeness check and decoding all look
    // at the same bytes.
    const AllocationFailureWatch watch;
    const auto bytes = ReadFileBytes(path);
    if (!bytes)
        return watch.Failed(failure);
    return Decode(*bytes, path, failure);
}

std::optional<LibraryImage> LibraryImage::Decode(std::span<const std::uint8_t> bytes, const std::filesystem::path& path,
                                                 ImageReadFailure* failure)
{
    if (failure != nullptr)
        *failure = ImageReadFailure::None;
    const AllocationFailureWatch watch;
    if (bytes.empty())
        return watch.Failed(failure);
    const Bytes data(bytes);
    const ImageFileType type = TypeFromContent(data, path);
    if (!LooksComplete(type, data))
        return watch.Failed(failure);
    QImage image;
    if (type == ImageFileType::Targa) {
        // Qt's own Targa reader refuses run-length encoded files.
        image = ReadWithStb(data);
    } else {
        image = ReadWithQt(data, type);
        // Unrecognised content Qt cannot read is tried as a Targa under another name, and must
        // then hold all its pixels as a named one must.
        if (image.isNull() && type == ImageFileType::Unknown && TargaLooksComplete(data))
            image = ReadWithStb(data);
    }
    if (image.isNull() || image.width() < 1 || image.height() < 1 || image.width() > CDIB::kMaxDimension ||
        image.height() > CDIB::kMaxDimension)
        return watch.Failed(failure);
    image = Normalised(std::move(image));
    if (image.isNull())
        return watch.Failed(failure);
    const StoredLayout layout = StoredLayoutOf(type, data);
    return LibraryImage(std::make_unique<Impl>(Impl{std::move(image), layout.bits, layout.topDownBitmap}));
}

std::optional<LibraryImage> LibraryImage::FromBitmap(const CDIB& bitmap)
{
    if (!bitmap.created() || (bitmap.bitCount() != 24 && bitmap.bitCount() != 8))
        return std::nullopt;
    const bool colour = bitmap.bitCount() == 24;
    QImage image(bitmap.width(), bitmap.height(), colour ? QImage::Format_RGB888 : QImage::Format_Grayscale8);
    if (image.isNull())
        return std::nullopt;
    for (int y = 0; y < bitmap.height(); ++y) {
        const std::uint8_t* in = bitmap.row(y);
        std::uint8_t* out = image.scanLine(y);
        if (!colour) {
            std::memcpy(out, in, static_cast<std::size_t>(bitmap.width()));
            continue;
        }
        SwapRedAndBlue(in, out, bitmap.width());
    }
    return LibraryImage(std::make_unique<Impl>(Impl{std::move(image)}));
}

std::optional<LibraryImage> LibraryImage::FromPackedBitmap(std::span<const std::uint8_t> block)
{
    // Qt reads device-independent bitmaps as BMP files: put the 14-byte file header in front,
    // whose pixel offset skips the information header, the colour masks and the palette.
    if (!le::Has(block, 0, 40))
        return std::nullopt;
    const std::uint32_t headerSize = le::U32(block, 0);
    const std::uint16_t bits = le::U16(block, 14);
    const std::uint32_t compression = le::U32(block, 16);
    const std::uint32_t coloursUsed = le::U32(block, 32);
    if (headerSize < 40 || headerSize > block.size() || bits == 0 || bits > 32)
        return std::nullopt;
    std::uint64_t offset = headerSize;
    if (headerSize == 40 && (compression == 3 || compression == 6))
        offset += compression == 3 ? 12 : 16;  // the colour masks follow the short header
    if (bits <= 8)
        offset += 4ull * (coloursUsed != 0 && coloursUsed <= 256 ? coloursUsed : 1u << bits);
    else
        offset += 4ull * std::min<std::uint32_t>(coloursUsed, 256);
    if (offset > block.size())
        return std::nullopt;
    std::vector<std::uint8_t> file;
    file.reserve(14 + block.size());
    file.push_back('B');
    file.push_back('M');
    le::PutU32(file, static_cast<std::uint32_t>(14 + block.size()));
    le::PutU32(file, 0);
    le::PutU32(file, static_cast<std::uint32_t>(14 + offset));
    file.insert(file.end(), block.begin(), block.end());
    if (!BmpLooksComplete(file))
        return std::nullopt;
    QImage image = ReadWithQt(file, ImageFileType::Bmp);
    if (image.isNull() || image.width() > CDIB::kMaxDimension || image.height() > CDIB::kMaxDimension)
        return std::nullopt;
    image = Normalised(std::move(image));
    if (image.isNull())
        return std::nullopt;
    return LibraryImage(std::make_unique<Impl>(Impl{std::move(image)}));
}

int LibraryImage::width() const { return impl_->image.width(); }
int LibraryImage::height() const { return impl_->image.height(); }

int LibraryImage::bitsPerPixel() const
{
    return impl_->fileBits != 0 ? impl_->fileBits : DecodedBits(impl_->image);
}

bool LibraryImage::topDownBitmap() const { return impl_->topDownBitmap; }

void LibraryImage::ConvertTo24Bits()
{
    impl_->fileBits = 0;
    if (impl_->image.format() == QImage::Format_RGB888)
        return;
    // Qt drops alpha without premultiplying, so colours under transparent pixels survive.
    QImage converted = ConvertedHere(impl_->image, QImage::Format_RGB888);
    if (!converted.isNull())
        impl_->image = std::move(converted);
}

void LibraryImage::ReduceTo8Bits()
{
    if (bitsPerPixel() <= 8)
        return;
    impl_->fileBits = 0;
    const QImage rgb = ConvertedHere(impl_->image, QImage::Format_RGB888);
    QImage grey(rgb.width(), rgb.height(), QImage::Format_Grayscale8);
    if (rgb.isNull() || grey.isNull())
        return;
    // Luma with the Rec. 601 weights in 8-bit fixed point (77 + 150 + 29 = 256), computed
    // here rather than by Qt so grey levels do not depend on Qt's colour-space handling.
    for (int y = 0; y < rgb.height(); ++y) {
        const std::uint8_t* in = rgb.constScanLine(y);
        std::uint8_t* out = grey.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x, in += 3)
            out[x] = static_cast<std::uint8_t>((in[0] * 77 + in[1] * 150 + in[2] * 29 + 128) >> 8);
    }
    impl_->image = std::move(grey);
}

void LibraryImage::ExpandTo8Bits()
{
    if (bitsPerPixel() >= 8)
        return;
    impl_->fileBits = 0;
    QImage expanded = impl_->image.convertToFormat(QImage::Format_Indexed8);
    if (!expanded.isNull())
        impl_->image = std::move(expanded);
}

void LibraryImage::FlipVertically() { impl_->image.mirror(false, true); }
void LibraryImage::FlipHorizontally() { impl_->image.mirror(true, false); }

void LibraryImage::InvertColours()
{
    QImage& image = impl_->image;
    switch (image.format()) {
    case QImage::Format_Indexed8:
    case QImage::Format_Mono: {
        // Palette images invert both views of a pixel: index i becomes last - i and the entry
        // it now points at holds the inverse of the old colour. A grey-ramp palette stays a
        // grey ramp, so indices read as grey levels are inverted too.
        const int entries = image.format() == QImage::Format_Mono ? 2 : 256;
        const QList<QRgb> old = image.colorTable();
        QList<QRgb> table(entries, qRgb(255, 255, 255));
        for (int i = 0; i < std::min<int>(entries, static_cast<int>(old.size())); ++i)
            table[entries - 1 - i] = qRgba(255 - qRed(old[i]), 255 - qGreen(old[i]), 255 - qBlue(old[i]), qAlpha(old[i]));
        const std::size_t rowBytes = static_cast<std::size_t>(image.bytesPerLine());
        for (int y = 0; y < image.height(); ++y) {
            std::uint8_t* row = image.scanLine(y);
            for (std::size_t x = 0; x < rowBytes; ++x)
                row[x] = static_cast<std::uint8_t>(~row[x]);
        }
        image.setColorTable(table);
        return;
    }
    default:
        image.invertPixels(QImage::InvertRgb);  // colour only; alpha stays
        return;
    }
}

void LibraryImage::RotateClockwise(int degrees)
{
    if (degrees != 90 && degrees != 180 && degrees != 270)
        return;
    QImage rotated = impl_->image.transformed(QTransform().rotate(degrees));
    if (!rotated.isNull())
        impl_->image = Normalised(std::move(rotated));
}

void LibraryImage::Resize(int newWidth, int newHeight)
{
    if (newWidth < 1 || newHeight < 1 || (newWidth == width() && newHeight == height()))
        return;
    QImage source = impl_->image;
    if (source.format() == QImage::Format_Indexed8 || source.format() == QImage::Format_Mono)
        source = ConvertedHere(source, QImage::Format_RGB888);
    // Qt works on 32-bit copies of the source and the result.
    const auto pixels = [](int width, int height) { return static_cast<std::size_t>(width) * static_cast<std::size_t>(height); };
    if (!DrawingThreadsCanStart((pixels(source.width(), source.height()) + pixels(newWidth, newHeight)) * 4))
        return;
    QImage scaled = source.scaled(newWidth, newHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (!scaled.isNull())
        impl_->image = Normalised(std::move(scaled));
}

void LibraryImage::Reduce(Reduction reduction)
{
    const QImage rgb = ConvertedHere(impl_->image, QImage::Format_RGB888);
    if (rgb.isNull())
        return;
    QImage reduced;
    switch (reduction) {
    case Reduction::Monochrome:
        reduced = rgb.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither | Qt::MonoOnly);
        break;
    case Reduction::Halftone:
        reduced = rgb.convertToFormat(QImage::Format_Mono, Qt::OrderedDither | Qt::MonoOnly);
        break;
    case Reduction::Colours16: {
        // The sixteen colours of the standard VGA palette, matched with error diffusion.
        static constexpr QRgb kVga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                                          0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
        QList<QRgb> table;
        for (const QRgb c : kVga)
            table.push_back(0xFF000000u | c);
        reduced = rgb.convertToFormat(QImage::Format_Indexed8, table, Qt::DiffuseDither);
        break;
    }
    case Reduction::Colours256:
        reduced = rgb.convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither | Qt::PreferDither);
        break;
    case Reduction::Grey256:
        impl_->image = rgb;
        ReduceTo8Bits();
        reduced = impl_->image;
        break;
    }
    if (reduced.isNull())
        return;
    QImage back = ConvertedHere(reduced, QImage::Format_RGB888);
    if (!back.isNull())
        impl_->image = std::move(back);
}

std::vector<std::uint8_t> LibraryImage::PackedRows() const
{
    const QImage& image = impl_->image;
    const int bits = DecodedBits(image);
    if (bits != 24 && bits != 8)
        return {};
    const std::size_t stride = CDIB::StrideFor(image.width(), bits);
    std::vector<std::uint8_t> rows(stride * static_cast<std::size_t>(image.height()), 0);
    for (int y = 0; y < image.height(); ++y) {
        const std::uint8_t* in = image.constScanLine(image.height() - 1 - y);
        std::uint8_t* out = rows.data() + static_cast<std::size_t>(y) * stride;
        if (bits == 8) {
            std::memcpy(out, in, static_cast<std::size_t>(image.width()));
            continue;
        }
        SwapRedAndBlue(in, out, image.width());
    }
    return rows;
}

std::vector<std::uint8_t> LibraryImage::PackedBitmap() const
{
    const int bits = bitsPerPixel();
    const std::vector<std::uint8_t> rows = PackedRows();
    if (rows.empty())
        return {};
    const std::vector<std::uint32_t> palette = Palette();
    std::vector<std::uint8_t> block;
    block.reserve(40 + 4 * palette.size() + rows.size());
    le::PutU32(block, 40);
    le::PutI32(block, width());
    le::PutI32(block, height());  // positive: bottom row first
    le::PutU16(block, 1);
    le::PutU16(block, static_cast<std::uint16_t>(bits));
    le::PutU32(block, 0);
    le::PutU32(block, static_cast<std::uint32_t>(rows.size()));
    le::PutU32(block, 0);
    le::PutU32(block, 0);
    le::PutU32(block, static_cast<std::uint32_t>(palette.size()));
    le::PutU32(block, 0);
    for (const std::uint32_t entry : palette)
        le::PutU32(block, entry);  // blue, green, red, reserved
    block.insert(block.end(), rows.begin(), rows.end());
    return block;
}

std::vector<std::uint32_t> LibraryImage::Palette() const
{
    const QImage& image = impl_->image;
    if (DecodedBits(image) != 8)
        return {};
    std::vector<std::uint32_t> palette(256, 0);
    const QList<QRgb> table = image.format() == QImage::Format_Grayscale8 ? GreyTable() : image.colorTable();
    for (int i = 0; i < std::min<int>(256, static_cast<int>(table.size())); ++i)
        palette[static_cast<std::size_t>(i)] = table[i] & 0x00FFFFFFu;
    return palette;
}

bool LibraryImage::Save(const std::filesystem::path& path, ImageSaveFormat format, FileSync sync) const
{
    if (format == ImageSaveFormat::Tiff)
        return WriteWithQt(impl_->image, path, "tiff", sync);
    if (format != ImageSaveFormat::ByExtension)
        return false;
    const std::string ext = LowerExtension(path);
    if (ext == ".tga")
        return WriteTarga(impl_->image, path, sync);
    const char* qtFormat = QtWriteFormat(ext);
    return qtFormat != nullptr && WriteWithQt(impl_->image, path, qtFormat, sync);
}

} // namespace gessoria
