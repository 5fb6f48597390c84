#pragma once
// A minimal streaming JSON writer: enough for the tool's output, with correct string escaping.
#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace klt::cli {

class TJsonWriter {
public:
    TJsonWriter& BeginObject();
    TJsonWriter& EndObject();
    TJsonWriter& BeginArray();
    TJsonWriter& EndArray();
    TJsonWriter& Key(std::string_view key);
    TJsonWriter& Value(std::string_view text);
    TJsonWriter& Value(const char* text) { return Value(std::string_view(text)); }
    TJsonWriter& Value(bool flag);
    // Shortest text that reads back as the same number; null for infinities and NaN.
    TJsonWriter& Value(double number);
    template <std::integral T>
        requires(!std::same_as<T, bool>)
    TJsonWriter& Value(T number) {
        return Number(static_cast<int64_t>(number));
    }

    template <typename T>
    TJsonWriter& Field(std::string_view key, const T& value) {
        return Key(key).Value(value);
    }

    const std::string& Text() const { return out_; }

private:
    TJsonWriter& Number(int64_t number);
    void Separate();

    std::string out_;
    std::vector<bool> first_; // per open container: no element written yet
    bool afterKey_ = false;
};

std::string JsonEscape(std::string_view text);

} // namespace klt::cli
