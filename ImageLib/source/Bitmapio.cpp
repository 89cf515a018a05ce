// Bitmapio: loading bitmaps through the graphics importers and saving them as
// JPEG files, written beside the target and put in its place when complete.
#include "Bitmapio.h"

#include "ImageCompression.h"
#include "Memory.h"
#include "Navigation.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

constexpr OSType kJPEGFileType = FOUR_CHAR_CODE("JPEG");
constexpr OSType kJPEGCreator = FOUR_CHAR_CODE("ogle");
constexpr long kCompressBufferSize = 32768;
constexpr int kMaxSide = 32767; // a side must fit the 16-bit rectangles of worlds

bool sizeFits(int32_t width, int32_t height) {
    return width >= 1 && width <= kMaxSide && height >= 1 && height <= kMaxSide;
}

// A world over the bitmap's bytes, disposed of when the scope ends.
class WorldOver {
public:
    WorldOver(unsigned char* data, int32_t width, int32_t height, int32_t bytesPerRow) {
        const Rect bounds{0, 0, int16_t(height), int16_t(width)};
        result = NewGWorldFromPtr(&world, k32ARGBPixelFormat, &bounds, nullptr, nullptr, 0,
                                  reinterpret_cast<Ptr>(data), bytesPerRow);
        if (result != noErr) world = nullptr;
    }
    ~WorldOver() {
        if (world) DisposeGWorld(world);
    }
    WorldOver(const WorldOver&) = delete;
    WorldOver& operator=(const WorldOver&) = delete;
    GWorldPtr world = nullptr;
    OSErr result = noErr;
};

// A handle released when the scope ends.
struct HandleHolder {
    explicit HandleHolder(long size) : h(NewHandle(size)) {}
    ~HandleHolder() {
        if (h) DisposeHandle(h);
    }
    HandleHolder(const HandleHolder&) = delete;
    HandleHolder& operator=(const HandleHolder&) = delete;
    Handle h;
};

// Compresses the world's pixel map into the open file at its start and ends
// the file right after the compressed bytes.
OSErr compressInto(int16_t refNum, PixMapHandle pm, const Rect& bounds, CodecQ codecQuality) {
    HandleHolder description(sizeof(ImageDescription));
    if (!description.h) return paramErr;
    const int16_t depth = (*pm)->pixelSize;
    // Worlds here are 32-bit, but a deeper-than-indexed check keeps a colour
    // table for any indexed world someone hands us.
    CTabHandle table = depth < 16 ? static_cast<CTabHandle>((*pm)->pmTable) : nullptr;
    HandleHolder buffer(kCompressBufferSize);
    if (!buffer.h) return MemError() != noErr ? MemError() : OSErr(memFullErr);
    HLock(buffer.h);

    OSErr result = SetFPos(refNum, fsFromStart, 0);
    if (result == noErr) {
        ICMFlushProcRecord flush{QTJPEG_DataUnloadProc, long(refNum)};
        auto desc = reinterpret_cast<ImageDescriptionHandle>(description.h);
        result = FCompressImage(pm, &bounds, depth, codecQuality, kJPEGCodecType, anyCodec, table,
                                0, kCompressBufferSize, &flush, nullptr, desc, *buffer.h);
        if (result == noErr) {
            const long size = (*desc)->dataSize;
            result = SetFPos(refNum, fsFromStart, size);
            if (result == noErr) result = SetEOF(refNum, size);
        }
    }
    HUnlock(buffer.h);
    return result;
}

} // namespace

CodecQ QTJPEG_CodecQuality(int quality) {
    if (quality == 0) return codecLosslessQuality;
    if (quality < 25) return codecMaxQuality; // negatives included
    if (quality < 50) return codecHighQuality;
    if (quality < 75) return codecNormalQuality;
    if (quality < 90) return codecLowQuality;
    return codecMinQuality;
}

