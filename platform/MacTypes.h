// Basic types of the platform layer: 16-bit result codes, four-character codes,
// rectangles, fixed-point numbers and the result codes the system relies on.
#pragma once

#include <cstdint>

using OSErr = int16_t;
using OSStatus = int32_t;
using ComponentResult = int32_t;
using OSType = uint32_t;
using ResType = uint32_t;
using Fixed = int32_t;
using TimeValue = int32_t;
using TimeScale = int32_t;
using Ptr = char*;
using Boolean = bool;
using CodecQ = uint32_t;

// A four-character code: the first character lands in the most significant byte.
constexpr OSType FOUR_CHAR_CODE(const char (&s)[5]) {
    return (OSType(uint8_t(s[0])) << 24) | (OSType(uint8_t(s[1])) << 16) |
           (OSType(uint8_t(s[2])) << 8) | OSType(uint8_t(s[3]));
}

enum : OSErr {
    noErr = 0,
    paramErr = -50,           // a bad parameter
    ioErr = -36,              // an input or output error
    eofErr = -39,             // end of file
    posErr = -40,             // a position before the start of the file
    dskFulErr = -34,          // the disk is full
    fnfErr = -43,             // file not found
    wrPermErr = -61,          // no permission to write
    permErr = -54,            // no permission
    opWrErr = -49,            // the file is already open for writing
    fBsyErr = -47,            // the file is busy
    dupFNErr = -48,           // a file of that name exists
    dirNFErr = -120,          // the folder does not exist
    bdNamErr = -37,           // a bad file name
    memFullErr = -108,        // out of memory
    nilHandleErr = -109,      // a handle that is null
    userCanceledErr = -128,   // the user cancelled
    resNotFound = -192,       // no such resource
    badComponentType = -2003, // no component of that kind
    invalidMovie = -2010,
    invalidTrack = -2009,
    invalidMedia = -2008,
    badImageDescription = -2001,
    couldNotResolveDataRef = -2000,
    noMovieFound = -2048,
    codecErr = -8960,
    codecUnimpErr = -8961,
    noCodecErr = -8962,
};

struct Rect {
    int16_t top = 0;
    int16_t left = 0;
    int16_t bottom = 0;
    int16_t right = 0;
};

inline void OffsetRect(Rect* r, int dh, int dv) {
    r->left = int16_t(r->left + dh);
    r->right = int16_t(r->right + dh);
    r->top = int16_t(r->top + dv);
    r->bottom = int16_t(r->bottom + dv);
}

// Fixed-point helpers (16.16).
inline Fixed X2Fix(double x) {
    double v = x * 65536.0;
    if (!(v < 2147483647.0)) return 0x7FFFFFFF;
    if (!(v > -2147483648.0)) return int32_t(0x80000000u);
    return Fixed(v >= 0 ? v + 0.5 : v - 0.5);
}
// Rounded to the nearest whole number, kept within the range of int16_t.
inline int16_t FixRound(Fixed f) {
    int64_t whole = (int64_t(f) + 0x8000) >> 16;
    return int16_t(whole > INT16_MAX ? INT16_MAX : whole < INT16_MIN ? INT16_MIN : whole);
}

// More result codes of the file, event-descriptor and compression services.
enum : OSErr {
    tmfoErr = -42,             // too many files open
    rfNumErr = -51,            // no open file with that reference number
    wPrErr = -44,              // the volume is write-protected
    notAFileErr = -1302,       // a folder where a file was expected
    errAECoercionFail = -1700, // the data cannot be had in the asked-for type
    errAEDescNotFound = -1701, // no item with that index
    codecSizeErr = -8963,      // the image is too large or empty for the codec
    codecSpoolErr = -8966,     // the output does not fit the buffer and nothing flushes it
    codecAbortErr = -8967,     // the operation was abandoned
    codecBadDataErr = -8969,   // the compressed data is damaged
};

using ScriptCode = int16_t;
using SInt8 = int8_t;
using Size = long;
using Str255 = unsigned char[256]; // a length byte and up to 255 characters
using Str63 = unsigned char[64];
using StringPtr = unsigned char*;
using ConstStr255Param = const unsigned char*;

struct Point {
    int16_t v = 0;
    int16_t h = 0;
};
