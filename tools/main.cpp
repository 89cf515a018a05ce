// moviesnap: stills from movies without a window, through the same snapshot
// road as the application.
#include "HeapTuning.h"
#include "Run.h"

#include <unistd.h>

int main(int argc, char** argv) {
    // A run goes through frame-sized blocks (the decoder's pictures, the frame
    // buffer, copies, bitmaps): keep them in the heap for reuse, and back it
    // with large pages, since a fresh 8 MB block otherwise costs two thousand
    // page faults.
    TuneHeapForLargeBlocks(std::size_t(256) << 20);
    moviesnap::RunSettings settings;
    settings.terminal = isatty(STDERR_FILENO) == 1;
    return moviesnap::runCommandLine(argc, argv, settings);
}
