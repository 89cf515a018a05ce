// Handles: relocatable memory blocks that can be created, locked, resized and released.
#pragma once

#include "MacTypes.h"

#include <cstddef>

struct HandleBlock;
using Handle = char**;

Handle NewHandle(long size);      // uninitialised; null when out of memory
Handle NewHandleClear(long size); // zero-filled; null when out of memory
void DisposeHandle(Handle h);
long GetHandleSize(Handle h);
void SetHandleSize(Handle h, long size); // MemError() tells whether it worked
void HLock(Handle h);
void HUnlock(Handle h);
OSErr MemError(); // result of the last memory call on this thread
