#pragma once
// The upload account of a profile, kept beside it in "<user>.pwd": an INI file with the section
// "Upload" and the keys "Username" and "Password", the password stored with every byte inverted.
// The file is readable by its owner only.
#include <string>
#include <string_view>

namespace klt {

inline constexpr std::string_view kDefaultUploadUsername = "guest";
inline constexpr std::string_view kDefaultUploadPassword = "tavel";

struct TUploadCredentials {
    std::string Username{kDefaultUploadUsername};
    std::string Password{kDefaultUploadPassword};

    bool operator==(const TUploadCredentials&) const = default;
};

// A missing file or key gives the default; each text is cut to 70 characters.
TUploadCredentials ReadUploadCredentials(const std::string& path);
// Replaces the file atomically with mode 0600; EInOutError when it cannot.
void WriteUploadCredentials(const std::string& path, const TUploadCredentials& credentials);

// The credentials file's text, and the credentials in such a text.
std::string UploadCredentialsText(const TUploadCredentials& credentials);
TUploadCredentials ParseUploadCredentials(std::string_view text);

} // namespace klt
