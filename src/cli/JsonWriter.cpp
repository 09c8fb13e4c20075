#include "cli/JsonWriter.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace gessoria::cli {

void JsonWriter::BeforeValue()
{
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!first_.empty()) {
        if (!first_.back())
            out_ << ',';
        first_.back() = false;
    }
}

void JsonWriter::BeginObject()
{
    BeforeValue();
    out_ << '{';
    first_.push_back(true);
}

void JsonWriter::EndObject()
{
    first_.pop_back();
    out_ << '}';
}

void JsonWriter::BeginArray()
{
    BeforeValue();
    out_ << '[';
    first_.push_back(true);
}

void JsonWriter::EndArray()
{
    first_.pop_back();
    out_ << ']';
}

void JsonWriter::Key(std::string_view key)
{
    String(key);
    out_ << ':';
    afterKey_ = true;
}

void JsonWriter::String(std::string_view value)
{
    BeforeValue();
    out_ << '"';
    for (const char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': out_ << "\\\""; break;
        case '\\': out_ << "\\\\"; break;
        case '\n': out_ << "\\n"; break;
        case '\r': out_ << "\\r"; break;
        case '\t': out_ << "\\t"; break;
        default:
            if (c < 0x20 || c >= 0x80) {
                // Names from scene files are bytes, not necessarily UTF-8: escape them.
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out_ << escaped;
            } else {
                out_ << ch;
            }
        }
    }
    out_ << '"';
}

void JsonWriter::Int(std::int64_t value)
{
    BeforeValue();
    out_ << value;
}

void JsonWriter::Float(float value)
{
    BeforeValue();
    if (!std::isfinite(value)) {
        out_ << "null";
        return;
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out_.write(buffer, result.ptr - buffer);
}

void JsonWriter::Bool(bool value)
{
    BeforeValue();
    out_ << (value ? "true" : "false");
}

} // namespace gessoria::cli
