// An image file read back through the platform's graphics importers as 32-bit
// A,R,G,B pixels, for tests that check what was written.
#pragma once

#include "GraphicsImport.h"
#include "Memory.h"
#include "QDOffscreen.h"

#include <cstdint>
#include <string>
#include <vector>

struct ReadImage {
    OSErr err = noErr;
    int width = 0, height = 0;
    OSType type = 0; // the file's kind: 'png ', 'jpeg', ...
    std::vector<uint8_t> argb;

    explicit ReadImage(const std::string& path) {
        FSSpec fss{path};
        GraphicsImportComponent gi = nullptr;
        err = GetGraphicsImporterForFile(&fss, &gi);
        if (err) return;
        ImageDescriptionHandle desc = nullptr;
        if ((err = OSErr(GraphicsImportGetImageDescription(gi, &desc))) == noErr && desc) {
            width = (*desc)->width;
            height = (*desc)->height;
            type = (*desc)->cType;
            DisposeHandle(reinterpret_cast<Handle>(desc));
            argb.assign(size_t(width) * size_t(height) * 4, 0);
            Rect r{0, 0, int16_t(height), int16_t(width)};
            GWorldPtr world = nullptr;
            err = NewGWorldFromPtr(&world, k32ARGBPixelFormat, &r, nullptr, nullptr, 0,
                                   reinterpret_cast<Ptr>(argb.data()), long(width) * 4);
            if (!err) err = OSErr(GraphicsImportSetGWorld(gi, world, nullptr));
            if (!err) err = OSErr(GraphicsImportDraw(gi));
            DisposeGWorld(world);
        }
        CloseComponent(gi);
    }
    const uint8_t* at(int x, int y) const { return &argb[(size_t(y) * width + x) * 4]; }
};
