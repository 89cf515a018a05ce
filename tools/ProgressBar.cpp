#include "ProgressBar.h"

#include <algorithm>

namespace moviesnap {

namespace {
constexpr int kCells = 30;
}

ProgressBar::ProgressBar(std::FILE* out, int total, bool enabled)
    : out_(out), total_(std::max(total, 0)), enabled_(enabled && out) {}

ProgressBar::~ProgressBar() {
    finish();
}

std::string ProgressBar::line(int done, int total, int width) {
    total = std::max(total, 0);
    done = std::clamp(done, 0, total);
    width = std::max(width, 1);
    // An empty batch counts as complete rather than dividing by zero.
    const int cells = total == 0 ? width : int(long(done) * width / total);
    std::string s = "[";
    s.append(size_t(cells), '#');
    s.append(size_t(width - cells), ' ');
    s += "] ";
    const std::string d = std::to_string(done), t = std::to_string(total);
    s.append(t.size() > d.size() ? t.size() - d.size() : 0, ' ');
    s += d + "/" + t + " frames";
    return s;
}

void ProgressBar::update(int done) {
    if (!enabled_) return;
    if (done == lastDone_) return;
    lastDone_ = done;
    std::fprintf(out_, "\r%s", line(done, total_, kCells).c_str());
    std::fflush(out_);
    drawn_ = true;
}

void ProgressBar::finish() {
    if (!enabled_ || !drawn_) return;
    std::fputc('\n', out_);
    std::fflush(out_);
    drawn_ = false;
}

} // namespace moviesnap
