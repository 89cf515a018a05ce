// File specifications and the file calls over POSIX. A file specification is an
// absolute path; the file need not exist yet.
//
// Open files are known by a 16-bit reference number from FSpOpenDF. The mark
// (current position) is the descriptor's own offset.
//
// File type and creator are kept as the extended attributes "user.filetype" and
// "user.creator" (four characters each) where the file system allows them; on
// one that does not, they are silently not kept and FSpGetFInfo answers zeros.
//
// "File busy" (fBsyErr) is answered by FSpDelete, FSpReplace and by opening for
// writing when another open file description holds a POSIX (fcntl) record lock
// or a BSD flock lock on the file. Opening for writing itself takes both kinds
// of lock, so a file this process is writing is busy to everybody else too.
//
// Saving safely: write the new content to FSpCreateTemporary's file beside the
// target, close it, then FSpReplace(temporary, target). The target is replaced
// in one step (rename) only then; on any failure FSpDelete the temporary and
// the target stays as it was.
#pragma once

#include "MacTypes.h"

#include <string>

struct FSSpec {
    std::string path; // absolute, normalised
};
using FSSpecPtr = FSSpec*;

struct FInfo {
    OSType fdType = 0;
    OSType fdCreator = 0;
};

enum : SInt8 {
    fsCurPerm = 0,    // whatever the file allows: read/write, else read-only
    fsRdPerm = 1,     // read only
    fsWrPerm = 2,     // write only
    fsRdWrPerm = 3,   // read and write
    fsRdWrShPerm = 4, // read and write, shared (treated as fsRdWrPerm)
};

enum : int16_t {
    fsAtMark = 0,    // stay at the mark (the offset is ignored)
    fsFromStart = 1, // offset from the start of the file
    fsFromLEOF = 2,  // offset from the end of the file
    fsFromMark = 3,  // offset from the current mark
};

// `path`, absolute or relative to the working folder, made into a
// specification. noErr when made; the file need not exist but its folder must
// (dirNFErr otherwise); paramErr for a null argument, bdNamErr for an empty
// path. `flags` is reserved: pass 0.
OSErr NativePathNameToFSSpec(const char* path, FSSpec* fss, uint32_t flags);

// Deletes a file or an empty folder. fnfErr when absent, fBsyErr when another
// process holds it locked or the folder is not empty.
OSErr FSpDelete(const FSSpec* fss);

// Creates an empty file; dupFNErr when one of that name exists. `script` is ignored.
OSErr FSpCreate(const FSSpec* fss, OSType creator, OSType fileType, ScriptCode script);

// Type and creator recorded by FSpCreate (zeros where not kept); fnfErr when absent.
OSErr FSpGetFInfo(const FSSpec* fss, FInfo* info);

// Opens the file's data. Opening with write access answers fBsyErr when
// another process holds a lock on the file.
OSErr FSpOpenDF(const FSSpec* fss, SInt8 permission, int16_t* refNum);

// Moves the mark. A position before the start answers posErr and leaves the
// mark; a position past the end is allowed (bytes written there leave zeros
// between), so that a skip while writing needs no special case.
OSErr SetFPos(int16_t refNum, int16_t posMode, long posOffset);
OSErr GetFPos(int16_t refNum, long* position);

// Writes *count bytes at the mark, which advances. On failure *count is the
// number written (dskFulErr when the disk is full, wrPermErr when the file was
// opened read-only).
OSErr FSWrite(int16_t refNum, long* count, const void* buffer);

// Reads up to *count bytes at the mark. Fewer available: *count is what was
// read and the result is eofErr.
OSErr FSRead(int16_t refNum, long* count, void* buffer);

OSErr SetEOF(int16_t refNum, long logicalEOF);
OSErr GetEOF(int16_t refNum, long* logicalEOF);

// Forces the file's data to the disk (fsync).
OSErr FSFlushFork(int16_t refNum);

// Closes the file; rfNumErr for a reference number not open.
OSErr FSClose(int16_t refNum);

// noErr when no other process holds a lock on the file, fBsyErr when one does,
// fnfErr when it does not exist.
OSErr FSpCheckBusy(const FSSpec* fss);

// Creates a new, empty, uniquely named hidden file in the folder of `target`
// (".<name>.XXXXXX.tmp"), with the given type and creator, and answers its
// specification in *temporary. When the target exists the new file takes its
// permission bits, so that replacing keeps them.
OSErr FSpCreateTemporary(const FSSpec* target, OSType creator, OSType fileType, FSSpec* temporary);

// Puts `source` in place of `target` in one atomic step (rename within the
// folder); the target need not exist. fBsyErr, with nothing changed, when
// another process holds the target locked. Both must be in the same file system.
OSErr FSpReplace(const FSSpec* source, const FSSpec* target);

// Why a file call failed, in the system's own words ("No such file or
// directory", "No space left on device", ...); "error N" for a result that
// no system error stands behind.
std::string FileErrorReason(OSErr result);
