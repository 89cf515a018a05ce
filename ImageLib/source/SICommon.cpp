#include "SICommon.h"

#include <cstdarg>
#include <cstdio>

const char* const SICommon::DBGclasslabel[17] = {
    "DBGNone#", "DBGMem#", "DBGMatch#",  "DBGPixel#", "DBGRect#", "DBGBitmap#",
    "DBGUI#",   "DBGIter", "DBGProblem", "DBGCache",  "DBGAll#",  "",
    "",         "",        "",           "",          "",
};

int siprintf(const char* format, ...) {
#if defined(SIPRINTF_TO_STDERR) && SIPRINTF_TO_STDERR
    va_list args;
    va_start(args, format);
    int n = std::vfprintf(stderr, format, args);
    va_end(args);
    return n;
#else
    (void)format;
    return 0;
#endif
}
