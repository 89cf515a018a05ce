// The application's trace convention.
#include "Trace.h"

#include "MyObject.h"

#include <cstdarg>
#include <cstdio>

namespace Trace {

namespace {
constexpr int kLineBuffer = 256;
}

void enter(MyObject* sink, const char* qualifiedName) {
    if (!sink) return;
    char buf[kLineBuffer];
    std::snprintf(buf, sizeof buf, ">>%s", qualifiedName);
    sink->logMessage(buf);
}

void leave(MyObject* sink) {
    if (sink) sink->logMessage("<<\n");
}

void line(MyObject* sink, const char* format, ...) {
    if (!sink) return;
    char buf[kLineBuffer];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(buf, sizeof buf, format, ap);
    va_end(ap);
    sink->logMessage(buf);
}

} // namespace Trace
