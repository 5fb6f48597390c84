#include "online/DemoCategoryResults.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "core/BinaryFile.h"
#include "core/KLTDatabase.h"
#include "core/Prompt.h"
#include "core/Texts.h"
#include "online/DemoResultFile.h"
#include "online/OnlineOptionFile.h"

namespace klt {
namespace {

constexpr int kAsideNames = 10; // ".damaged", ".damaged.1" .. ".damaged.9"

} // namespace

std::string TKLTDemoCategoryResults::BackupPath() const {
    return std::filesystem::path(path_).replace_extension(".bak").string();
}

std::optional<std::string> TKLTDemoCategoryResults::KeepAside() const {
    for (int i = 0; i < kAsideNames; ++i) {
        const std::string aside = path_ + ".damaged" + (i == 0 ? "" : "." + std::to_string(i));
        if (RenameNoReplace(path_, aside)) {
            return aside;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    return std::nullopt;
}

void TKLTDemoCategoryResults::Load() {
    results_.clear();
    writeBlocked_.clear();
    try {
        results_ = ReadDemoResultFile(path_);
    } catch (const EDemoResultsDamaged& error) {
        if (const std::optional<std::string> aside = KeepAside()) {
            Prompt().ShowMessage("Attention", error.Message() + "\r\nKept as " + *aside);
        } else {
            writeBlocked_ = error.Message();
            Prompt().ShowMessage("Attention", writeBlocked_);
        }
    } catch (const EInOutError& error) {
        writeBlocked_ = FormatText("Error open File %s", {path_}) + "\r\n" + error.Message();
        Prompt().ShowMessage("Attention", writeBlocked_);
    }
}

void TKLTDemoCategoryResults::Add(const TKLTDemoResult& result) {
    if (results_.size() < kMaxDemoResults) {
        results_.push_back(result);
    } else {
        results_.back() = result;
    }
    if (!writeBlocked_.empty()) {
        throw EInOutError(FormatText("Cannot open File %s", {path_}) + "\r\n" + writeBlocked_);
    }
    WriteOptionFile(path_, WriteDemoResultText(results_));
}

void TKLTDemoCategoryResults::Clear() {
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(path_, error))) {
        // One rename replaces the older backup: there is never a moment without either.
        if (std::rename(path_.c_str(), BackupPath().c_str()) != 0) {
            throw EInOutError(FormatText("Cannot open File %s", {BackupPath()}) + "\r\n" +
                              IoErrorMessage(errno));
        }
    }
    results_.clear();
    writeBlocked_.clear();
}

} // namespace klt
