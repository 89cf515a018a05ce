// Offscreen worlds: a pixel map over caller memory (pixel format, bounds, base
// address, row bytes) that movies and image importers draw into.
#pragma once

#include "MacTypes.h"

enum : OSType {
    k32ARGBPixelFormat = 32, // bytes alpha, red, green, blue
    k32RGBAPixelFormat = FOUR_CHAR_CODE("RGBA"),
};

enum : uint32_t {
    pixelsLocked = 0x80,
};

struct PixMap {
    Ptr baseAddr = nullptr;
    int32_t rowBytes = 0;
    Rect bounds;
    OSType pixelFormat = k32ARGBPixelFormat;
    int16_t pixelSize = 32;
    void* pmTable = nullptr; // colour table; none for 32-bit formats
    int locks = 0;
};
using PixMapPtr = PixMap*;
using PixMapHandle = PixMap**;

struct GDevice;
using GDHandle = GDevice**;
struct ColorTable;
using CTabHandle = ColorTable**;

struct GWorldRecord {
    PixMap pixMap;
    PixMap* pixMapPtr = &pixMap; // *GetGWorldPixMap(world) is the pixel map
};
using GWorldPtr = GWorldRecord*;
using CGrafPtr = GWorldRecord*;
using GWorldFlags = uint32_t;

// A world drawing into `buffer` with `rowBytes` bytes per row. Only 32-bit ARGB
// and RGBA worlds are supported; anything else answers paramErr.
OSErr NewGWorldFromPtr(GWorldPtr* world, OSType pixelFormat, const Rect* bounds, CTabHandle table,
                       GDHandle device, GWorldFlags flags, Ptr buffer, long rowBytes);
void DisposeGWorld(GWorldPtr world);
PixMapHandle GetGWorldPixMap(GWorldPtr world);
GDHandle GetGWorldDevice(GWorldPtr world);
Ptr GetPixBaseAddr(PixMapHandle pm);
long GetPixRowBytes(PixMapHandle pm);
Rect* GetPortBounds(CGrafPtr port, Rect* out);
Boolean LockPixels(PixMapHandle pm);
void UnlockPixels(PixMapHandle pm);
void GetGWorld(CGrafPtr* port, GDHandle* device);
void SetGWorld(CGrafPtr port, GDHandle device);
