// Open and save dialogs, their replies and the event descriptors that carry the
// chosen files. The dialogs themselves come from a replaceable provider: none by
// default (every dialog answers cancelled), Qt file dialogs once the application
// installs them (NavigationQt.h), a scripted answer in tests.
#pragma once

#include "Files.h"
#include "MacTypes.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// ---- Event descriptors -------------------------------------------------------

using DescType = OSType;
using AEKeyword = OSType;
inline constexpr DescType typeFSS = FOUR_CHAR_CODE("fss ");
inline constexpr DescType typeWildCard = FOUR_CHAR_CODE("****");
inline constexpr DescType typeAEList = FOUR_CHAR_CODE("list");
inline constexpr DescType typeNull = FOUR_CHAR_CODE("null");

struct AEDescData; // the items: absolute paths
struct AEDesc {
    DescType descriptorType = typeNull;
    AEDescData* dataHandle = nullptr;
};
using AEDescList = AEDesc;

// Item `index` (from 1) of a list. Asked for as 'fss ' (or '****'), `dataPtr`
// must point at a constructed FSSpec and `maximumSize` be at least
// sizeof(FSSpec); the item is assigned to it. errAEDescNotFound for an index
// out of range, errAECoercionFail for another type.
OSErr AEGetNthPtr(const AEDescList* list, long index, DescType desiredType, AEKeyword* keyword,
                  DescType* typeCode, void* dataPtr, Size maximumSize, Size* actualSize);
OSErr AECountItems(const AEDescList* list, long* count);
OSErr AEDisposeDesc(AEDesc* desc);

// ---- Dialog options, type lists, callbacks -----------------------------------

using NavDialogOptionFlags = uint32_t;
enum : NavDialogOptionFlags {
    kNavNoTypePopup = 0x01,
    kNavDontAutoTranslate = 0x02,
    kNavDontAddTranslateItems = 0x04,
    kNavAllFilesInPopup = 0x10,
    kNavAllowStationery = 0x20,
    kNavAllowPreviews = 0x40,
    kNavAllowMultipleFiles = 0x80,
    kNavAllowInvisibleFiles = 0x100,
    kNavDontConfirmReplacement = 0x10000,
    // The defaults. Both kNavAllowMultipleFiles and kNavNoTypePopup are on, so
    // a caller that subtracts 0x81 clears exactly those two.
    kNavDefaultNavDlogOptions = kNavNoTypePopup | kNavDontAddTranslateItems | kNavAllowStationery |
                                kNavAllowPreviews | kNavAllowMultipleFiles,
};

struct NavDialogOptions {
    uint16_t version = 0;
    NavDialogOptionFlags dialogOptionFlags = kNavDefaultNavDlogOptions;
    Point location{-1, -1};
    Str255 clientName{};  // Pascal strings: a length byte, then the characters
    Str255 windowTitle{}; // the dialog's title; the client name when empty
    Str255 actionButtonLabel{};
    Str255 cancelButtonLabel{};
    Str255 savedFileName{}; // save dialogs: the proposed name
    Str255 message{};
    uint32_t preferenceKey = 0;
};

struct NavDialogCreationOptions {
    uint16_t version = 0;
    NavDialogOptionFlags optionFlags = kNavDefaultNavDlogOptions;
    Point location{-1, -1};
    std::string clientName;
    std::string windowTitle;
    std::string actionButtonLabel;
    std::string cancelButtonLabel;
    std::string saveFileName;
    std::string message;
    uint32_t preferenceKey = 0;
};

// A type list block: signature, 2 reserved bytes, a count, the types.
#pragma pack(push, 2)
struct NavTypeList {
    OSType componentSignature;
    int16_t reserved;
    int16_t osTypeCount;
    OSType osType[1];
};
#pragma pack(pop)
static_assert(sizeof(NavTypeList) == 12);
using NavTypeListPtr = NavTypeList*;
using NavTypeListHandle = NavTypeList**;

using NavEventCallbackMessage = int32_t;
enum : NavEventCallbackMessage {
    kNavCBEvent = 0,
    kNavCBStart = 5,
    kNavCBTerminate = 3,
    kNavCBUserAction = 11,
};
struct NavCBRec {
    uint16_t version = 0;
    struct NavDialog* context = nullptr;
    NavEventCallbackMessage eventKind = 0;
};
using NavCBRecPtr = NavCBRec*;
using NavEventProcPtr = void (*)(NavEventCallbackMessage selector, NavCBRecPtr params,
                                 void* callBackUD);
using NavPreviewProcPtr = Boolean (*)(NavCBRecPtr params, void* callBackUD);
using NavObjectFilterProcPtr = Boolean (*)(AEDesc* item, void* info, void* callBackUD,
                                           int16_t filterMode);
// Universal procedure pointers are the procedures themselves here.
using NavEventUPP = NavEventProcPtr;
using NavPreviewUPP = NavPreviewProcPtr;
using NavObjectFilterUPP = NavObjectFilterProcPtr;
inline NavEventUPP NewNavEventUPP(NavEventProcPtr proc) {
    return proc;
}
inline void DisposeNavEventUPP(NavEventUPP) {}

