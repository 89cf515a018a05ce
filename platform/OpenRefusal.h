// Why a movie or image file did not open, as one plain sentence for a person:
// the same words in the application and on the command line.
#pragma once

#include "MacTypes.h"

#include <string>

// "Cannot open PATH: REASON." for the result of opening `path` (as the user
// gave it). A picture refused as too large is named with its size when the
// opener noted it (NoteRefusedPictureSize).
std::string OpenRefusalSentence(const std::string& path, OSErr result);

// Notes, for this thread's next sentence, the size of a picture refused as too large.
void NoteRefusedPictureSize(long width, long height);
