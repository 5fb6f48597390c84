#pragma once
// The lists of recent things the configuration keeps: opened training files and marker names.
#include <string>
#include <vector>

namespace klt {

// Full paths of recently used training files, most recent first, without duplicates.
class TFileHistory {
public:
    static constexpr size_t kMaxFiles = 35;

    const std::vector<std::string>& Items() const { return items_; }
    void SetItems(std::vector<std::string> items); // as stored; duplicates and surplus dropped

    void AddFile(const std::string& path);
    void RemoveFile(const std::string& path);
    void RenameFile(const std::string& oldPath, const std::string& newPath);
    // Drops entries whose files no longer exist.
    void PurgeMissing();

    bool operator==(const TFileHistory&) const = default;

private:
    std::vector<std::string> items_;
};

// Recently given marker names, most recent first.
class TMarkerIdentList {
public:
    static constexpr size_t kKeptBehindNewName = 10;

    const std::vector<std::string>& Items() const { return items_; }
    void SetItems(std::vector<std::string> items) { items_ = std::move(items); }
    // Trimmed; empty names are ignored. A name that is not yet first goes to the top, its other
    // occurrences are removed and at most ten older names stay behind it.
    void AddName(const std::string& name);

    bool operator==(const TMarkerIdentList&) const = default;

private:
    std::vector<std::string> items_;
};

// The absolute form of a path without resolving links ("a/../b" becomes "/cwd/b").
std::string FullPath(const std::string& path);

} // namespace klt
