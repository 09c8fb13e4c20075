#pragma once
// SystemClipboard: the floater commands' clipboard over the desktop's clipboard (QClipboard).
//
// The private floater block travels under its own MIME type, the bitmap block as an ordinary
// image, so a copy pastes into other programs and an image copied in another program pastes
// here. Between Open and Close the blocks set are gathered and handed to the clipboard at
// Close in one piece (emptied and set together, as the commands expect). Reading an image
// turns it into the 24-bit bottom-up bitmap block the engine decodes, so pasting another
// program's picture goes through the engine's bitmap path.

#include "paint/Clipboard.h"

#include <QImage>

#include <memory>

class QClipboard;
class QMimeData;

namespace gessoria::app {

class SystemClipboard : public ClipboardPort {
public:
    static constexpr const char* kFloaterMimeType = "application/x-gessoria-floaterstruct";

    SystemClipboard();
    ~SystemClipboard() override;

    bool Open() override;
    bool Empty() override;
    bool Set(ClipFormat format, std::vector<std::uint8_t> block) override;
    bool Has(ClipFormat format) const override;
    std::optional<std::vector<std::uint8_t>> Get(ClipFormat format) const override;
    bool Close() override;

private:
    QClipboard* clipboard_;
    bool open_ = false;
    std::unique_ptr<QMimeData> pending_;  // what Close puts on the clipboard; none: nothing changes
};

// The image of a bitmap block (40-byte header, then rows); a null image when it is no bitmap.
QImage ImageOfDibBlock(const std::vector<std::uint8_t>& block);
// A 24-bit bottom-up bitmap block of an image (40-byte header, then rows padded to four
// bytes); transparency is dropped.
std::vector<std::uint8_t> DibBlockOfImage(const QImage& image);

} // namespace gessoria::app
