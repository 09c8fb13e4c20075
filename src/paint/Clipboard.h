#pragma once
// Clipboard: the system clipboard as the floater commands use it, and an in-memory one.
//
// The commands open the clipboard, empty or read it, set or get whole blocks of bytes in one
// of two formats (the private floater block and a standard device-independent bitmap) and
// close it again; every step can fail, and the commands report each failure with its own
// message. The desktop program moves the blocks through its toolkit's clipboard; the command
// line and the tests keep them in a MemoryClipboard.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace gessoria {

enum class ClipFormat { Floater = 0, Dib = 1 };

class ClipboardPort {
public:
    virtual ~ClipboardPort() = default;
    virtual bool Open() = 0;
    virtual bool Empty() = 0;
    virtual bool Set(ClipFormat format, std::vector<std::uint8_t> block) = 0;
    virtual bool Has(ClipFormat format) const = 0;
    virtual std::optional<std::vector<std::uint8_t>> Get(ClipFormat format) const = 0;
    virtual bool Close() = 0;
};

class MemoryClipboard : public ClipboardPort {
public:
    bool Open() override { return true; }
    bool Empty() override
    {
        for (auto& block : blocks_)
            block.reset();
        return true;
    }
    bool Set(ClipFormat format, std::vector<std::uint8_t> block) override
    {
        blocks_[static_cast<std::size_t>(format)] = std::move(block);
        return true;
    }
    bool Has(ClipFormat format) const override { return blocks_[static_cast<std::size_t>(format)].has_value(); }
    std::optional<std::vector<std::uint8_t>> Get(ClipFormat format) const override
    {
        return blocks_[static_cast<std::size_t>(format)];
    }
    bool Close() override { return true; }

private:
    std::array<std::optional<std::vector<std::uint8_t>>, 2> blocks_;
};

} // namespace gessoria
