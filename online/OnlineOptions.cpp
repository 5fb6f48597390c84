#include "online/OnlineOptions.h"

#include "core/Exceptions.h"
#include "core/Prompt.h"
#include "core/SmallFile.h"
#include "core/Texts.h"

namespace klt {
namespace {

constexpr size_t kMaxFileSize = 4 << 20; // a thousand users and categories fit many times over
constexpr std::string_view kRootTag = "OnlineOptionSets";

} // namespace

TOnlineOptions::TOnlineOptions(const std::string& directory, std::string_view fileName)
    : fileName_(fileName) {
    SetDirectory(directory);
}

void TOnlineOptions::SetDirectory(const std::string& directory) {
    directory_ = directory;
    OnlineErgometerOptions.PredefinedFileOptionSet.SetOptionsDirectory(directory);
}

void TOnlineOptions::SetDefaults() {
    OnlineCommonOptionSet.SetDefaults();
    OnlineMainChartOptionSet.SetDefaults();
    OnlineErgometerOptions.SetDefaults();
    OnlineDemoModeOptionSet.SetDefaults();
}

bool TOnlineOptions::SameAs(const TOnlineOptions& other) const {
    return OnlineCommonOptionSet.SameAs(other.OnlineCommonOptionSet) &&
           OnlineMainChartOptionSet.SameAs(other.OnlineMainChartOptionSet) &&
           OnlineErgometerOptions.SameAs(other.OnlineErgometerOptions) &&
           OnlineDemoModeOptionSet.SameAs(other.OnlineDemoModeOptionSet);
}

void TOnlineOptions::AssignFrom(const TOnlineOptions& other) {
    OnlineCommonOptionSet.AssignFrom(other.OnlineCommonOptionSet);
    OnlineMainChartOptionSet.AssignFrom(other.OnlineMainChartOptionSet);
    OnlineErgometerOptions.AssignFrom(other.OnlineErgometerOptions);
    OnlineDemoModeOptionSet.AssignFrom(other.OnlineDemoModeOptionSet);
    OnlineErgometerOptions.PredefinedFileOptionSet.SetOptionsDirectory(directory_);
}

void TOnlineOptions::Load() {
    const std::string path = Path();
    std::optional<std::string> text;
    try {
        text = ReadSmallFile(path, kMaxFileSize);
    } catch (const EInOutError&) {
        SetDefaults();
        Prompt().ShowMessage("Attention", FormatText("Error open File %s", {path}));
        return;
    }
    if (!text) {
        SetDefaults();
        return;
    }
    try {
        std::vector<std::string> formatErrors = ReadText(*text);
        if (!formatErrors.empty()) {
            Prompt().ShowMessage("Warning", formatErrors.front());
        }
    } catch (const EInOutError& error) {
        SetDefaults();
        Prompt().ShowMessage("Attention", error.Message());
    }
}

std::vector<std::string> TOnlineOptions::ReadText(std::string_view text) {
    TOnlineOptionReader reader(text);
    if (!reader.OpensWithDeclaration()) {
        throw EInOutError(FormatText("File:%s damaged", {Path()}));
    }
    const std::string closing = "</" + std::string(kRootTag) + ">";
    try {
        for (;;) {
            std::string_view line = reader.NextLine();
            if (line.find(closing) != std::string_view::npos) {
                return reader.FormatErrors();
            }
            LoadChildOpenedBy(line, reader,
                              {&OnlineCommonOptionSet, &OnlineMainChartOptionSet, &OnlineErgometerOptions,
                               &OnlineDemoModeOptionSet});
        }
    } catch (const EInOutError&) {
        throw EInOutError(FormatText("Error reading File:%s", {Path()}));
    }
}

std::string TOnlineOptions::WriteText() const {
    TOnlineOptionWriter writer;
    writer.Line(kProfileDeclaration);
    writer.Open(kRootTag);
    OnlineCommonOptionSet.SaveSet(writer);
    OnlineMainChartOptionSet.SaveSet(writer);
    OnlineErgometerOptions.SaveSet(writer);
    OnlineDemoModeOptionSet.SaveSet(writer);
    writer.Close(kRootTag);
    return writer.Result();
}

void TOnlineOptions::Save() {
    OnlineErgometerOptions.PredefinedFileOptionSet.SaveProgram();
    WriteOptionFile(Path(), WriteText());
}

} // namespace klt
