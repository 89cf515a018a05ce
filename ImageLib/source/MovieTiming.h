// The frame rate of a movie, as the frame source reckons it. The frame source's
// own timing (frame count, time code, movie-box normalisation) is in
// MovieTiming.cpp beside it.
#pragma once

#include "Movies.h"

// Writes the movie's whole frames per second into *fps (0 when no rate is
// found) and answers the platform's result code, sign-extended: 0, or the
// error of the first failing call (no video track, say). MPEG video reports
// the rate coded in its stream; any other video its sample count over its
// duration in seconds, rounded.
long GetMovieFPS(Movie movie, short* fps);
