// One moviesnap run: opens the movie with the frame source, plans the frames,
// and takes each through the snapshot road into its file, decoding the next
// frame while the last one is resampled and written.
#pragma once

#include "Options.h"

#include <cstdio>
#include <string>

namespace moviesnap {

// Exit statuses.
enum Status : int {
    kWritten = 0,
    kNotWritten = 1, // a file could not be written (the others still were)
    kBadUsage = 2,
    kNotOpened = 3, // the movie could not be opened
};

struct RunSettings {
    std::FILE* out = stdout; // --info lines
    std::FILE* err = stderr; // messages and the progress bar
    bool terminal = false;   // err is a terminal: a batch shows a progress bar there
    // Resample and write each frame on a second thread while the next one is
    // decoded. Off: one after the other, on this thread (the files are the same).
    bool overlap = true;
};

// What a run did, for tests and benchmarks.
struct RunReport {
    int framesWritten = 0;
    int framesFailed = 0;
    long seeks = 0;           // repositionings of the movie's decoder
    long picturesDecoded = 0; // pictures the decoder gave back
};

// Runs parsed options; answers the exit status. Usage errors found only once
// the movie is open (a frame it lacks, a crop outside it, a result without a
// pixel) are reported like those of the parser, with kBadUsage.
int run(const Options& options, const RunSettings& settings = {}, RunReport* report = nullptr);

// The whole program: parses argv and runs it.
int runCommandLine(int argc, const char* const* argv, const RunSettings& settings = {},
                   RunReport* report = nullptr);

} // namespace moviesnap
