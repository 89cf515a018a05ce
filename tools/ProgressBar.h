// The progress bar of a batch on a terminal: one line on standard error,
// redrawn in place as frames are written.
#pragma once

#include <cstdio>
#include <string>

namespace moviesnap {

class ProgressBar {
public:
    // Draws to `out` only when `enabled`; `total` frames are expected.
    ProgressBar(std::FILE* out, int total, bool enabled);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // `done` frames of the total are finished.
    void update(int done);
    // Ends the line (once), leaving the last state visible.
    void finish();

    // The line for `done` of `total` with a bar `width` cells wide, without
    // the carriage return: "[#####     ]  12/40 frames".
    static std::string line(int done, int total, int width);

private:
    std::FILE* out_;
    int total_;
    bool enabled_;
    bool drawn_ = false;
    int lastDone_ = -1;
};

} // namespace moviesnap
