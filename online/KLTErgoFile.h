#pragma once
// An ergo program: the steps the live mode plays on the ergometer, each with its time and its
// targets, one of which controls the brake. One program per ".erg" file, in the line form of the
// online options.
#include <cstdint>
#include <string>
#include <vector>

namespace klt {

class TKLTErgoSectionDataUnit {
public:
    int32_t Value = 0;
    bool Checked = false;

    bool operator==(const TKLTErgoSectionDataUnit&) const = default;
};

// The values of a step, in the order of the file.
enum class TErgoUnit { Time, Power, Heartrate, Cadence };

// The quantity that controls the brake during a step.
enum class TErgoControl { None, Power, Cadence, Heartrate };

// One step. Values in the head unit's raw units: Time in 1/100 s, Power in 1/8 W, Heartrate in
// 1/64 bpm, Cadence in 1/32 rpm. Checked on Time marks the step for the marked-step buttons.
class TKLTErgoSection {
public:
    TKLTErgoSectionDataUnit Time;
    TKLTErgoSectionDataUnit Power;
    TKLTErgoSectionDataUnit Heartrate;
    TKLTErgoSectionDataUnit Cadence;

    TKLTErgoSectionDataUnit& Unit(TErgoUnit unit);
    const TKLTErgoSectionDataUnit& Unit(TErgoUnit unit) const;

    // The last checked of Power, Cadence, Heartrate.
    TErgoControl ControlledBy() const;

    bool operator==(const TKLTErgoSection&) const = default;
};

class TKLTErgoFile {
public:
    static constexpr size_t kMaxCommentaryChars = 70;

    // A reset program without a file.
    TKLTErgoFile();
    // The program of the file at path ("dir/name.erg"), not yet loaded.
    static TKLTErgoFile AtPath(const std::string& path);

    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    // Up to and including the last "/"; empty for a program without a file.
    const std::string& Directory() const { return directory_; }
    void SetDirectory(std::string directory) { directory_ = std::move(directory); }
    std::string Path() const { return directory_ + name_ + extension_; }
    const std::string& Commentary() const { return commentary_; }
    void SetCommentary(std::string_view commentary); // cut to 70 characters

    // Reads the file. False, with the program reset, when there is no file to read (no directory
    // or name, a file that cannot be opened). A damaged file resets the program and throws
    // EInOutError with the message for the user, the file's path in it.
    bool Load();
    // Writes the file atomically, creating its directory; nothing without a directory. Throws
    // EInOutError ("Cannot open File %s" or the failure, with the path); the old file then stays.
    void Save() const;
    // False when there was no file to delete.
    bool DeleteFile() const;
    // Saves under the new name, then deletes the old file: a failed save loses nothing and keeps
    // the old name.
    void Rename(const std::string& newName);

    // One empty step and no commentary.
    void Reset();
    int Count() const { return static_cast<int>(sections_.size()); }
    // Nothing for an index outside the steps.
    const TKLTErgoSection* Section(int i) const;
    // Replaces step i; i = Count() or beyond appends one. Ignored for a negative index.
    void PutSection(int i, const TKLTErgoSection& section);
    void AppendSection();
    // Ignored outside the steps; deleting the only step leaves none.
    void DeleteSection(int i);
    // An empty step at i (0..Count(); beyond the end appends).
    void InsertSection(int i);
    // Swaps steps i and j; ignored unless both exist.
    void SwapSections(int i, int j);

    // Sum of the step times, in 1/100 s.
    int64_t TotalTime() const;
    // Work of the power targets over the step times, in kJ (steps without time add nothing).
    double TotalWork() const;

    // Equal steps, names and commentaries; the directory is not compared.
    bool SameAs(const TKLTErgoFile& other) const;
    void AssignFrom(const TKLTErgoFile& other) { *this = other; }

    // Reads program text as a file holds it; throws EInOutError like Load, naming `path`.
    void ReadText(std::string_view text, const std::string& path);
    std::string WriteText() const;

private:
    std::string name_;
    std::string directory_;
    std::string extension_ = ".erg";
    std::string commentary_;
    std::vector<TKLTErgoSection> sections_;
};

} // namespace klt
