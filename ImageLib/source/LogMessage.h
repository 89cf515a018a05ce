// logMessage: the trace sink of library code that has no controller at hand.
// It discards every line unless a tool or test installs a listener.
#pragma once

// Discards `text` (NUL-terminated); a null text is ignored.
void logMessage(const char* text);

// A listener hears every traced line while installed; none is installed
// normally, and then the sink stays silent.
using silogsink = void (*)(const char* text);
// Installs s (null removes it) and returns the listener installed before.
silogsink sisetlogsink(silogsink s);
