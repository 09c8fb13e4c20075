#pragma once
// ProfileFile: an initialisation file of sections and "key=value" lines, read and written
// with the semantics the program's settings and libraries rely on.
//
// - Sections and keys are found without regard to case; keys may hold blanks, underscores
//   and colons ("X Spacing", "Special A: ") and are written exactly as first given.
// - A new key goes to the end of its section, a new section to the end of the file; a key
//   written again keeps its place. Values are read with surrounding blanks removed.
// - Lines the profile does not understand (comments, lines without "=", anything before the
//   first section) and repeated sections and keys are kept as they are and written back; a
//   read or a write finds the first section of a name and the first key within it.
// - A string or integer value enclosed in one pair of double or single quotes is read
//   without them; the file keeps the quotes.
// - Integers read like the private-profile integer call: an optional sign and the leading
//   decimal digits; a missing key gives the default, a value without digits gives 0.
// - Strings are read into a buffer of a given size: at most size - 1 characters.
// - A binary block is written as upper-case hexadecimal, two digits a byte, followed by the
//   two digits of a checksum byte (the sum of the bytes modulo 256); it reads back only when
//   both its length and its checksum match.
// Files are written with CR LF line ends and a blank line between sections, and read with
// either line end. Saving writes a temporary file beside the target and renames it over the
// target, so a crash or a full disk never leaves a truncated or empty file.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace gessoria {

class ProfileFile {
public:
    // The file's contents; an empty profile when the file does not exist or cannot be read.
    static ProfileFile Load(const std::filesystem::path& path);
    // A profile over a file's text (either line end).
    static ProfileFile FromText(std::string_view text);

    bool HasKey(const std::string& section, const std::string& key) const;
    int GetInt(const std::string& section, const std::string& key, int defaultValue) const;
    std::string GetString(const std::string& section, const std::string& key, const std::string& defaultValue,
                          std::size_t bufferSize) const;
    // The block, when present with exactly `size` bytes and a matching checksum.
    std::optional<std::vector<std::uint8_t>> GetStruct(const std::string& section, const std::string& key,
                                                       std::size_t size) const;

    void SetInt(const std::string& section, const std::string& key, int value);
    void SetString(const std::string& section, const std::string& key, const std::string& value);
    void SetStruct(const std::string& section, const std::string& key, std::span<const std::uint8_t> bytes);

    std::string Text() const;
    // Writes the whole profile to `path` safely; false when it could not be written (the
    // file on disk is then unchanged).
    bool Save(const std::filesystem::path& path) const;

private:
    // A "key=value" line, or (isEntry false) a line kept verbatim in `key`.
    struct Entry {
        std::string key;
        std::string value;
        bool isEntry = true;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
        bool hasHeader = true;  // false only for the lines before the first section
    };

    Section* FindSection(const std::string& section);
    const Section* FindSection(const std::string& section) const;
    const std::string* Find(const std::string& section, const std::string& key) const;
    // The value as the string and integer calls read it: one pair of surrounding quotes removed.
    std::optional<std::string> Unquoted(const std::string& section, const std::string& key) const;
    void Set(const std::string& section, const std::string& key, std::string value);

    std::vector<Section> sections_;
};

// Writes one key and saves the file at once, as a single private-profile write does.
bool WriteProfileInt(const std::filesystem::path& path, const std::string& section, const std::string& key, int value);
bool WriteProfileString(const std::filesystem::path& path, const std::string& section, const std::string& key,
                        const std::string& value);

} // namespace gessoria
