// Bitmapio: a bitmap that loads itself from an image file through the platform's
// graphics importers and saves itself as a JPEG file; with the JPEG writing,
// flush and read procedures and the load/save error report they share.
#pragma once

#include "Bitmap.h"

#include "Files.h"
#include "GraphicsImport.h"
#include "MacTypes.h"
#include "PlatformImage.h"
#include "QDOffscreen.h"
#include "StillProvenance.h"

#include <cstdint>

// Results of loading a bitmap from a file.
enum : uint8_t {
    kBitmapioLoaded = 0,     // the image is in the bitmap
    kBitmapioNoFile = 1,     // no file was chosen (the open dialog was dismissed)
    kBitmapioNoImporter = 2, // no importer reads the file; the bitmap is unchanged
    kBitmapioLoadFailed = 3, // the image could not be drawn, or its size is out of range;
                             // the bitmap is left empty
};

class Bitmapio : public Bitmap {
public:
    // An empty bitmap, to be filled by initFromAFile or initFromAnFSSpec.
    Bitmapio() = default;
    explicit Bitmapio(PixRect<ARGBVal> const& raster) : Bitmap(raster) {}
    explicit Bitmapio(PixRectRW<ARGBVal> const& raster) : Bitmap(raster) {}
    ~Bitmapio() override;

    // Writes the bitmap as a JPEG file at `path`, or, with no path, at the file
    // the user names in a save dialog. A larger quality means stronger
    // compression (see QTJPEG_CodecQuality). With a provenance, the file
    // carries it as XMP. 1 when the file was written, 0 otherwise; on failure
    // any older file of that name is as it was.
    int saveToFile(const char* path, int quality,
                   const StillProvenance* provenance = nullptr) const;
    // Why the last saveToFile failed: userCanceledErr for a dismissed dialog,
    // else the failing call's result (noErr after a success).
    OSErr lastSaveResult() const { return lastSaveResult_; }

    // Loads the image at `path`, or, with no path or one that cannot be made
    // into a file specification, the one the user picks in an open dialog.
    uint8_t initFromAFile(const char* path);
    uint8_t initFromAnFSSpec(FSSpec& file);

    // Steps of loading: the header (size, layout, alpha code) and the data
    // from the importer's description, then the image drawn into the data.
    // noErr, or the failing call's result after a report through error.
    OSErr setHeaderInfo(GraphicsImportComponent gi);
    OSErr fillData(GraphicsImportComponent gi);

    // The file the user picks to open, or names to save to; false when the
    // dialog was dismissed or gave no file.
    static bool GetImageFileSpec(FSSpec* out);
    static bool GetSaveFileSpec(FSSpec* out);

    // A new platform image over the bitmap's own data (not copied), owned by
    // the caller; the bitmap must outlive it. Null when there is no data.
    CGImageRef makeCGImage() const;

    // The importer of the file being loaded; open only inside initFromAnFSSpec.
    GraphicsImportComponent importer = nullptr;

private:
    // Back to an empty bitmap with no size.
    void clear();

    mutable OSErr lastSaveResult_ = noErr;
};

// The codec quality for a quality argument: 0 lossless, 1..24 and negatives
// maximum, 25..49 high, 50..74 normal, 75..89 low, 90 and above minimum.
CodecQ QTJPEG_CodecQuality(int quality);

// Compresses the world as JPEG into `file` (type 'JPEG', creator 'ogle'),
// written beside it first (with the provenance, when given, as its XMP) and
// put in its place only when complete.
OSErr QTJPEG_SaveJPEG(GWorldPtr world, const FSSpec& file, int quality,
                      const StillProvenance* provenance = nullptr);

// The flush procedure of the compression: `refcon` is the file's reference
// number. With bytes, writes count of them at the mark; without, skips count bytes.
OSErr QTJPEG_DataUnloadProc(char* bytes, long count, long refcon);

// What QTJPEG_DataLoadingProc reads through: `refcon` is the address of one.
struct QTJPEG_ReadRecord {
    int16_t refNum = 0;          // the open file
    int32_t bytesLeft = 0;       // bytes of the file still to be read
    char* bufferStart = nullptr; // QTJPEG_ReadBufferSize bytes of memory
    char* bufferEnd = nullptr;   // end of the bytes read so far
};
inline constexpr long QTJPEG_ReadBufferSize = 32768;

// The read procedure for decompressing from a file: makes `needed` bytes
// available at *cursor, refilling the buffer from the file when they are not
// all there yet; without a cursor, skips `needed` bytes of the file.
OSErr QTJPEG_DataLoadingProc(char** cursor, long needed, long refcon);

// NativePathNameToFSSpec with the same arguments; callers pass flags 0.
OSErr FnameToFSSpec(const char* path, FSSpec* fss, uint32_t flags);

// Reports a load or save failure through the diagnostics sink (at most 1022
// characters of it). It only reports: the caller goes on to fail.
void error(const char* format, ...) __attribute__((format(printf, 1, 2)));
