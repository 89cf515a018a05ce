#include "LibraryLog.h"

extern "C" {
#include <libavutil/log.h>
}

#include <atomic>
#include <cstdio>
#include <mutex>

namespace {

std::atomic<LibraryLogSink> currentSink{nullptr};

void toSink(void* avcl, int level, const char* format, va_list args) {
    if (level > av_log_get_level()) return;
    LibraryLogSink sink = currentSink.load();
    if (!sink) return;
    // Lines come in pieces; the prefix ("[codec @ 0x...]") belongs to the first.
    thread_local int printPrefix = 1;
    char line[1024];
    av_log_format_line2(avcl, level, format, args, line, sizeof line, &printPrefix);
    sink(line);
}

} // namespace

void RouteLibraryLog() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (av_log_get_level() >= AV_LOG_INFO) av_log_set_level(AV_LOG_ERROR);
        av_log_set_callback(toSink);
    });
}

LibraryLogSink SetLibraryLogSink(LibraryLogSink sink) {
    RouteLibraryLog();
    return currentSink.exchange(sink);
}
