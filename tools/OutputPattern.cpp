#include "OutputPattern.h"

#include "Options.h"

#include <cstdio>
#include <cstring>

namespace moviesnap {

namespace {

// Widths beyond this are refused: a file name does not need them and a huge
// one would only make a huge name.
constexpr int kMaxWidth = 32;

[[noreturn]] void refuse(const std::string& path, const std::string& why) {
    throw UsageError("-o '" + path + "': " + why);
}

} // namespace

OutputPattern::OutputPattern(const std::string& path) {
    std::string* text = &before_;
    for (size_t i = 0; i < path.size(); ++i) {
        if (path[i] != '%') {
            *text += path[i];
            continue;
        }
        if (i + 1 < path.size() && path[i + 1] == '%') {
            *text += '%';
            ++i;
            continue;
        }
        // %[flags][width][.precision]conversion, for an int.
        size_t j = i + 1;
        while (j < path.size() && std::strchr("-+ 0", path[j])) ++j;
        int width = 0;
        while (j < path.size() && path[j] >= '0' && path[j] <= '9') {
            width = width * 10 + (path[j] - '0');
            if (width > kMaxWidth) refuse(path, "the directive's width is too large");
            ++j;
        }
        if (j < path.size() && path[j] == '.') {
            ++j;
            int precision = 0;
            while (j < path.size() && path[j] >= '0' && path[j] <= '9') {
                precision = precision * 10 + (path[j] - '0');
                if (precision > kMaxWidth) refuse(path, "the directive's precision is too large");
                ++j;
            }
        }
        if (j >= path.size() || !std::strchr("diu", path[j]))
            refuse(path, "'%' must begin an integer directive such as %d or %05d (write %% for "
                         "a percent sign)");
        if (directive_) refuse(path, "the name holds more than one frame-number directive");
        directive_ = true;
        spec_ = path.substr(i, j - i) + 'd'; // %i and %u print a frame number as %d does
        text = &after_;
        i = j;
    }
}

std::string OutputPattern::name(int n) const {
    if (!directive_) return before_;
    char number[2 * kMaxWidth + 8];
    std::snprintf(number, sizeof number, spec_.c_str(), n);
    return before_ + number + after_;
}

} // namespace moviesnap
