#include "GetOneFileWithPreview.h"

#include "Memory.h"
#include "Resources.h"

#include <cstring>

namespace {
constexpr ResType kOpenResourceType = FOUR_CHAR_CODE("open");
constexpr int16_t kOpenResourceID = 128;
constexpr OSType kAnySignature = FOUR_CHAR_CODE("????");
constexpr DescType kFSSType = FOUR_CHAR_CODE("fss ");
constexpr Size kFSSSize = 70; // room given for the chosen file's specification
static_assert(sizeof(FSSpec) <= kFSSSize);
} // namespace

void HandleNavEvent(NavEventCallbackMessage, NavCBRecPtr, void*) {}

Handle CreateOpenHandle(OSType applicationSignature, short numTypes, unsigned long* typeList) {
    Handle h = Get1Resource(kOpenResourceType, kOpenResourceID);
    if (h && ResError() == noErr) {
        DetachResource(h);
        return h;
    }
    if (h) ReleaseResource(h);
    if (!typeList || numTypes < 1) return nullptr;

    h = NewHandle(12 + 4 * long(numTypes));
    if (!h) return nullptr;
    // Bytes 4 and 5 are reserved and the last four are spare: neither is written.
    char* p = *h;
    const OSType signature = applicationSignature;
    const int16_t count = numTypes;
    std::memcpy(p, &signature, 4);
    std::memcpy(p + 6, &count, 2);
    for (short i = 0; i < numTypes; ++i) {
        const OSType type = OSType(typeList[i]);
        std::memcpy(p + 8 + 4 * i, &type, 4);
    }
    return h;
}

OSErr GetOneFileWithPreview(short numTypes, unsigned long* typeList, FSSpec* theFSSpecPtr,
                            NavObjectFilterUPP filterProc) {
    NavEventUPP eventUPP = NewNavEventUPP(HandleNavEvent);
    if (!theFSSpecPtr) {
        DisposeNavEventUPP(eventUPP);
        return paramErr;
    }

    NavDialogOptions options;
    NavGetDefaultDialogOptions(&options);
    // Clears "more than one file" (0x80) and "no type pop-up" (0x01).
    options.dialogOptionFlags -= kNavAllowMultipleFiles | kNavNoTypePopup;
    static const char clientName[] = "Find a File";
    options.clientName[0] = sizeof clientName - 1;
    std::memcpy(options.clientName + 1, clientName, sizeof clientName - 1);

    Handle openList = CreateOpenHandle(kAnySignature, numTypes, typeList);
    if (openList) HLock(openList);

    NavReplyRecord reply;
    OSErr err = NavGetFile(nullptr, &reply, &options, eventUPP, nullptr, filterProc,
                           reinterpret_cast<NavTypeListHandle>(openList), nullptr);
    if (err == noErr) {
        if (reply.validRecord) {
            FSSpec chosen;
            AEKeyword keyword = 0;
            DescType actualType = 0;
            Size actualSize = 0;
            err = AEGetNthPtr(&reply.selection, 1, kFSSType, &keyword, &actualType, &chosen,
                              kFSSSize, &actualSize);
            // The caller's specification is only touched once the item was had.
            if (err == noErr) *theFSSpecPtr = chosen;
        } else {
            // A reply with no file in it is a dismissed dialog: report it as
            // such, so that nobody opens the unfilled specification.
            err = userCanceledErr;
        }
    }
    NavDisposeReply(&reply);

    if (openList) {
        HUnlock(openList);
        DisposeHandle(openList);
    }
    DisposeNavEventUPP(eventUPP);
    return err;
}
