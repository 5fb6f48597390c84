#pragma once
// Opening trainings into document windows: the one road every way of opening a file takes.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/KLTFile.h"

namespace klt {

class IKLTFileView;
class TFileHistory;

// The document windows of the main window, as the opening logic sees them.
class IDocumentWindows {
public:
    virtual ~IDocumentWindows() = default;
    // Opens a window on the training at `path`; throws what opening it throws.
    virtual void CreateDocumentWindow(const std::string& path) = 0;
    virtual size_t DocumentWindowCount() const = 0;
    // Closes the window that is `view`; false when it stays open (the user kept it).
    virtual bool CloseDocumentWindow(IKLTFileView& view) = 0;
    // Lets pending window events run, so that a closed window is gone.
    virtual void ProcessEvents() = 0;
    // The recent-file list changed.
    virtual void FileHistoryChanged() = 0;
};

class TKLTDocumentOpener {
public:
    static constexpr size_t kMaxDocumentWindows = 25;
    using TMemoryImageHook = std::function<void(const std::string& path)>;

    // `history` may be null (no recent-file list). Memory images go to `memoryImageHook`, which
    // turns them into trainings (and opens those in turn).
    TKLTDocumentOpener(IDocumentWindows& windows, TFileHistory* history, TMemoryImageHook memoryImageHook);

    // Opens the training at `path` into a new window: a folder opens nothing, a head-unit memory
    // image (".img", ".kli") goes to the memory image hook, a training from outside the database
    // is stored at its place in the database first. The oldest windows of the least recently used
    // trainings close beyond 25 windows. Errors are thrown with "'path': " in front.
    void OpenTrainingFile(const std::string& path);
    // Opens each file; every failure is reported on its own and the rest still open. Foreign files
    // are imported with `importOptions` when given (the import dialog's), else as the file says.
    void OpenTrainingFiles(const std::vector<std::string>& paths,
                           const std::optional<TForeignImportOptions>& importOptions = std::nullopt);

private:
    std::string OpenIntoWindow(const std::string& fullPath);
    void LimitWindowCount();
    void ForgetFailedFile(const std::string& fullPath);

    IDocumentWindows& windows_;
    TFileHistory* history_;
    TMemoryImageHook memoryImageHook_;
    std::optional<TForeignImportOptions> importOptions_;
};

// Whether the path names a head-unit memory image by its extension.
bool IsMemoryImagePath(const std::string& path);

} // namespace klt
