#include "QDOffscreen.h"

#include <new>

namespace {
thread_local CGrafPtr currentPort = nullptr;
thread_local GDHandle currentDevice = nullptr;
} // namespace

OSErr NewGWorldFromPtr(GWorldPtr* world, OSType pixelFormat, const Rect* bounds, CTabHandle,
                       GDHandle, GWorldFlags flags, Ptr buffer, long rowBytes) {
    if (!world) return paramErr;
    *world = nullptr;
    if (!bounds || !buffer) return paramErr;
    if (pixelFormat != k32ARGBPixelFormat && pixelFormat != k32RGBAPixelFormat) return paramErr;
    long width = long(bounds->right) - bounds->left;
    long height = long(bounds->bottom) - bounds->top;
    if (width < 0 || height < 0 || rowBytes < width * 4) return paramErr;
    auto* w = new (std::nothrow) GWorldRecord;
    if (!w) return memFullErr;
    w->pixMap.baseAddr = buffer;
    w->pixMap.rowBytes = int32_t(rowBytes);
    w->pixMap.bounds = *bounds;
    w->pixMap.pixelFormat = pixelFormat;
    w->pixMap.pixelSize = 32;
    w->pixMap.locks = (flags & pixelsLocked) ? 1 : 0;
    *world = w;
    return noErr;
}

void DisposeGWorld(GWorldPtr world) {
    if (currentPort == world) currentPort = nullptr;
    delete world;
}

PixMapHandle GetGWorldPixMap(GWorldPtr world) {
    return world ? &world->pixMapPtr : nullptr;
}
GDHandle GetGWorldDevice(GWorldPtr) {
    return nullptr;
}
Ptr GetPixBaseAddr(PixMapHandle pm) {
    return (pm && *pm) ? (*pm)->baseAddr : nullptr;
}
long GetPixRowBytes(PixMapHandle pm) {
    return (pm && *pm) ? (*pm)->rowBytes : 0;
}

Rect* GetPortBounds(CGrafPtr port, Rect* out) {
    if (out) *out = port ? port->pixMap.bounds : Rect{};
    return out;
}

Boolean LockPixels(PixMapHandle pm) {
    if (!pm || !*pm) return false;
    ++(*pm)->locks;
    return true;
}
void UnlockPixels(PixMapHandle pm) {
    if (pm && *pm && (*pm)->locks > 0) --(*pm)->locks;
}

void GetGWorld(CGrafPtr* port, GDHandle* device) {
    if (port) *port = currentPort;
    if (device) *device = currentDevice;
}
void SetGWorld(CGrafPtr port, GDHandle device) {
    currentPort = port;
    currentDevice = device;
}