OSErr QTJPEG_SaveJPEG(GWorldPtr world, const FSSpec& file, int quality,
                      const StillProvenance* provenance) {
    const CodecQ codecQuality = QTJPEG_CodecQuality(quality);
    if (!world) return paramErr;
    Rect bounds;
    GetPortBounds(world, &bounds);
    PixMapHandle pm = GetGWorldPixMap(world);
    if (!LockPixels(pm)) return paramErr;

    // The bytes go to a new file beside the target; the target is replaced by
    // it in one step only once every byte is written and the file is closed,
    // so a failure anywhere leaves an older file as it was and no partial one.
    FSSpec temporary;
    OSErr result = FSpCreateTemporary(&file, kJPEGCreator, kJPEGFileType, &temporary);
    if (result == noErr) {
        int16_t refNum = 0;
        result = FSpOpenDF(&temporary, fsRdWrPerm, &refNum);
        if (result == noErr) {
            result = compressInto(refNum, pm, bounds, codecQuality);
            // On the disk before it takes the target's place, so that a crash
            // cannot leave an empty file where the old one was.
            if (result == noErr) result = FSFlushFork(refNum);
            const OSErr closed = FSClose(refNum);
            if (result == noErr) result = closed;
        }
        if (result == noErr && provenance)
            result = WriteStillProvenance(temporary.path.c_str(), *provenance);
        if (result == noErr) result = FSpReplace(&temporary, &file);
        if (result != noErr) FSpDelete(&temporary);
    }
    UnlockPixels(pm);
    return result;
}

OSErr QTJPEG_DataUnloadProc(char* bytes, long count, long refcon) {
    const auto refNum = int16_t(refcon);
    if (!bytes) return SetFPos(refNum, fsFromMark, count);
    long written = count;
    return FSWrite(refNum, &written, bytes);
}

OSErr QTJPEG_DataLoadingProc(char** cursor, long needed, long refcon) {
    auto* record = reinterpret_cast<QTJPEG_ReadRecord*>(refcon);
    if (!record) return paramErr;
    if (!cursor) return SetFPos(record->refNum, fsFromMark, needed);
    // More than the buffer holds can never be made available at once.
    if (needed < 0 || needed > QTJPEG_ReadBufferSize) return paramErr;
    if (*cursor + needed < record->bufferEnd) return noErr;

    const long tail = std::max<long>(record->bufferEnd - *cursor, 0);
    if (tail > 0) std::memmove(record->bufferStart, *cursor, size_t(tail));
    long count = std::min<long>(QTJPEG_ReadBufferSize - tail, record->bytesLeft);
    const OSErr result = FSRead(record->refNum, &count, record->bufferStart + tail);
    record->bytesLeft -= int32_t(count);
    record->bufferEnd = record->bufferStart + tail + count;
    *cursor = record->bufferStart;
    return result;
}

OSErr FnameToFSSpec(const char* path, FSSpec* fss, uint32_t flags) {
    return NativePathNameToFSSpec(path, fss, flags);
}

void error(const char* format, ...) {
    // One buffer per thread: a report from a worker cannot garble another's.
    thread_local static char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, 1023, format, args);
    va_end(args);
    // The message is the argument, never the format: a '%' in it stays a '%'.
    siprintf("%s", buffer);
}

Bitmapio::~Bitmapio() {
    if (importer) CloseComponent(importer);
}

void Bitmapio::clear() {
    releaseData();
    width = height = bytesPerRow = dataSize = 0;
}

int Bitmapio::saveToFile(const char* path, int quality, const StillProvenance* provenance) const {
    lastSaveResult_ = paramErr;
    // An empty snapshot (a typed width of 0, say) has no buffer: report and fail.
    if (!data) {
        error("no bitmap buffer available");
        return 0;
    }
    if (!sizeFits(width, height)) {
        error("Invalid image size");
        return 0;
    }
    WorldOver w(data, width, height, bytesPerRow);
    if (!w.world) {
        error("error creating new gworld - %d", w.result);
        lastSaveResult_ = w.result;
        return 0;
    }
    FSSpec file;
    if (path) {
        if (OSErr e = FnameToFSSpec(path, &file, 0); e != noErr) {
            lastSaveResult_ = e;
            return 0;
        }
    } else if (!GetSaveFileSpec(&file)) {
        lastSaveResult_ = userCanceledErr;
        return 0;
    }
    // A file another process holds busy is not replaced; asking first spares
    // the compression (the replacement itself asks again).
    if (FSpCheckBusy(&file) == fBsyErr) {
        lastSaveResult_ = fBsyErr;
        return 0;
    }
    lastSaveResult_ = QTJPEG_SaveJPEG(w.world, file, quality, provenance);
    return lastSaveResult_ == noErr ? 1 : 0;
}

uint8_t Bitmapio::initFromAFile(const char* path) {
    FSSpec file;
    if (path && FnameToFSSpec(path, &file, 0) == noErr) return initFromAnFSSpec(file);
    // A dismissed dialog leaves no file to load: that is its own result, and
    // nothing is read from an unfilled specification.
    if (!GetImageFileSpec(&file)) return kBitmapioNoFile;
    return initFromAnFSSpec(file);
}