struct NavReplyRecord {
    uint16_t version = 0;
    Boolean validRecord = false; // true only when the user chose a file
    Boolean replacing = false;   // save: the chosen file exists and will be replaced
    Boolean isStationery = false;
    Boolean translationNeeded = false;
    AEDescList selection; // the chosen file, as a one-item list
    ScriptCode keyScript = 0;
};

struct NavDialog;
using NavDialogRef = NavDialog*;
using NavUserAction = uint32_t;
enum : NavUserAction {
    kNavUserActionNone = 0,
    kNavUserActionCancel = 1,
    kNavUserActionOpen = 2,
    kNavUserActionChoose = 8,
};

// ---- The calls ---------------------------------------------------------------

OSErr NavGetDefaultDialogOptions(NavDialogOptions* options);
OSStatus NavGetDefaultDialogCreationOptions(NavDialogCreationOptions* options);

// Asks for a file to open. The type list selects by extension ('MooV' movie
// files, 'qtif' single-image files, 'JPEG', 'PNGf', 'TIFF', 'BMPf', 'WEBP'); no
// list, or none of those types, offers every file. `eventProc` hears
// kNavCBStart and kNavCBTerminate; preview and filter procedures are not
// called. A dismissed dialog answers userCanceledErr and an invalid reply; a
// chosen path that is not an existing file answers fnfErr and an invalid reply.
OSErr NavGetFile(const AEDesc* defaultLocation, NavReplyRecord* reply,
                 const NavDialogOptions* dialogOptions, NavEventUPP eventProc,
                 NavPreviewUPP previewProc, NavObjectFilterUPP filterProc,
                 NavTypeListHandle typeList, void* callBackUD);

// Asks for a file name to save to; the file need not exist, its folder must.
// The proposed name is the options' savedFileName, else "untitled" with the
// extension of `fileType` ('JPEG' gives ".jpg").
OSErr NavPutFile(const AEDesc* defaultLocation, NavReplyRecord* reply,
                 const NavDialogOptions* dialogOptions, NavEventUPP eventProc, OSType fileType,
                 OSType fileCreator, void* callBackUD);
// NavPutFile offering several file types, the first one proposed. The file
// chosen has the extension typed, or else that of the type picked in the dialog.
OSErr NavPutFileOfTypes(const AEDesc* defaultLocation, NavReplyRecord* reply,
                        const NavDialogOptions* dialogOptions, NavEventUPP eventProc,
                        const std::vector<OSType>& fileTypes, OSType fileCreator, void* callBackUD);

OSErr NavDisposeReply(NavReplyRecord* reply);

// A choose-file dialog run in steps: create, run, get the reply, dispose.
// NavDialogRun answers noErr once the dialog ran, whatever the user did;
// NavDialogGetReply then answers userCanceledErr and an invalid reply for a
// dismissed dialog.
OSStatus NavCreateChooseFileDialog(const NavDialogCreationOptions* options,
                                   NavTypeListHandle typeList, NavEventUPP eventProc,
                                   NavPreviewUPP previewProc, NavObjectFilterUPP filterProc,
                                   void* clientData, NavDialogRef* dialog);
OSStatus NavDialogRun(NavDialogRef dialog);
NavUserAction NavDialogGetUserAction(NavDialogRef dialog);
OSStatus NavDialogGetReply(NavDialogRef dialog, NavReplyRecord* reply);
void NavDialogDispose(NavDialogRef dialog);

// ---- The dialog provider -----------------------------------------------------

// One group of files a dialog offers, e.g. {"Movies", {"mov", "mp4", ...}}.
struct NavFileFilter {
    std::string label;
    std::vector<std::string> extensions; // lower case, without the dot
};

struct NavFileRequest {
    std::string title;
    std::string message;
    std::string defaultName;            // save dialogs
    std::string directory;              // where to start; empty: the dialog's own choice
    std::vector<NavFileFilter> filters; // empty: every file; otherwise the first is the default
    bool allowAllFiles = true;          // offer "All files" beside the filters
    bool preview = false;               // open dialogs: show the selected file's picture
    // Whether a path passes the filters (by extension, case-insensitive).
    bool accepts(const std::string& path) const;
};

class NavDialogProvider {
public:
    virtual ~NavDialogProvider() = default;
    // The chosen path, or nothing when the user dismissed the dialog.
    virtual std::optional<std::string> getOpenPath(const NavFileRequest& request) = 0;
    virtual std::optional<std::string> getSavePath(const NavFileRequest& request) = 0;
};

// Installs a provider and answers the previous one; null puts the default
// back. The default shows no dialog and answers as if the user cancelled.
std::shared_ptr<NavDialogProvider> SetNavDialogProvider(std::shared_ptr<NavDialogProvider> p);

// The filters a type list stands for (empty: every file). Exposed for tests.
std::vector<NavFileFilter> NavFiltersForTypeList(NavTypeListHandle typeList);
