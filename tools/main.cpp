// moviesnap: stills from movies without a window, through the same snapshot
// road as the application.
#include "Run.h"

#include <malloc.h>
#include <unistd.h>

int main(int argc, char** argv) {
    // A batch allocates and frees frame-sized blocks (copies, bitmaps, the
    // decoder's pictures) over and over: keep them in the heap for reuse
    // instead of handing each back to the system and faulting it in afresh.
    mallopt(M_MMAP_THRESHOLD, 512 << 20);
    mallopt(M_TRIM_THRESHOLD, 1024 << 20);
    moviesnap::RunSettings settings;
    settings.terminal = isatty(STDERR_FILENO) == 1;
    return moviesnap::runCommandLine(argc, argv, settings);
}
