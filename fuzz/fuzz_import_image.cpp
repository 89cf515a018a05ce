// Imports the input as a still image and draws it into a world of its size.
#include "FuzzInput.h"
#include "GraphicsImport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzFile file(data, size);
    FSSpec where;
    where.path = file.path();
    GraphicsImportComponent gi = nullptr;
    if (GetGraphicsImporterForFile(&where, &gi) != noErr || !gi) return 0;
    Rect box;
    if (GraphicsImportGetNaturalBounds(gi, &box) == noErr) {
        FuzzWorld w(box);
        if (w.world) {
            GraphicsImportSetGWorld(gi, w.world, nullptr);
            GraphicsImportDraw(gi);
        }
    }
    CloseComponent(gi);
    return 0;
}
