#include "SICommon.h"

#include "LibraryLog.h"

#include <cstdarg>
#include <cstdio>

const char* const SICommon::DBGclasslabel[17] = {
    "DBGNone#", "DBGMem#", "DBGMatch#",  "DBGPixel#", "DBGRect#", "DBGBitmap#",
    "DBGUI#",   "DBGIter", "DBGProblem", "DBGCache",  "DBGAll#",  "",
    "",         "",        "",           "",          "",
};

namespace {
siprintsink currentsink = nullptr;

void libraryLine(const char* line) {
    siprintf("%s", line);
}
} // namespace

// The movie and image libraries' log lines go to the same sink.
siprintsink sisetprintsink(siprintsink s) {
    siprintsink old = currentsink;
    currentsink = s;
    SetLibraryLogSink(s ? libraryLine : nullptr);
    return old;
}

int siprintf(const char* format, ...) {
    if (currentsink) {
        char buffer[1024];
        va_list args;
        va_start(args, format);
        std::vsnprintf(buffer, sizeof buffer, format, args);
        va_end(args);
        currentsink(buffer);
    }
#if defined(SIPRINTF_TO_STDERR) && SIPRINTF_TO_STDERR
    va_list args;
    va_start(args, format);
    int n = std::vfprintf(stderr, format, args);
    va_end(args);
    return n;
#else
    return 0;
#endif
}
