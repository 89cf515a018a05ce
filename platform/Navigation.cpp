#include "Navigation.h"

#include "Memory.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <mutex>

struct AEDescData {
    std::vector<std::string> items;
};

struct NavDialog {
    NavDialogCreationOptions options;
    std::vector<NavFileFilter> filters;
    NavEventUPP eventProc = nullptr;
    void* clientData = nullptr;
    bool ran = false;
    NavUserAction action = kNavUserActionNone;
    std::string chosen;
};

namespace {

std::string lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string fromPascal(const unsigned char* s) {
    return std::string(reinterpret_cast<const char*>(s + 1), s[0]);
}

// ---- The default provider: nobody to ask ----

// Until a program installs a provider that can show dialogs (the application
// installs Qt's), every dialog answers as a dismissed one would.
class NoDialogProvider : public NavDialogProvider {
public:
    std::optional<std::string> getOpenPath(const NavFileRequest&) override { return std::nullopt; }
    std::optional<std::string> getSavePath(const NavFileRequest&) override { return std::nullopt; }
};

std::mutex providerMutex;
std::shared_ptr<NavDialogProvider>& providerSlot() {
    static std::shared_ptr<NavDialogProvider> p = std::make_shared<NoDialogProvider>();
    return p;
}
std::shared_ptr<NavDialogProvider> provider() {
    std::lock_guard lock(providerMutex);
    return providerSlot();
}

// ---- Type lists ----

const NavFileFilter* filterForType(OSType type) {
    static const NavFileFilter movies{"Movies",
                                      {"mov",  "qt",  "mp4", "m4v", "avi", "mkv",  "webm", "mpg",
                                       "mpeg", "m1v", "m2v", "vob", "ts",  "m2ts", "mts",  "dv",
                                       "flv",  "wmv", "asf", "3gp", "3g2", "ogv",  "mxf"}};
    static const NavFileFilter images{
        "Images", {"png", "jpg", "jpeg", "jpe", "jfif", "tif", "tiff", "bmp", "webp"}};
    static const NavFileFilter jpeg{"JPEG images", {"jpg", "jpeg", "jpe", "jfif"}};
    static const NavFileFilter png{"PNG images", {"png"}};
    static const NavFileFilter tiff{"TIFF images", {"tif", "tiff"}};
    static const NavFileFilter bmp{"BMP images", {"bmp"}};
    static const NavFileFilter webp{"WebP images", {"webp"}};
    switch (type) {
    case FOUR_CHAR_CODE("MooV"):
        return &movies;
    case FOUR_CHAR_CODE("qtif"):
        return &images;
    case FOUR_CHAR_CODE("JPEG"):
        return &jpeg;
    case FOUR_CHAR_CODE("PNGf"):
        return &png;
    case FOUR_CHAR_CODE("TIFF"):
        return &tiff;
    case FOUR_CHAR_CODE("BMPf"):
        return &bmp;
    case FOUR_CHAR_CODE("WEBP"):
        return &webp;
    default:
        return nullptr;
    }
}

std::vector<NavFileFilter> filtersForTypes(const std::vector<OSType>& types) {
    std::vector<NavFileFilter> groups;
    for (OSType t : types) {
        const NavFileFilter* f = filterForType(t);
        if (!f) continue;
        bool seen = std::any_of(groups.begin(), groups.end(),
                                [&](const NavFileFilter& g) { return g.label == f->label; });
        if (!seen) groups.push_back(*f);
    }
    if (groups.size() > 1) {
        // First, and chosen by default, every file any of the types allows.
        NavFileFilter all{"All supported files", {}};
        for (const NavFileFilter& g : groups)
            for (const std::string& e : g.extensions)
                if (std::find(all.extensions.begin(), all.extensions.end(), e) ==
                    all.extensions.end())
                    all.extensions.push_back(e);
        groups.insert(groups.begin(), all);
    }
    return groups;
}

void startReply(NavReplyRecord* reply) {
    *reply = NavReplyRecord{};
}

OSErr fillReply(NavReplyRecord* reply, const FSSpec& fss) {
    auto* data = new (std::nothrow) AEDescData{{fss.path}};
    if (!data) return memFullErr;
    reply->selection.descriptorType = typeAEList;
    reply->selection.dataHandle = data;
    reply->validRecord = true;
    return noErr;
}

// An existing regular file as a specification.
OSErr existingFile(const std::string& path, FSSpec* fss) {
    if (OSErr err = NativePathNameToFSSpec(path.c_str(), fss, 0)) return err;
    std::error_code ec;
    return std::filesystem::is_regular_file(fss->path, ec) ? noErr : fnfErr;
}

std::string directoryOf(const AEDesc* location) {
    if (!location || !location->dataHandle || location->dataHandle->items.empty()) return {};
    return location->dataHandle->items.front();
}

void notify(NavEventUPP proc, NavEventCallbackMessage msg, NavDialog* dialog, void* ud) {
    if (!proc) return;
    NavCBRec rec;
    rec.context = dialog;
    rec.eventKind = msg;
    proc(msg, &rec, ud);
}

} // namespace

