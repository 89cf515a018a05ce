#include "OpenRefusal.h"

#include "Movies.h"

namespace {

thread_local long refusedWidth = 0, refusedHeight = 0;

std::string reason(OSErr result) {
    switch (result) {
    case fnfErr:
        return "there is no such file";
    case notAFileErr:
        return "it is a folder";
    case permErr:
        return "it may not be read";
    case noMovieFound:
        return "it is not a movie or image";
    case noVideoTrackInMovieErr:
        return "there is no picture in it";
    case noCodecErr:
        return "its pictures are in a format this system cannot decode";
    case codecBadDataErr:
        return "it is damaged";
    case memFullErr:
        if (refusedWidth > 0 && refusedHeight > 0)
            return "its pictures are too large (" + std::to_string(refusedWidth) + " x " +
                   std::to_string(refusedHeight) + " pixels)";
        return "its pictures are too large";
    case codecAbortErr:
        return "reading it took too long";
    default:
        return "error " + std::to_string(int(result));
    }
}

} // namespace

std::string OpenRefusalSentence(const std::string& path, OSErr result) {
    std::string sentence = "Cannot open " + path + ": " + reason(result) + ".";
    refusedWidth = refusedHeight = 0;
    return sentence;
}

void NoteRefusedPictureSize(long width, long height) {
    refusedWidth = width;
    refusedHeight = height;
}
