#include "Resources.h"

#include <cstring>
#include <mutex>
#include <set>
#include <utility>

namespace {
thread_local OSErr lastResError = noErr;
std::mutex ownedMutex;
std::set<Handle> owned; // handles still belonging to the resource manager

std::mutex sourceMutex;
ResourceSource& sourceSlot() {
    static ResourceSource source;
    return source;
}
} // namespace

ResourceSource SetResourceSource(ResourceSource source) {
    std::lock_guard lock(sourceMutex);
    return std::exchange(sourceSlot(), std::move(source));
}

Handle Get1Resource(ResType type, int16_t id) {
    ResourceSource source;
    {
        // A copy, so that a source being replaced meanwhile stays alive while it reads.
        std::lock_guard lock(sourceMutex);
        source = sourceSlot();
    }
    std::optional<std::vector<char>> bytes;
    if (source) bytes = source(type, id);
    if (!bytes) {
        lastResError = resNotFound;
        return nullptr;
    }
    Handle h = NewHandle(long(bytes->size()));
    if (!h) {
        lastResError = memFullErr;
        return nullptr;
    }
    if (!bytes->empty()) std::memcpy(*h, bytes->data(), bytes->size());
    {
        std::lock_guard lock(ownedMutex);
        owned.insert(h);
    }
    lastResError = noErr;
    return h;
}

OSErr ResError() {
    return lastResError;
}

void DetachResource(Handle resource) {
    std::lock_guard lock(ownedMutex);
    lastResError = owned.erase(resource) ? noErr : resNotFound;
}

void ReleaseResource(Handle resource) {
    bool wasOwned;
    {
        std::lock_guard lock(ownedMutex);
        wasOwned = owned.erase(resource) > 0;
    }
    lastResError = wasOwned ? noErr : resNotFound;
    if (wasOwned) DisposeHandle(resource);
}
