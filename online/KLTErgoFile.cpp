#include "online/KLTErgoFile.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <utility>

#include "core/Exceptions.h"
#include "core/IgnoreCase.h"
#include "core/ProfileText.h"
#include "core/SmallFile.h"
#include "core/Texts.h"
#include "core/Utf8Chars.h"
#include "online/OnlineOptionFile.h"

namespace klt {
namespace {

constexpr size_t kMaxFileSize = 1 << 20; // thousands of steps; anything larger is no program
constexpr std::string_view kExtension = ".erg";

// A line the program's structure does not allow where it stands.
class EErgoFormatError : public EConvertError {
public:
    EErgoFormatError(std::string_view line, std::string_view where)
        : EConvertError(FormatText("Fileformat Error\r\n%s not allowed in %s", {line, where})) {}
};

struct TUnitTag {
    std::string_view name;
    TErgoUnit unit;
};
constexpr std::array<TUnitTag, 4> kUnits = {{
    {"Time", TErgoUnit::Time},
    {"Power", TErgoUnit::Power},
    {"Heartrate", TErgoUnit::Heartrate},
    {"Cadence", TErgoUnit::Cadence},
}};

bool Holds(std::string_view line, std::string_view text) {
    return line.find(text) != std::string_view::npos;
}

void ReadUnit(TOnlineOptionReader& reader, std::string_view name, TKLTErgoSectionDataUnit& unit) {
    const std::string closing = "</" + std::string(name) + ">";
    for (;;) {
        std::string_view line = reader.NextLine();
        if (Holds(line, closing)) {
            return;
        }
        std::optional<TProfileVariable> variable = ParseProfileVariable(line);
        if (variable && variable->name == "Value") {
            unit.Value = ProfileInteger32(variable->value);
        } else if (variable && variable->name == "Checked") {
            unit.Checked = ProfileBoolean(variable->value);
        } else {
            throw EErgoFormatError(line, "<" + std::string(name) + ">");
        }
    }
}

void ReadSection(TOnlineOptionReader& reader, TKLTErgoSection& section) {
    for (;;) {
        std::string_view line = reader.NextLine();
        if (Holds(line, "</Section>")) {
            return;
        }
        std::optional<TProfileVariable> variable = ParseProfileVariable(line);
        if (variable && variable->name == "Time") {
            section.Time.Value = ProfileInteger32(variable->value);
            continue;
        }
        bool read = false;
        for (const TUnitTag& unit : kUnits) {
            if (HoldsOpeningTag(line, unit.name)) {
                ReadUnit(reader, unit.name, section.Unit(unit.unit));
                read = true;
                break;
            }
        }
        if (!read) {
            throw EErgoFormatError(line, "<Section>");
        }
    }
}

} // namespace

TKLTErgoSectionDataUnit& TKLTErgoSection::Unit(TErgoUnit unit) {
    switch (unit) {
    case TErgoUnit::Power:
        return Power;
    case TErgoUnit::Heartrate:
        return Heartrate;
    case TErgoUnit::Cadence:
        return Cadence;
    case TErgoUnit::Time:
        break;
    }
    return Time;
}

const TKLTErgoSectionDataUnit& TKLTErgoSection::Unit(TErgoUnit unit) const {
    return const_cast<TKLTErgoSection&>(*this).Unit(unit);
}

TErgoControl TKLTErgoSection::ControlledBy() const {
    if (Heartrate.Checked) {
        return TErgoControl::Heartrate;
    }
    if (Cadence.Checked) {
        return TErgoControl::Cadence;
    }
    return Power.Checked ? TErgoControl::Power : TErgoControl::None;
}

TKLTErgoFile::TKLTErgoFile() {
    Reset();
}

TKLTErgoFile TKLTErgoFile::AtPath(const std::string& path) {
    TKLTErgoFile program;
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    program.directory_ = path.substr(0, nameStart);
    program.name_ = path.substr(nameStart);
    if (program.name_.size() > kExtension.size() &&
        EqualsIgnoringCase(std::string_view(program.name_).substr(program.name_.size() - kExtension.size()),
                           kExtension)) {
        program.extension_ = program.name_.substr(program.name_.size() - kExtension.size());
        program.name_.resize(program.name_.size() - kExtension.size());
    }
    return program;
}

void TKLTErgoFile::SetCommentary(std::string_view commentary) {
    commentary_ = TruncateChars(commentary, kMaxCommentaryChars);
}

bool TKLTErgoFile::Load() {
    std::optional<std::string> text;
    if (!directory_.empty() && !name_.empty()) {
        try {
            text = ReadSmallFile(Path(), kMaxFileSize);
        } catch (const EInOutError&) {
            // Not a file that can be opened: there is no program to read.
        }
    }
    if (!text) {
        Reset();
        return false;
    }
    ReadText(*text, Path());
    return true;
}

void TKLTErgoFile::ReadText(std::string_view text, const std::string& path) {
    Reset();
    TOnlineOptionReader reader(text);
    if (!reader.OpensWithDeclaration()) {
        throw EInOutError(FormatText("File:%s damaged", {path}));
    }
    sections_.clear();
    try {
        for (;;) {
            std::string_view line = reader.NextLine();
            if (Holds(line, "</KLTErgoFile>")) {
                return;
            }
            std::optional<TProfileVariable> variable = ParseProfileVariable(line);
            if (variable && variable->name == "Commentary") {
                SetCommentary(variable->value);
            } else if (Holds(line, "<Section")) {
                sections_.emplace_back();
                ReadSection(reader, sections_.back());
            }
        }
    } catch (const EErgoFormatError& error) {
        Reset();
        throw EInOutError("'" + path + "' " + error.Message());
    } catch (const EInOutError&) {
        Reset();
        throw EInOutError(FormatText("Error reading File:%s", {path}));
    }
}

std::string TKLTErgoFile::WriteText() const {
    TOnlineOptionWriter writer;
    writer.Line(kProfileDeclaration);
    writer.Open("KLTErgoFile");
    writer.Text("Commentary", commentary_);
    for (const TKLTErgoSection& section : sections_) {
        writer.Open("Section");
        for (const TUnitTag& tag : kUnits) {
            const TKLTErgoSectionDataUnit& unit = section.Unit(tag.unit);
            writer.Open(tag.name);
            writer.Integer("Value", unit.Value);
            writer.Text("Checked", unit.Checked ? "1" : "0");
            writer.Close(tag.name);
        }
        writer.Close("Section");
    }
    writer.Close("KLTErgoFile");
    return writer.Result();
}

void TKLTErgoFile::Save() const {
    if (!directory_.empty()) {
        WriteOptionFile(Path(), WriteText());
    }
}

bool TKLTErgoFile::DeleteFile() const {
    std::error_code error;
    return !directory_.empty() && std::filesystem::remove(Path(), error);
}

void TKLTErgoFile::Rename(const std::string& newName) {
    TKLTErgoFile renamed = *this;
    renamed.name_ = newName;
    renamed.Save();
    if (renamed.Path() != Path()) {
        DeleteFile();
    }
    *this = std::move(renamed);
}

void TKLTErgoFile::Reset() {
    commentary_.clear();
    sections_.assign(1, TKLTErgoSection());
}

const TKLTErgoSection* TKLTErgoFile::Section(int i) const {
    return i >= 0 && i < Count() ? &sections_[static_cast<size_t>(i)] : nullptr;
}

void TKLTErgoFile::PutSection(int i, const TKLTErgoSection& section) {
    if (i < 0) {
        return;
    }
    if (i >= Count()) {
        sections_.push_back(section);
    } else {
        sections_[static_cast<size_t>(i)] = section;
    }
}

void TKLTErgoFile::AppendSection() {
    sections_.emplace_back();
}

void TKLTErgoFile::DeleteSection(int i) {
    if (Section(i)) {
        sections_.erase(sections_.begin() + i);
    }
}

void TKLTErgoFile::InsertSection(int i) {
    if (i >= 0) {
        sections_.insert(sections_.begin() + std::min(i, Count()), TKLTErgoSection());
    }
}

void TKLTErgoFile::SwapSections(int i, int j) {
    if (Section(i) && Section(j)) {
        std::swap(sections_[static_cast<size_t>(i)], sections_[static_cast<size_t>(j)]);
    }
}

int64_t TKLTErgoFile::TotalTime() const {
    int64_t total = 0;
    for (const TKLTErgoSection& section : sections_) {
        total += section.Time.Value;
    }
    return total;
}

double TKLTErgoFile::TotalWork() const {
    double joules = 0.0;
    for (const TKLTErgoSection& section : sections_) {
        joules += section.Power.Value / 8.0 * std::max(section.Time.Value, 0) / 100.0;
    }
    return joules / 1000.0;
}

bool TKLTErgoFile::SameAs(const TKLTErgoFile& other) const {
    return name_ == other.name_ && commentary_ == other.commentary_ && sections_ == other.sections_;
}

} // namespace klt
