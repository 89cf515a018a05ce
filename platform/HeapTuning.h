// Process-wide tuning of the C heap for a program that goes through many
// frame-sized blocks (decoded pictures, frame buffers, bitmaps) and then ends.
#pragma once

#include <cstddef>

// Keeps freed blocks in the heap for reuse, gives every thread the one arena,
// and grows the heap by `reserveBytes` of address space advised for large
// pages, so that a fresh frame-sized block costs a few page faults instead of
// one per 4 KiB. Call it first thing in main, before any other thread exists.
// Answers the bytes advised: 0 where the system offers no large pages on
// request (the tuning of reuse still holds).
std::size_t TuneHeapForLargeBlocks(std::size_t reserveBytes);
