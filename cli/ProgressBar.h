#pragma once
// The progress of long commands (db add, import, device download) as a bar on the terminal.
#include <cstddef>
#include <string>

#include <unistd.h>

namespace klt::cli {

// `done` of `total` in exactly `width` columns: "[#####     ]  50 %". Done beyond the total counts
// as the total, nothing to do as finished; a width too small for a bar shows the percentage alone,
// padded or cut to the width.
std::string ProgressBar(size_t done, size_t total, size_t width);

// One line on a terminal, rewritten as the work goes on and wiped before other output and at the
// end. Writes nothing at all when the descriptor is no terminal, so that scripts see no change.
class TProgressLine {
public:
    explicit TProgressLine(std::string label, int fd = STDERR_FILENO);
    ~TProgressLine();
    TProgressLine(const TProgressLine&) = delete;
    TProgressLine& operator=(const TProgressLine&) = delete;

    void Show(size_t done, size_t total);
    // Wipes the line, so that a message can take its place; the next Show draws it again.
    void Clear();

private:
    void Write(const std::string& text) const;

    std::string label_;
    int fd_;
    bool terminal_;
    std::string shown_; // the line on the screen, empty when none
};

} // namespace klt::cli
