// The output name of moviesnap: a path that holds at most one printf-style
// integer directive (out_%05d.jpg) for the frame number, and "%%" for a
// percent sign.
#pragma once

#include <string>

namespace moviesnap {

class OutputPattern {
public:
    // Checks `path`; throws UsageError (naming -o) when it holds a directive
    // other than an integer one, more than one, or a lone '%'.
    explicit OutputPattern(const std::string& path);

    bool hasDirective() const { return directive_; }
    // The file name for frame n: the directive filled in and "%%" made "%".
    std::string name(int n) const;

private:
    std::string before_, after_; // the text around the directive, "%%" already undone
    std::string spec_;           // the directive itself, "%05d"
    bool directive_ = false;
};

} // namespace moviesnap
