// The open dialog of the frame source: one file of given four-character types,
// the type list it filters by, and its (silent) event procedure.
#pragma once

#include "Files.h"
#include "Memory.h"
#include "Navigation.h"

// Asks the user for one file of `numTypes` types `typeList` into `*theFSSpecPtr`.
// 0 when a file was chosen; paramErr (-50) without an output specification;
// userCanceledErr (-128) when the dialog was dismissed; otherwise the dialog's
// error. Nothing is stored unless a file was chosen.
OSErr GetOneFileWithPreview(short numTypes, unsigned long* typeList, FSSpec* theFSSpecPtr,
                            NavObjectFilterUPP filterProc);

// A type-list block of 12 + 4 x numTypes bytes (signature at 0, count at 6, the
// types from 8), or the application's 'open' resource 128 when it has one; null
// for no types. The caller disposes of it.
Handle CreateOpenHandle(OSType applicationSignature, short numTypes, unsigned long* typeList);

// The dialog's event procedure: nothing to do for any event.
void HandleNavEvent(NavEventCallbackMessage callBackSelector, NavCBRecPtr callBackParms,
                    void* callBackUD);
