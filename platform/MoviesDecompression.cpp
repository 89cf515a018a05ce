#include "MoviesDecompression.h"

#include "Memory.h"

#include <map>
#include <mutex>

namespace {
std::mutex sequencesLock;
std::map<ImageSequence, long> sequences; // sequence -> bytes of its source pixels
ImageSequence nextSequence = 1;
} // namespace

OSErr MakeImageDescriptionForPixMap(PixMapHandle pixMap, ImageDescriptionHandle* desc) {
    if (!desc) return paramErr;
    *desc = nullptr;
    if (!pixMap || !*pixMap) return paramErr;
    const PixMap& pm = **pixMap;
    Handle h = NewHandleClear(long(sizeof(ImageDescription)));
    if (!h) return memFullErr;
    auto* d = new (*h) ImageDescription{};
    d->idSize = int32_t(sizeof(ImageDescription));
    d->cType = FOUR_CHAR_CODE("raw ");
    d->width = int16_t(pm.bounds.right - pm.bounds.left);
    d->height = int16_t(pm.bounds.bottom - pm.bounds.top);
    d->hRes = 72 << 16;
    d->vRes = 72 << 16;
    d->depth = pm.pixelSize;
    d->clutID = -1;
    d->dataSize = int32_t(long(pm.rowBytes) * d->height);
    *desc = reinterpret_cast<ImageDescriptionHandle>(h);
    return noErr;
}

OSErr DecompressSequenceBeginS(ImageSequence* seq, ImageDescriptionHandle desc, Ptr data,
                               long dataSize, CGrafPtr port, GDHandle, const Rect*, MatrixRecordPtr,
                               short, RgnHandle, CodecFlags, CodecQ, DecompressorComponent) {
    if (!seq) return paramErr;
    *seq = 0;
    if (!desc || !*desc || !port) return paramErr;
    const ImageDescription& d = **desc;
    if (d.width <= 0 || d.height <= 0 || d.depth != 32) return badImageDescription;
    if (!data || dataSize < long(port->pixMap.rowBytes) * d.height) return paramErr;
    std::lock_guard<std::mutex> hold(sequencesLock);
    *seq = nextSequence++;
    if (nextSequence <= 0) nextSequence = 1;
    sequences[*seq] = dataSize;
    return noErr;
}

OSErr DecompressSequenceFrameS(ImageSequence seq, Ptr data, long dataSize, CodecFlags,
                               CodecFlags* outFlags, ICMCompletionProcRecordPtr) {
    if (outFlags) *outFlags = 0;
    std::lock_guard<std::mutex> hold(sequencesLock);
    auto it = sequences.find(seq);
    if (it == sequences.end() || !data || dataSize < it->second) return paramErr;
    return noErr;
}

OSErr CDSequenceEnd(ImageSequence seq) {
    std::lock_guard<std::mutex> hold(sequencesLock);
    return sequences.erase(seq) ? noErr : paramErr;
}
