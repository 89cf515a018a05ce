// An interface assertion that failed: the typed exception that abandons the
// action it was raised in. Actions that can raise it (opening a movie from a
// path) catch it at their boundary and tell the user in the status bar.
#pragma once

#include <stdexcept>
#include <string>

class AssertionFailure : public std::runtime_error {
public:
    AssertionFailure(const char* method, const char* file, int line, const char* description)
        : std::runtime_error(description), method_(method), file_(file), line_(line) {}

    const std::string& method() const { return method_; }
    const std::string& file() const { return file_; }
    int lineNumber() const { return line_; }

private:
    std::string method_;
    std::string file_;
    int line_;
};

// The assertion handler: raises the failure for `method` of `file` at `line`.
[[noreturn]] inline void handleFailureInMethod(const char* method, const char* file, int line,
                                               const char* description) {
    throw AssertionFailure(method, file, line, description);
}
