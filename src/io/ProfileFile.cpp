#include "io/ProfileFile.h"

#include "io/FileBytes.h"

#include <algorithm>
#include <cctype>

namespace gessoria {
namespace {

std::string_view TrimmedView(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::string Trimmed(std::string_view text) { return std::string(TrimmedView(text)); }

// Every lookup compares names with every section and key before it; no copies.
bool SameName(std::string_view a, std::string_view b)
{
    const std::string_view x = TrimmedView(a), y = TrimmedView(b);
    return x.size() == y.size() && std::equal(x.begin(), x.end(), y.begin(), [](char l, char r) {
               return std::tolower(static_cast<unsigned char>(l)) == std::tolower(static_cast<unsigned char>(r));
           });
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

ProfileFile ProfileFile::Load(const std::filesystem::path& path)
{
    const auto bytes = ReadFileBytes(path);
    if (!bytes)
        return {};
    return FromText(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

ProfileFile ProfileFile::FromText(std::string_view text)
{
    ProfileFile profile;
    std::size_t at = 0;
    while (at < text.size()) {
        auto end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string line = Trimmed(text.substr(at, end - at));
        at = end + 1;
        // Blank lines carry nothing: the writer puts one between sections.
        if (line.empty())
            continue;
        if (line.front() == '[') {
            const auto close = line.find(']');
            profile.sections_.push_back({line.substr(1, close == std::string::npos ? std::string::npos : close - 1), {}});
            continue;
        }
        if (profile.sections_.empty())
            profile.sections_.push_back({{}, {}, false});
        Section& current = profile.sections_.back();
        const auto equals = line.find('=');
        if (line.front() == ';' || equals == std::string::npos || !current.hasHeader)
            current.entries.push_back({line, {}, false});
        else
            current.entries.push_back({line.substr(0, equals), Trimmed(line.substr(equals + 1))});
    }
    return profile;
}

ProfileFile::Section* ProfileFile::FindSection(const std::string& section)
{
    const auto found = std::find_if(sections_.begin(), sections_.end(),
                                    [&](const Section& s) { return s.hasHeader && SameName(s.name, section); });
    return found == sections_.end() ? nullptr : &*found;
}

const ProfileFile::Section* ProfileFile::FindSection(const std::string& section) const
{
    return const_cast<ProfileFile*>(this)->FindSection(section);
}

const std::string* ProfileFile::Find(const std::string& section, const std::string& key) const
{
    const Section* s = FindSection(section);
    if (s == nullptr)
        return nullptr;
    for (const Entry& e : s->entries)
        if (e.isEntry && SameName(e.key, key))
            return &e.value;
    return nullptr;
}

std::optional<std::string> ProfileFile::Unquoted(const std::string& section, const std::string& key) const
{
    const std::string* value = Find(section, key);
    if (value == nullptr)
        return std::nullopt;
    if (value->size() >= 2 && (value->front() == '"' || value->front() == '\'') && value->back() == value->front())
        return value->substr(1, value->size() - 2);
    return *value;
}

bool ProfileFile::HasKey(const std::string& section, const std::string& key) const
{
    return Find(section, key) != nullptr;
}

int ProfileFile::GetInt(const std::string& section, const std::string& key, int defaultValue) const
{
    const auto value = Unquoted(section, key);
    if (!value)
        return defaultValue;
    std::size_t at = 0;
    bool negative = false;
    if (at < value->size() && (value->at(at) == '-' || value->at(at) == '+'))
        negative = value->at(at++) == '-';
    long long result = 0;
    for (; at < value->size() && std::isdigit(static_cast<unsigned char>(value->at(at))); ++at)
        result = std::min<long long>(result * 10 + (value->at(at) - '0'), 1LL << 32);
    return static_cast<int>(static_cast<std::uint32_t>(negative ? -result : result));
}

std::string ProfileFile::GetString(const std::string& section, const std::string& key, const std::string& defaultValue,
                                   std::size_t bufferSize) const
{
    std::string result = Unquoted(section, key).value_or(defaultValue);
    if (bufferSize == 0)
        return {};
    if (result.size() > bufferSize - 1)
        result.resize(bufferSize - 1);
    return result;
}

std::optional<std::vector<std::uint8_t>> ProfileFile::GetStruct(const std::string& section, const std::string& key,
                                                                std::size_t size) const
{
    const std::string* value = Find(section, key);
    if (value == nullptr || value->size() != 2 * (size + 1))
        return std::nullopt;
    std::vector<std::uint8_t> bytes(size + 1);
    for (std::size_t i = 0; i <= size; ++i) {
        const int high = HexDigit((*value)[2 * i]), low = HexDigit((*value)[2 * i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < size; ++i)
        sum = static_cast<std::uint8_t>(sum + bytes[i]);
    if (sum != bytes[size])
        return std::nullopt;
    bytes.pop_back();
    return bytes;
}

void ProfileFile::Set(const std::string& section, const std::string& key, std::string value)
{
    Section* s = FindSection(section);
    if (s == nullptr) {
        sections_.push_back({section, {}});
        s = &sections_.back();
    }
    auto e = std::find_if(s->entries.begin(), s->entries.end(), [&](const Entry& x) { return x.isEntry && SameName(x.key, key); });
    if (e == s->entries.end())
        s->entries.push_back({key, std::move(value)});
    else
        e->value = std::move(value);
}

void ProfileFile::SetInt(const std::string& section, const std::string& key, int value)
{
    Set(section, key, std::to_string(value));
}

void ProfileFile::SetString(const std::string& section, const std::string& key, const std::string& value)
{
    // A line break would end the value early and turn the rest into lines of their own.
    std::string single = value;
    std::replace(single.begin(), single.end(), '\n', ' ');
    std::replace(single.begin(), single.end(), '\r', ' ');
    Set(section, key, std::move(single));
}

void ProfileFile::SetStruct(const std::string& section, const std::string& key, std::span<const std::uint8_t> bytes)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(2 * (bytes.size() + 1));
    std::uint8_t sum = 0;
    auto put = [&](std::uint8_t b) {
        hex.push_back(kDigits[b >> 4]);
        hex.push_back(kDigits[b & 15]);
    };
    for (const std::uint8_t b : bytes) {
        put(b);
        sum = static_cast<std::uint8_t>(sum + b);
    }
    put(sum);
    Set(section, key, std::move(hex));
}

std::string ProfileFile::Text() const
{
    std::string text;
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        // A blank line between sections; lines before the first section run straight into it.
        if (i > 0 && sections_[i - 1].hasHeader)
            text += "\r\n";
        if (sections_[i].hasHeader)
            text += "[" + sections_[i].name + "]\r\n";
        for (const Entry& e : sections_[i].entries)
            text += e.isEntry ? e.key + "=" + e.value + "\r\n" : e.key + "\r\n";
    }
    return text;
}

bool ProfileFile::Save(const std::filesystem::path& path) const
{
    const std::string text = Text();
    return WriteFileBytes(path, text.data(), text.size());
}

bool WriteProfileInt(const std::filesystem::path& path, const std::string& section, const std::string& key, int value)
{
    ProfileFile profile = ProfileFile::Load(path);
    profile.SetInt(section, key, value);
    return profile.Save(path);
}

bool WriteProfileString(const std::filesystem::path& path, const std::string& section, const std::string& key,
                        const std::string& value)
{
    ProfileFile profile = ProfileFile::Load(path);
    profile.SetString(section, key, value);
    return profile.Save(path);
}

} // namespace gessoria
