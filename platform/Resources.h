// Application resources by type and id. They come from the Qt resource
// ":/resources/<type>/<id>" (e.g. ":/resources/open/128"); absent ones answer
// resNotFound. A resource handle belongs to the resource manager until it is
// detached (DetachResource); then the caller disposes of it.
#pragma once

#include "MacTypes.h"
#include "Memory.h"

// A copy of the resource in a new handle, or null (ResError() tells why).
Handle Get1Resource(ResType type, int16_t id);
// The result of the last resource call on this thread.
OSErr ResError();
// Hands the resource to the caller (resNotFound for a handle that is not a resource).
void DetachResource(Handle resource);
// Disposes of a resource that was not detached.
void ReleaseResource(Handle resource);
