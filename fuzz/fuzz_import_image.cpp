// Imports the input as a still image and draws it into a world of its size.
#include "FuzzInput.h"
#include "GraphicsImport.h"
#include "QDOffscreen.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzFile file(data, size);
    FSSpec where;
    where.path = file.path();
    GraphicsImportComponent gi = nullptr;
    if (GetGraphicsImporterForFile(&where, &gi) != noErr || !gi) return 0;
    Rect box;
    if (GraphicsImportGetNaturalBounds(gi, &box) == noErr) {
        const int width = box.right - box.left, height = box.bottom - box.top;
        std::vector<uint32_t> pixels(size_t(width) * size_t(height));
        GWorldPtr world = nullptr;
        if (NewGWorldFromPtr(&world, k32ARGBPixelFormat, &box, nullptr, nullptr, 0,
                             reinterpret_cast<Ptr>(pixels.data()), long(width) * 4) == noErr) {
            GraphicsImportSetGWorld(gi, world, nullptr);
            GraphicsImportDraw(gi);
            DisposeGWorld(world);
        }
    }
    CloseComponent(gi);
    return 0;
}
