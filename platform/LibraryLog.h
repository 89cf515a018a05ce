// The FFmpeg libraries' log: routed, line by line, to a sink the program
// chooses, and never straight to the terminal.
#pragma once

using LibraryLogSink = void (*)(const char* line);

// Takes over the FFmpeg libraries' log (once; every entry point that uses
// them calls it). Until a sink is set their lines are dropped.
void RouteLibraryLog();

// Installs `sink` for the libraries' error lines (null drops them) and
// returns the sink installed before.
LibraryLogSink SetLibraryLogSink(LibraryLogSink sink);
