#pragma once
// The program's configuration file KLTWIN.CFG: read when the program starts, written when it ends.
#include <string>

#include "app/KLTIniData.h"

namespace klt {

class TKLTIniFile : public TKLTIniData {
public:
    static constexpr size_t kMaxFileSize = 1 << 20;

    // Loads the configuration stored at path (see Load); the destructor saves it back there.
    explicit TKLTIniFile(const std::string& path);
    // Saves, and detaches the training environment from these settings.
    ~TKLTIniFile() override;

    const std::string& Path() const { return path_; }

    // Reads the file. Without one the defaults hold silently; a damaged or unreadable one gives
    // the defaults and tells the user, and is kept beside as "<name>.damaged" instead of being
    // overwritten by the next save. Then drops vanished files from the history and applies the
    // settings.
    void Load();
    // Creates the file's directory and replaces the file; tells the user and returns false when
    // that fails.
    bool Save();
    // Makes the program follow the settings: units, palette and the training environment. After
    // loading, and whenever the options dialog changed them.
    void ApplySystemSettings();

private:
    std::string path_;
};

} // namespace klt
