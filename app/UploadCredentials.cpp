#include "app/UploadCredentials.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "core/IgnoreCase.h"
#include "app/ProfileOptionSets.h"
#include "core/BinaryFile.h"
#include "core/Exceptions.h"
#include "core/SmallFile.h"
#include "core/Utf8Chars.h"

namespace klt {
namespace {

constexpr std::string_view kSection = "Upload";
constexpr std::string_view kUsernameKey = "Username";
constexpr std::string_view kPasswordKey = "Password";
// A credentials file is a few lines; a larger file is not one.
constexpr std::size_t kMaxFileSize = 64 * 1024;
constexpr unsigned kOwnerOnly = 0600;

std::string Inverted(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(~static_cast<unsigned char>(c));
    }
    return out;
}

// Bytes that would end or blur an INI line (line breaks, other control bytes) are written as
// "%XX", and so is "%" itself; printable text, which is what an inverted ASCII password is, stays
// as it is.
std::string EncodeValue(std::string_view value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : value) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '%') {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

std::string DecodeValue(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned byte = 0;
        if (text[i] == '%' && i + 2 < text.size()) {
            auto [end, error] = std::from_chars(text.data() + i + 1, text.data() + i + 3, byte, 16);
            if (error == std::errc() && end == text.data() + i + 3) {
                out += static_cast<char>(byte);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

std::string UploadCredentialsText(const TUploadCredentials& credentials) {
    std::string text;
    text.append("[").append(kSection).append("]\n");
    text.append(kUsernameKey).append("=").append(EncodeValue(credentials.Username)).append("\n");
    text.append(kPasswordKey).append("=").append(EncodeValue(Inverted(credentials.Password))).append("\n");
    return text;
}

TUploadCredentials ParseUploadCredentials(std::string_view text) {
    TUploadCredentials credentials;
    bool inSection = false;
    while (!text.empty()) {
        std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        std::string_view trimmed = TrimBlanks(line);
        if (trimmed.starts_with('[') && trimmed.ends_with(']')) {
            inSection = EqualsIgnoringCase(trimmed.substr(1, trimmed.size() - 2), kSection);
            continue;
        }
        std::size_t equals = line.find('=');
        if (!inSection || equals == std::string_view::npos) {
            continue;
        }
        std::string_view key = TrimBlanks(line.substr(0, equals));
        std::string value = DecodeValue(line.substr(equals + 1));
        if (EqualsIgnoringCase(key, kUsernameKey)) {
            credentials.Username = TruncateChars(TrimText(value), TUploadDataOptionSet::kMaxTextLength);
        } else if (EqualsIgnoringCase(key, kPasswordKey)) {
            // Taken exactly: an inverted password may begin or end with a blank.
            credentials.Password = TruncateChars(Inverted(value), TUploadDataOptionSet::kMaxTextLength);
        }
    }
    return credentials;
}

TUploadCredentials ReadUploadCredentials(const std::string& path) {
    try {
        std::optional<std::string> text = ReadSmallFile(path, kMaxFileSize);
        return text ? ParseUploadCredentials(*text) : TUploadCredentials{};
    } catch (const EInOutError&) {
        return {};
    }
}

void WriteUploadCredentials(const std::string& path, const TUploadCredentials& credentials) {
    TAtomicFileWriter writer(path);
    writer.SetPermissions(kOwnerOnly);
    std::string text = UploadCredentialsText(credentials);
    writer.Write(text.data(), text.size());
    writer.Commit();
}

} // namespace klt
