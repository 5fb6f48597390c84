#pragma once
// All options of the live mode, kept in "OnlineOptions.cfg" (or "TelemetrieOptions.cfg" for the
// telemetry window) in the options directory. The directory is the root's own and handed down to
// the sets that need it, so two option trees (normal and telemetry, or a test's) never share one.
#include <string>
#include <string_view>
#include <vector>

#include "online/OnlineCommonOptionSet.h"
#include "online/OnlineDemoModeOptionSet.h"
#include "online/OnlineErgometerOptions.h"
#include "online/OnlineMainChartOptionSet.h"

namespace klt {

class TOnlineOptions {
public:
    static constexpr std::string_view kFileName = "OnlineOptions.cfg";

    // Options with their defaults; nothing is read yet.
    explicit TOnlineOptions(const std::string& directory, std::string_view fileName = kFileName);
    virtual ~TOnlineOptions() = default;
    TOnlineOptions(const TOnlineOptions&) = default;
    TOnlineOptions& operator=(const TOnlineOptions&) = default;

    const std::string& Directory() const { return directory_; }
    void SetDirectory(const std::string& directory);
    const std::string& FileName() const { return fileName_; }
    std::string Path() const { return directory_ + "/" + fileName_; }

    TOnlineCommonOptionSet OnlineCommonOptionSet;
    TOnlineMainChartOptionSet OnlineMainChartOptionSet;
    TOnlineErgometerOptions OnlineErgometerOptions;
    TOnlineDemoModeOptionSet OnlineDemoModeOptionSet;

    void SetDefaults();
    // Compares and copies the option values; directory and file name stay.
    bool SameAs(const TOnlineOptions& other) const;
    void AssignFrom(const TOnlineOptions& other);

    // Reads the file. A missing file gives the defaults; one that cannot be read or is damaged
    // gives the defaults and a message; a set the file spoils alone falls back to its defaults,
    // with a warning.
    void Load();
    // Saves the selected ergo program, then replaces the file atomically. Throws EInOutError
    // ("Cannot open File %s", with the failure) when the file cannot be written; the old file
    // then stays as it was.
    void Save();

    // The file's text. Reading sets what the text holds; it throws EInOutError with the message
    // for the user when the text is damaged or cut short (the sets may then be read in part) and
    // returns the messages of sets reset because of a line they do not allow.
    std::string WriteText() const;
    std::vector<std::string> ReadText(std::string_view text);

private:
    std::string directory_;
    std::string fileName_;
};

class TTelemetrieOptions : public TOnlineOptions {
public:
    static constexpr std::string_view kFileName = "TelemetrieOptions.cfg";

    explicit TTelemetrieOptions(const std::string& directory) : TOnlineOptions(directory, kFileName) {}
};

} // namespace klt
