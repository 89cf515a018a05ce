// Captures what the library's diagnostics sink is given while in scope.
#pragma once

#include "SICommon.h"

#include <string>

class SinkCapture {
public:
    SinkCapture() : previous(sisetprintsink(&SinkCapture::append)) { text().clear(); }
    ~SinkCapture() { sisetprintsink(previous); }
    SinkCapture(const SinkCapture&) = delete;
    SinkCapture& operator=(const SinkCapture&) = delete;

    static std::string& text() {
        static std::string captured;
        return captured;
    }

private:
    static void append(const char* s) { text() += s; }
    siprintsink previous;
};
