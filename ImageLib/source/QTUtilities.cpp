#include "QTUtilities.h"

#include "GetOneFileWithPreview.h"

namespace {
constexpr OSType kQTFileTypeMovie = FOUR_CHAR_CODE("MooV");
constexpr OSType kQTFileTypeQuickTimeImage = FOUR_CHAR_CODE("qtif");
} // namespace

OSErr QTUSimpleGetMovieOrImage(Movie* theMovie, Handle theURL) {
    if (!theMovie) return paramErr;
    *theMovie = nullptr;
    unsigned long types[2] = {kQTFileTypeMovie, kQTFileTypeQuickTimeImage};
    FSSpec file;
    OSErr err = GetOneFileWithPreview(2, types, &file, nullptr);
    if (err != noErr) return err;

    HRUtilGetURLFromFSSpec(&file, theURL);
    short refNum = 0;
    err = OpenMovieFile(&file, &refNum, fsRdPerm);
    if (err != noErr) return err;
    short resId = 0;
    err = NewMovieFromFile(theMovie, refNum, &resId, nullptr, newMovieActive, nullptr);
    CloseMovieFile(refNum);
    return err;
}
