#include "LogMessage.h"

namespace {
silogsink currentlistener = nullptr;
}

silogsink sisetlogsink(silogsink s) {
    silogsink old = currentlistener;
    currentlistener = s;
    return old;
}

void logMessage(const char* text) {
    if (text && currentlistener) currentlistener(text);
}