bool NavFileRequest::accepts(const std::string& path) const {
    if (filters.empty()) return true;
    std::string ext = lower(std::filesystem::path(path).extension().string());
    if (ext.empty()) return false;
    ext.erase(0, 1);
    for (const NavFileFilter& f : filters)
        if (std::find(f.extensions.begin(), f.extensions.end(), ext) != f.extensions.end())
            return true;
    return false;
}

std::shared_ptr<NavDialogProvider> SetNavDialogProvider(std::shared_ptr<NavDialogProvider> p) {
    std::lock_guard lock(providerMutex);
    auto previous = providerSlot();
    providerSlot() = p ? std::move(p) : std::make_shared<NoDialogProvider>();
    return previous;
}

std::vector<NavFileFilter> NavFiltersForTypeList(NavTypeListHandle typeList) {
    if (!typeList || !*typeList) return {};
    long size = GetHandleSize(reinterpret_cast<Handle>(typeList));
    const NavTypeList& list = **typeList;
    // Only as many types as the block really holds.
    long fit = size >= 8 ? (size - 8) / 4 : 0;
    long count = std::min<long>(std::max<int16_t>(list.osTypeCount, 0), fit);
    std::vector<OSType> types;
    const auto* bytes = reinterpret_cast<const unsigned char*>(*typeList) + 8;
    for (long i = 0; i < count; ++i) {
        OSType t;
        std::memcpy(&t, bytes + 4 * i, 4);
        types.push_back(t);
    }
    return filtersForTypes(types);
}

OSErr AEGetNthPtr(const AEDescList* list, long index, DescType desiredType, AEKeyword* keyword,
                  DescType* typeCode, void* dataPtr, Size maximumSize, Size* actualSize) {
    if (!list) return paramErr;
    if (!list->dataHandle || index < 1 || size_t(index) > list->dataHandle->items.size())
        return errAEDescNotFound;
    if (desiredType != typeFSS && desiredType != typeWildCard) return errAECoercionFail;
    if (!dataPtr || maximumSize < Size(sizeof(FSSpec))) return paramErr;
    static_cast<FSSpec*>(dataPtr)->path = list->dataHandle->items[size_t(index - 1)];
    if (keyword) *keyword = typeWildCard;
    if (typeCode) *typeCode = typeFSS;
    if (actualSize) *actualSize = sizeof(FSSpec);
    return noErr;
}

OSErr AECountItems(const AEDescList* list, long* count) {
    if (!list || !count) return paramErr;
    *count = list->dataHandle ? long(list->dataHandle->items.size()) : 0;
    return noErr;
}

OSErr AEDisposeDesc(AEDesc* desc) {
    if (!desc) return paramErr;
    delete desc->dataHandle;
    *desc = AEDesc{};
    return noErr;
}

OSErr NavGetDefaultDialogOptions(NavDialogOptions* options) {
    if (!options) return paramErr;
    *options = NavDialogOptions{};
    return noErr;
}

OSStatus NavGetDefaultDialogCreationOptions(NavDialogCreationOptions* options) {
    if (!options) return paramErr;
    *options = NavDialogCreationOptions{};
    return noErr;
}

// What the dialogs share: the title (the options' own, else the client's name,
// else `fallbackTitle`), the message and the folder to start in.
static NavFileRequest requestFor(const AEDesc* defaultLocation, const NavDialogOptions& o,
                                 const char* fallbackTitle) {
    NavFileRequest request;
    request.title = fromPascal(o.windowTitle);
    if (request.title.empty()) request.title = fromPascal(o.clientName);
    if (request.title.empty()) request.title = fallbackTitle;
    request.message = fromPascal(o.message);
    request.directory = directoryOf(defaultLocation);
    return request;
}

OSErr NavGetFile(const AEDesc* defaultLocation, NavReplyRecord* reply,
                 const NavDialogOptions* dialogOptions, NavEventUPP eventProc, NavPreviewUPP,
                 NavObjectFilterUPP, NavTypeListHandle typeList, void* callBackUD) {
    if (!reply) return paramErr;
    startReply(reply);
    NavDialogOptions defaults;
    const NavDialogOptions& o = dialogOptions ? *dialogOptions : defaults;
    NavFileRequest request = requestFor(defaultLocation, o, "Open");
    request.filters = NavFiltersForTypeList(typeList);
    request.allowAllFiles = !(o.dialogOptionFlags & kNavNoTypePopup);
    request.preview = o.dialogOptionFlags & kNavAllowPreviews;

    notify(eventProc, kNavCBStart, nullptr, callBackUD);
    std::optional<std::string> path = provider()->getOpenPath(request);
    notify(eventProc, kNavCBTerminate, nullptr, callBackUD);
    if (!path) return userCanceledErr;
    FSSpec fss;
    if (OSErr err = existingFile(*path, &fss)) return err;
    return fillReply(reply, fss);
}

