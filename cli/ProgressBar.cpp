#include "cli/ProgressBar.h"

#include <algorithm>
#include <cstdio>

#include <sys/ioctl.h>

namespace klt::cli {
namespace {

constexpr size_t kDefaultColumns = 80;
constexpr size_t kMaxBarWidth = 60;

size_t TerminalColumns(int fd) {
    winsize size{};
    return ::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : kDefaultColumns;
}

} // namespace

std::string ProgressBar(size_t done, size_t total, size_t width) {
    done = std::min(done, total);
    const size_t percent = total == 0 ? 100 : done * 100 / total;
    char number[16];
    std::snprintf(number, sizeof number, "%3zu %%", percent);
    const std::string percentage = number;
    if (width < percentage.size() + 4) { // no room for "[", one mark, "] "
        return width < percentage.size() ? percentage.substr(0, width)
                                         : std::string(width - percentage.size(), ' ') + percentage;
    }
    const size_t inner = width - percentage.size() - 3;
    const size_t filled = total == 0 ? inner : done * inner / total;
    return "[" + std::string(filled, '#') + std::string(inner - filled, ' ') + "] " + percentage;
}

TProgressLine::TProgressLine(std::string label, int fd)
    : label_(std::move(label)), fd_(fd), terminal_(::isatty(fd) != 0) {}

TProgressLine::~TProgressLine() {
    Clear();
}

void TProgressLine::Show(size_t done, size_t total) {
    if (!terminal_) {
        return;
    }
    // One column spare: a line that fills the terminal would wrap on some of them.
    const size_t columns = TerminalColumns(fd_) - 1;
    const size_t room = columns > label_.size() + 1 ? columns - label_.size() - 1 : 0;
    const std::string line = label_ + " " + ProgressBar(done, total, std::min(room, kMaxBarWidth));
    if (line != shown_) {
        Write("\r" + line + "\x1b[K");
        shown_ = line;
    }
}

void TProgressLine::Clear() {
    if (!shown_.empty()) {
        Write("\r\x1b[K");
        shown_.clear();
    }
}

void TProgressLine::Write(const std::string& text) const {
    // A failed write only loses the picture of the progress.
    [[maybe_unused]] const ssize_t written = ::write(fd_, text.data(), text.size());
}

} // namespace klt::cli
