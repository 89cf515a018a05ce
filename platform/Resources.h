// Application resources by type and id. They come from a replaceable source:
// none by default, Qt resources ":/resources/<type>/<id>" once the application
// installs that reader (ResourcesQt.h); absent ones answer resNotFound. A
// resource handle belongs to the resource manager until it is detached
// (DetachResource); then the caller disposes of it.
#pragma once

#include "MacTypes.h"
#include "Memory.h"

#include <functional>
#include <optional>
#include <vector>

// A copy of the resource in a new handle, or null (ResError() tells why).
Handle Get1Resource(ResType type, int16_t id);
// The result of the last resource call on this thread.
OSErr ResError();
// Hands the resource to the caller (resNotFound for a handle that is not a resource).
void DetachResource(Handle resource);
// Disposes of a resource that was not detached.
void ReleaseResource(Handle resource);

// The bytes of resource `type`/`id`, or nothing when there is no such resource.
// Called on the thread that asks for the resource.
using ResourceSource = std::function<std::optional<std::vector<char>>(ResType type, int16_t id)>;
// Installs the source Get1Resource reads from and answers the previous one; an
// empty source means that no resource exists.
ResourceSource SetResourceSource(ResourceSource source);