OSErr NavPutFile(const AEDesc* defaultLocation, NavReplyRecord* reply,
                 const NavDialogOptions* dialogOptions, NavEventUPP eventProc, OSType fileType,
                 OSType fileCreator, void* callBackUD) {
    return NavPutFileOfTypes(defaultLocation, reply, dialogOptions, eventProc, {fileType},
                             fileCreator, callBackUD);
}

OSErr NavPutFileOfTypes(const AEDesc* defaultLocation, NavReplyRecord* reply,
                        const NavDialogOptions* dialogOptions, NavEventUPP eventProc,
                        const std::vector<OSType>& fileTypes, OSType, void* callBackUD) {
    if (!reply) return paramErr;
    startReply(reply);
    NavDialogOptions defaults;
    const NavDialogOptions& o = dialogOptions ? *dialogOptions : defaults;
    NavFileRequest request = requestFor(defaultLocation, o, "Save");
    for (OSType t : fileTypes)
        if (const NavFileFilter* f = filterForType(t)) request.filters.push_back(*f);
    request.allowAllFiles = true;
    request.defaultName = fromPascal(o.savedFileName);
    if (request.defaultName.empty()) {
        request.defaultName = "untitled";
        if (!request.filters.empty()) request.defaultName += "." + request.filters[0].extensions[0];
    }

    notify(eventProc, kNavCBStart, nullptr, callBackUD);
    std::optional<std::string> path = provider()->getSavePath(request);
    notify(eventProc, kNavCBTerminate, nullptr, callBackUD);
    if (!path) return userCanceledErr;
    FSSpec fss;
    if (OSErr err = NativePathNameToFSSpec(path->c_str(), &fss, 0)) return err;
    std::error_code ec;
    if (std::filesystem::is_directory(fss.path, ec)) return paramErr;
    reply->replacing = std::filesystem::exists(fss.path, ec);
    return fillReply(reply, fss);
}

OSErr NavDisposeReply(NavReplyRecord* reply) {
    if (!reply) return paramErr;
    AEDisposeDesc(&reply->selection);
    reply->validRecord = false;
    return noErr;
}

OSStatus NavCreateChooseFileDialog(const NavDialogCreationOptions* options,
                                   NavTypeListHandle typeList, NavEventUPP eventProc, NavPreviewUPP,
                                   NavObjectFilterUPP, void* clientData, NavDialogRef* dialog) {
    if (!dialog) return paramErr;
    *dialog = nullptr;
    auto* d = new (std::nothrow) NavDialog;
    if (!d) return memFullErr;
    if (options) d->options = *options;
    d->filters = NavFiltersForTypeList(typeList);
    d->eventProc = eventProc;
    d->clientData = clientData;
    *dialog = d;
    return noErr;
}

OSStatus NavDialogRun(NavDialogRef dialog) {
    if (!dialog) return paramErr;
    NavFileRequest request;
    request.title = dialog->options.windowTitle.empty() ? dialog->options.clientName
                                                        : dialog->options.windowTitle;
    if (request.title.empty()) request.title = "Choose a File";
    request.message = dialog->options.message;
    request.filters = dialog->filters;
    request.allowAllFiles = !(dialog->options.optionFlags & kNavNoTypePopup);
    request.preview = dialog->options.optionFlags & kNavAllowPreviews;
    notify(dialog->eventProc, kNavCBStart, dialog, dialog->clientData);
    std::optional<std::string> path = provider()->getOpenPath(request);
    notify(dialog->eventProc, kNavCBTerminate, dialog, dialog->clientData);
    dialog->ran = true;
    dialog->action = path ? kNavUserActionChoose : kNavUserActionCancel;
    dialog->chosen = path.value_or(std::string());
    return noErr;
}

NavUserAction NavDialogGetUserAction(NavDialogRef dialog) {
    return dialog ? dialog->action : kNavUserActionNone;
}

OSStatus NavDialogGetReply(NavDialogRef dialog, NavReplyRecord* reply) {
    if (!dialog || !reply) return paramErr;
    startReply(reply);
    if (!dialog->ran) return paramErr;
    if (dialog->action != kNavUserActionChoose) return userCanceledErr;
    FSSpec fss;
    if (OSErr err = existingFile(dialog->chosen, &fss)) return err;
    return fillReply(reply, fss);
}

void NavDialogDispose(NavDialogRef dialog) {
    delete dialog;
}
