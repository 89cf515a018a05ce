// ParallelRows: a picture's rows shared among threads in bands.
#pragma once

#include <functional>

// Calls fn(y0, y1) for bands [y0, y1) covering rows 0..height - 1, on up to
// threads threads (this one takes the first band, and every band that finds
// no thread to run it). An exception from any band is rethrown here as
// std::bad_alloc once every band has ended.
void parallelRows(int height, int threads, const std::function<void(int, int)>& fn);
