// The movie utility the frame source uses: ask the user for a movie or a
// single-image file and open it.
#pragma once

#include "Memory.h"
#include "Movies.h"

// Offers the open dialog with 'MooV' (movies) and 'qtif' (single images), puts
// the chosen file's URL into `theURL` and opens its movie into `*theMovie`.
// 0 with a movie; userCanceledErr when no file was chosen; otherwise the
// dialog's or the movie toolbox's error, with `*theMovie` left null.
OSErr QTUSimpleGetMovieOrImage(Movie* theMovie, Handle theURL);