uint8_t Bitmapio::initFromAnFSSpec(FSSpec& file) {
    if (GetGraphicsImporterForFile(&file, &importer) != noErr) {
        importer = nullptr;
        return kBitmapioNoImporter;
    }
    OSErr result = setHeaderInfo(importer);
    if (result == noErr) result = fillData(importer);
    CloseComponent(importer);
    importer = nullptr;
    if (result != noErr) {
        clear();
        return kBitmapioLoadFailed;
    }
    return kBitmapioLoaded;
}

OSErr Bitmapio::setHeaderInfo(GraphicsImportComponent gi) {
    ImageDescriptionHandle desc = nullptr;
    const ComponentResult got = GraphicsImportGetImageDescription(gi, &desc);
    if (got != noErr || !desc) {
        error("Error while retrieving image description");
        return got != noErr ? OSErr(got) : OSErr(paramErr);
    }
    const int32_t w = (*desc)->width;
    const int32_t h = (*desc)->height;
    const int16_t depth = (*desc)->depth;
    DisposeHandle(reinterpret_cast<Handle>(desc));

    clear();
    // Checked before any memory is asked for: a size outside the worlds'
    // range would otherwise ask for a nonsensical amount.
    if (!sizeFits(w, h)) {
        error("Invalid image size");
        return paramErr;
    }
    width = w;
    height = h;
    bitsPerComponent = 8;
    bitsPerPixel = 32;
    bytesPerRow = (width * 32 + 7) / 8;
    alphaInfo = depth == 32 ? kCGImageAlphaFirst : kCGImageAlphaNoneSkipFirst;
    dataSize = bytesPerRow * height;
    try {
        makeData(static_cast<unsigned long>(dataSize));
    } catch (const std::bad_alloc&) {
        error("no bitmap buffer available");
        return memFullErr;
    }
    return noErr;
}

OSErr Bitmapio::fillData(GraphicsImportComponent gi) {
    if (!data) {
        error("no bitmap buffer available");
        return paramErr;
    }
    WorldOver w(data, width, height, bytesPerRow);
    if (!w.world) {
        error("error creating new gworld - %d", w.result);
        return w.result;
    }
    if (ComponentResult r = GraphicsImportSetGWorld(gi, w.world, nullptr); r != noErr) {
        error("error while setting gworld");
        return OSErr(r);
    }
    if (ComponentResult r = GraphicsImportDraw(gi); r != noErr) {
        error("error while drawing image through qt");
        return OSErr(r);
    }
    return noErr;
}

bool Bitmapio::GetImageFileSpec(FSSpec* out) {
    if (!out) return false;
    NavDialogCreationOptions options;
    if (NavGetDefaultDialogCreationOptions(&options) != noErr) return false;
    NavDialogRef dialog = nullptr;
    if (NavCreateChooseFileDialog(&options, nullptr, nullptr, nullptr, nullptr, nullptr, &dialog) !=
        noErr) {
        return false;
    }
    bool chosen = false;
    NavReplyRecord reply;
    // A dismissed dialog answers userCanceledErr with an invalid reply.
    if (NavDialogRun(dialog) == noErr && NavDialogGetReply(dialog, &reply) == noErr &&
        reply.validRecord) {
        chosen = AEGetNthPtr(&reply.selection, 1, typeFSS, nullptr, nullptr, out, sizeof(FSSpec),
                             nullptr) == noErr;
    }
    NavDisposeReply(&reply);
    NavDialogDispose(dialog);
    return chosen;
}

bool Bitmapio::GetSaveFileSpec(FSSpec* out) {
    if (!out) return false;
    NavDialogOptions options;
    NavGetDefaultDialogOptions(&options);
    NavReplyRecord reply;
    bool chosen = false;
    if (NavPutFile(nullptr, &reply, &options, nullptr, kJPEGFileType, typeWildCard, nullptr) ==
            noErr &&
        reply.validRecord) {
        chosen = AEGetNthPtr(&reply.selection, 1, typeFSS, nullptr, nullptr, out, sizeof(FSSpec),
                             nullptr) == noErr;
    }
    NavDisposeReply(&reply);
    return chosen;
}

CGImageRef Bitmapio::makeCGImage() const {
    if (!data) return nullptr;
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    CGDataProviderRef provider =
        CGDataProviderCreateWithData(nullptr, data, size_t(dataSize), nullptr);
    CGImageRef image = CGImageCreate(size_t(width), size_t(height), size_t(bitsPerComponent),
                                     size_t(bitsPerPixel), size_t(bytesPerRow), space, alphaInfo,
                                     provider, nullptr, false, kCGRenderingIntentDefault);
    // The image holds its own references to both.
    CGDataProviderRelease(provider);
    CGColorSpaceRelease(space);
    return image;
}
