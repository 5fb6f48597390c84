#include "app/KLTMainDocuments.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "core/Exceptions.h"
#include "core/FileHistory.h"
#include "core/KLTDatabase.h"
#include "core/KLTFileRegistry.h"
#include "core/Prompt.h"
#include "core/TrainingEnvironment.h"

namespace klt {
bool IsMemoryImagePath(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".img" || extension == ".kli";
}

TKLTDocumentOpener::TKLTDocumentOpener(IDocumentWindows& windows, TFileHistory* history,
                                       TMemoryImageHook memoryImageHook)
    : windows_(windows), history_(history), memoryImageHook_(std::move(memoryImageHook)) {}

void TKLTDocumentOpener::OpenTrainingFile(const std::string& path) {
    std::string fullPath = path;
    try {
        fullPath = path.empty() ? path : FullPath(path);
        std::error_code error;
        if (!fullPath.empty() && std::filesystem::is_directory(fullPath, error)) {
            return;
        }
        if (IsMemoryImagePath(fullPath)) {
            memoryImageHook_(fullPath);
            return;
        }
        const std::string openedPath = OpenIntoWindow(fullPath);
        if (history_ != nullptr) {
            history_->AddFile(openedPath);
            windows_.FileHistoryChanged();
        }
        LimitWindowCount();
    } catch (Exception& e) {
        ForgetFailedFile(fullPath);
        e.SetMessage("'" + fullPath + "': " + e.Message());
        throw;
    } catch (const std::exception& e) {
        ForgetFailedFile(fullPath);
        throw Exception("'" + fullPath + "': " + e.what());
    }
}

void TKLTDocumentOpener::ForgetFailedFile(const std::string& fullPath) {
    if (history_ != nullptr) {
        history_->RemoveFile(fullPath);
        windows_.FileHistoryChanged();
    }
}

void TKLTDocumentOpener::OpenTrainingFiles(const std::vector<std::string>& paths,
                                           const std::optional<TForeignImportOptions>& importOptions) {
    importOptions_ = importOptions;
    for (const std::string& path : paths) {
        try {
            OpenTrainingFile(path);
        } catch (const std::exception& e) {
            Prompt().ShowMessage("Warning", e.what());
        }
    }
    importOptions_.reset();
}

std::string TKLTDocumentOpener::OpenIntoWindow(const std::string& fullPath) {
    TKLTFileRegistry& registry = KLTFileRegistry();
    TKLTFile& file = registry.OpenTraining(fullPath, nullptr);
    try {
        if (importOptions_) {
            file.ImportOptions() = *importOptions_;
        }
        file.EnsureLoaded(3);
        if (file.Damage()) {
            Prompt().ShowMessage("Warning", "'" + fullPath + "': " + file.Damage()->Text());
        }
        const std::string& databaseDir = TrainingEnvironment().databaseDir;
        const bool outside = file.FileName().empty() || !IsInDatabase(file.FileName(), databaseDir);
        // A training without an athlete may stay where it is, but an import kept under the
        // foreign file's name would be saved over that file.
        const bool placed = !databaseDir.empty() && outside && PlaceInDatabase(file, databaseDir);
        if (!placed && outside && file.LoadState() == TLoadState::Imported) {
            throw EKLTFileDatabaseError("imported files need a training database to go into");
        }
        windows_.CreateDocumentWindow(file.FileName());
    } catch (...) {
        registry.ReleaseTraining(file, nullptr);
        throw;
    }
    const std::string openedPath = file.FileName();
    registry.ReleaseTraining(file, nullptr);
    return openedPath;
}

void TKLTDocumentOpener::LimitWindowCount() {
    while (windows_.DocumentWindowCount() > kMaxDocumentWindows) {
        // The registry lists trainings least recently used first; the first window of the first
        // one with windows is the one to go.
        IKLTFileView* oldest = nullptr;
        for (const auto& file : KLTFileRegistry().Files()) {
            if (!file->Views().empty()) {
                oldest = file->Views().front();
                break;
            }
        }
        if (oldest == nullptr || !windows_.CloseDocumentWindow(*oldest)) {
            return; // the user kept it: more windows rather than lost work
        }
        windows_.ProcessEvents();
    }
}

} // namespace klt
