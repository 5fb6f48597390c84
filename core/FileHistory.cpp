#include "core/FileHistory.h"

#include <algorithm>
#include <filesystem>

#include "core/Utf8Chars.h"

namespace klt {

std::string FullPath(const std::string& path) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return (error ? std::filesystem::path(path) : absolute).lexically_normal().string();
}

void TFileHistory::SetItems(std::vector<std::string> items) {
    items_.clear();
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        AddFile(*it);
    }
}

void TFileHistory::AddFile(const std::string& path) {
    const std::string full = FullPath(path);
    std::erase(items_, full);
    items_.insert(items_.begin(), full);
    if (items_.size() > kMaxFiles) {
        items_.resize(kMaxFiles);
    }
}

void TFileHistory::RemoveFile(const std::string& path) { std::erase(items_, FullPath(path)); }

void TFileHistory::RenameFile(const std::string& oldPath, const std::string& newPath) {
    const std::string oldFull = FullPath(oldPath);
    const std::string newFull = FullPath(newPath);
    std::replace(items_.begin(), items_.end(), oldFull, newFull);
    // A rename onto a name already listed must not leave it twice.
    std::vector<std::string> unique;
    for (const std::string& item : items_) {
        if (std::find(unique.begin(), unique.end(), item) == unique.end()) {
            unique.push_back(item);
        }
    }
    items_ = std::move(unique);
}

void TFileHistory::PurgeMissing() {
    std::erase_if(items_, [](const std::string& path) {
        std::error_code error;
        return !std::filesystem::exists(path, error);
    });
}

void TMarkerIdentList::AddName(const std::string& name) {
    const std::string trimmed = TrimText(name);
    if (trimmed.empty() || (!items_.empty() && items_.front() == trimmed)) {
        return;
    }
    std::erase(items_, trimmed);
    if (items_.size() > kKeptBehindNewName) {
        items_.resize(kKeptBehindNewName);
    }
    items_.insert(items_.begin(), trimmed);
}

} // namespace klt
