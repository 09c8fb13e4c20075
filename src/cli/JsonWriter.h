#pragma once
// JsonWriter: a small streaming JSON writer with commas and escaping handled.
// Floats are written in their shortest round-trip form; non-finite values as null.

#include <cstdint>
#include <ostream>
#include <string_view>
#include <vector>

namespace gessoria::cli {

class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out) : out_(out) {}

    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    void Key(std::string_view key);

    void String(std::string_view value);
    void Int(std::int64_t value);
    void Float(float value);
    void Bool(bool value);

    template <typename T>
    void Field(std::string_view key, const T& value)
    {
        Key(key);
        Write(value);
    }

private:
    void Write(std::string_view v) { String(v); }
    void Write(const char* v) { String(v); }
    void Write(float v) { Float(v); }
    void Write(bool v) { Bool(v); }
    void Write(std::int64_t v) { Int(v); }
    void Write(std::int32_t v) { Int(v); }
    void Write(std::int16_t v) { Int(v); }
    void Write(std::uint32_t v) { Int(v); }
    void Write(std::uint16_t v) { Int(v); }
    void Write(std::uint8_t v) { Int(v); }

    void BeforeValue();

    std::ostream& out_;
    std::vector<bool> first_;  // per open container: no element written yet
    bool afterKey_ = false;
};

} // namespace gessoria::cli
