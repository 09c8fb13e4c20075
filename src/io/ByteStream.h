#pragma once
// ByteWriter and ByteReader: little-endian fields of a binary file, written and read one by
// one (never by copying a struct's memory).
//
// A string is a length prefix and its characters without a terminator: one byte below 255;
// 0xFF and a uint16 below 0xFFFE; else 0xFF, the uint16 0xFFFF and a uint32. A fixed text
// field holds the text, a NUL and zero filler. The reader never reads outside its span: a
// read past the end sets failed() and yields zeros, so a caller checks once after a run of
// reads.

#include <bit>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace gessoria {

class ByteWriter {
public:
    std::vector<std::uint8_t>& bytes() { return bytes_; }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    std::size_t size() const { return bytes_.size(); }

    void U8(std::uint8_t value) { bytes_.push_back(value); }
    void U16(std::uint16_t value)
    {
        bytes_.push_back(static_cast<std::uint8_t>(value));
        bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    void U32(std::uint32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8)
            bytes_.push_back(static_cast<std::uint8_t>(value >> shift));
    }
    void I16(std::int16_t value) { U16(static_cast<std::uint16_t>(value)); }
    void I32(std::int32_t value) { U32(static_cast<std::uint32_t>(value)); }
    void F32(float value) { U32(std::bit_cast<std::uint32_t>(value)); }
    void Zeros(std::size_t count) { bytes_.insert(bytes_.end(), count, 0); }
    void Raw(std::span<const std::uint8_t> data) { bytes_.insert(bytes_.end(), data.begin(), data.end()); }

    // The text cut to width - 1 characters, a NUL and zeros up to width bytes.
    void FixedText(std::string_view text, std::size_t width)
    {
        const std::size_t length = text.size() < width ? text.size() : width - 1;
        bytes_.insert(bytes_.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length));
        Zeros(width - length);
    }

    void String(std::string_view text)
    {
        const std::size_t length = text.size();
        if (length < 255) {
            U8(static_cast<std::uint8_t>(length));
        } else if (length < 0xFFFE) {
            U8(0xFF);
            U16(static_cast<std::uint16_t>(length));
        } else {
            U8(0xFF);
            U16(0xFFFF);
            U32(static_cast<std::uint32_t>(length));
        }
        bytes_.insert(bytes_.end(), text.begin(), text.end());
    }

    // Arrays of numbers, one field after another.
    template <typename T, typename Allocator>
    void Array(const std::vector<T, Allocator>& values)
    {
        Array(std::span<const T>(values));
    }
    template <typename T>
    void Array(std::span<const T> values)
    {
        const std::size_t at = bytes_.size();
        bytes_.resize(at + values.size() * sizeof(T));
        std::uint8_t* out = bytes_.data() + at;
        for (const T value : values) {
            const std::uint32_t word = std::bit_cast<WordOf<T>>(value);
            for (std::size_t b = 0; b < sizeof(T); ++b)
                *out++ = static_cast<std::uint8_t>(word >> (8 * b));
        }
    }

    template <typename T>
    using WordOf = std::conditional_t<sizeof(T) == 4, std::uint32_t, std::conditional_t<sizeof(T) == 2, std::uint16_t, std::uint8_t>>;

private:
    std::vector<std::uint8_t> bytes_;
};

class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes, std::size_t at = 0) : bytes_(bytes), at_(at) {}

    bool failed() const { return failed_; }
    std::size_t position() const { return at_; }
    std::size_t remaining() const { return at_ <= bytes_.size() ? bytes_.size() - at_ : 0; }
    // Marks the data as malformed (a value that cannot be right).
    void Fail() { failed_ = true; }

    bool Has(std::size_t count) const { return !failed_ && count <= remaining(); }

    std::uint8_t U8() { return Take(1) ? bytes_[at_ - 1] : 0; }
    std::uint16_t U16()
    {
        if (!Take(2))
            return 0;
        return static_cast<std::uint16_t>(bytes_[at_ - 2] | (bytes_[at_ - 1] << 8));
    }
    std::uint32_t U32()
    {
        if (!Take(4))
            return 0;
        const std::uint8_t* p = bytes_.data() + at_ - 4;
        return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
               (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    }
    std::int8_t I8() { return static_cast<std::int8_t>(U8()); }
    std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
    float F32() { return std::bit_cast<float>(U32()); }
    void Skip(std::size_t count) { Take(count); }
    std::span<const std::uint8_t> Raw(std::size_t count)
    {
        return Take(count) ? bytes_.subspan(at_ - count, count) : std::span<const std::uint8_t>();
    }

    // The text of a fixed field up to its first NUL.
    std::string FixedText(std::size_t width)
    {
        const auto field = Raw(width);
        std::size_t length = 0;
        while (length < field.size() && field[length] != 0)
            ++length;
        return std::string(field.begin(), field.begin() + static_cast<std::ptrdiff_t>(length));
    }

    // A string that would run past the end fails the reader and gives nothing.
    std::string String()
    {
        std::size_t length = U8();
        if (length == 0xFF) {
            length = U16();
            if (length == 0xFFFF)
                length = U32();
        }
        const auto text = Raw(length);
        return std::string(text.begin(), text.end());
    }

    // count numbers of type T into values, which is resized to count. The caller has checked
    // that count fits the data (Has), so nothing is allocated for a count the data cannot hold.
    template <typename T, typename Allocator>
    void Array(std::vector<T, Allocator>& values, std::size_t count)
    {
        const auto data = Raw(count * sizeof(T));
        if (data.size() != count * sizeof(T))
            return;
        values.resize(count);
        using Word = ByteWriter::WordOf<T>;
        const std::uint8_t* in = data.data();
        for (std::size_t i = 0; i < count; ++i, in += sizeof(T)) {
            Word word = 0;
            for (std::size_t b = 0; b < sizeof(T); ++b)
                word = static_cast<Word>(word | (static_cast<Word>(in[b]) << (8 * b)));
            values[i] = std::bit_cast<T>(word);
        }
    }

private:
    bool Take(std::size_t count)
    {
        if (!Has(count)) {
            failed_ = true;
            return false;
        }
        at_ += count;
        return true;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
    bool failed_ = false;
};

} // namespace gessoria
