#include "Memory.h"

#include <cstdlib>
#include <cstring>
#include <new>

// A handle points at the first field of this block, so *h is the current data
// pointer; resizing may move the data but never the block.
struct HandleBlock {
    char* data;
    long size;
    int locks;
};

namespace {
thread_local OSErr lastMemError = noErr;

Handle make(long size, bool clear) {
    if (size < 0) {
        lastMemError = paramErr;
        return nullptr;
    }
    auto* b = static_cast<HandleBlock*>(std::malloc(sizeof(HandleBlock)));
    if (!b) {
        lastMemError = memFullErr;
        return nullptr;
    }
    b->data =
        static_cast<char*>(clear ? std::calloc(size ? size : 1, 1) : std::malloc(size ? size : 1));
    if (!b->data) {
        std::free(b);
        lastMemError = memFullErr;
        return nullptr;
    }
    b->size = size;
    b->locks = 0;
    lastMemError = noErr;
    return &b->data;
}

HandleBlock* block(Handle h) {
    return reinterpret_cast<HandleBlock*>(h);
}
} // namespace

Handle NewHandle(long size) {
    return make(size, false);
}
Handle NewHandleClear(long size) {
    return make(size, true);
}

void DisposeHandle(Handle h) {
    if (!h) return;
    std::free(block(h)->data);
    std::free(block(h));
    lastMemError = noErr;
}

long GetHandleSize(Handle h) {
    if (!h) {
        lastMemError = nilHandleErr;
        return 0;
    }
    lastMemError = noErr;
    return block(h)->size;
}

void SetHandleSize(Handle h, long size) {
    if (!h || size < 0) {
        lastMemError = h ? paramErr : nilHandleErr;
        return;
    }
    HandleBlock* b = block(h);
    if (b->locks > 0 && size > b->size) {
        lastMemError = memFullErr; // a locked block cannot move
        return;
    }
    char* d = static_cast<char*>(std::realloc(b->data, size ? size : 1));
    if (!d) {
        lastMemError = memFullErr;
        return;
    }
    b->data = d;
    b->size = size;
    lastMemError = noErr;
}

void HLock(Handle h) {
    if (h) ++block(h)->locks;
}
void HUnlock(Handle h) {
    if (h && block(h)->locks > 0) --block(h)->locks;
}

OSErr MemError() {
    return lastMemError;
}
