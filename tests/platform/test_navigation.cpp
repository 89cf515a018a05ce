// File dialogs through a scripted provider: filters, answers, cancels.
#include "Memory.h"
#include "Navigation.h"
#include "ScratchFolder.h"
#include "ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class Navigation : public testing::Test {
protected:
    void SetUp() override {
        script = std::make_shared<ScriptedDialogs>();
        previous = SetNavDialogProvider(script);
    }
    void TearDown() override { SetNavDialogProvider(previous); }
    std::shared_ptr<ScriptedDialogs> script;
    std::shared_ptr<NavDialogProvider> previous;
    ScratchFolder dir;
};

// The type list block as callers build it: signature, 2 unwritten bytes, count, types.
NavTypeListHandle typeList(std::initializer_list<OSType> types, long extraBytes = 4) {
    Handle h = NewHandleClear(long(8 + 4 * types.size()) + extraBytes);
    auto* list = reinterpret_cast<NavTypeList*>(*h);
    list->componentSignature = FOUR_CHAR_CODE("????");
    list->osTypeCount = int16_t(types.size());
    std::memcpy(*h + 8, std::data(types), 4 * types.size());
    return reinterpret_cast<NavTypeListHandle>(h);
}

// The path of the reply's first item, "unfilled" when it has none.
std::string firstItem(const NavReplyRecord& reply) {
    FSSpec fss{"unfilled"};
    AEGetNthPtr(&reply.selection, 1, typeFSS, nullptr, nullptr, &fss, 70, nullptr);
    return fss.path;
}

} // namespace

TEST_F(Navigation, MovieAndImageTypesOfferTheirFilesByExtension) {
    NavTypeListHandle types = typeList({FOUR_CHAR_CODE("MooV"), FOUR_CHAR_CODE("qtif")});
    WriteFileBytes(dir.file("clip.MOV"), {1});
    script->answers = {dir.file("clip.MOV")};
    NavDialogOptions options;
    ASSERT_EQ(NavGetDefaultDialogOptions(&options), noErr);
    options.dialogOptionFlags &= ~NavDialogOptionFlags(kNavAllowMultipleFiles | kNavNoTypePopup);
    NavReplyRecord reply;
    ASSERT_EQ(NavGetFile(nullptr, &reply, &options, nullptr, nullptr, nullptr, types, nullptr),
              noErr);
    ASSERT_EQ(script->opens.size(), 1u);
    const NavFileRequest& r = script->opens[0];
    ASSERT_EQ(r.filters.size(), 3u); // both kinds together, then each
    EXPECT_TRUE(r.preview);
    for (const char* ok : {"a.mov", "b.MP4", "c.mkv", "d.mpg", "e.png", "f.JPG", "g.tiff", "h.bmp",
                           "i.webp", "/x/y.avi"})
        EXPECT_TRUE(r.accepts(ok)) << ok;
    for (const char* no : {"a.txt", "b", "movie.mov.txt", ".mov", "c.pdf"})
        EXPECT_FALSE(r.accepts(no)) << no;

    EXPECT_TRUE(reply.validRecord);
    EXPECT_EQ(firstItem(reply), dir.file("clip.MOV"));
    NavDisposeReply(&reply);
    DisposeHandle(reinterpret_cast<Handle>(types));
}

TEST_F(Navigation, ADismissedOpenDialogIsUserCancelledWithAnInvalidReply) {
    NavReplyRecord reply;
    reply.validRecord = true; // whatever was there before
    script->answers = {std::nullopt};
    EXPECT_EQ(NavGetFile(nullptr, &reply, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              userCanceledErr);
    EXPECT_FALSE(reply.validRecord);
    EXPECT_EQ(firstItem(reply), "unfilled");

    // A chosen name that is no file is not a choice either.
    script->answers = {dir.file("ghost.mov")};
    EXPECT_EQ(NavGetFile(nullptr, &reply, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              fnfErr);
    EXPECT_FALSE(reply.validRecord);
}

TEST_F(Navigation, SaveDialogsProposeANameAndReportReplacing) {
    NavReplyRecord reply;
    script->answers = {dir.file("shot.jpg")};
    ASSERT_EQ(NavPutFile(nullptr, &reply, nullptr, nullptr, FOUR_CHAR_CODE("JPEG"),
                         FOUR_CHAR_CODE("****"), nullptr),
              noErr);
    EXPECT_EQ(script->saves.at(0).defaultName, "untitled.jpg");
    EXPECT_FALSE(script->saves.at(0).preview); // nothing to show in a name still to be written
    EXPECT_TRUE(reply.validRecord);
    EXPECT_FALSE(reply.replacing);
    EXPECT_EQ(firstItem(reply), dir.file("shot.jpg"));
    NavDisposeReply(&reply);

    WriteFileBytes(dir.file("old.jpg"), {1});
    NavDialogOptions options;
    NavGetDefaultDialogOptions(&options);
    std::memcpy(options.savedFileName, "\x08snap.jpg", 9);
    script->answers = {dir.file("old.jpg")};
    ASSERT_EQ(NavPutFile(nullptr, &reply, &options, nullptr, FOUR_CHAR_CODE("JPEG"), 0, nullptr),
              noErr);
    EXPECT_EQ(script->saves.at(1).defaultName, "snap.jpg");
    EXPECT_TRUE(reply.replacing);
    NavDisposeReply(&reply);

    script->answers = {dir.file("no/folder.jpg")};
    EXPECT_EQ(NavPutFile(nullptr, &reply, nullptr, nullptr, FOUR_CHAR_CODE("JPEG"), 0, nullptr),
              dirNFErr);
}

// Cancelling one is checked where images are loaded.
TEST_F(Navigation, ChooseFileDialogsRunInSteps) {
    WriteFileBytes(dir.file("pic.png"), {1});
    NavDialogCreationOptions options;
    ASSERT_EQ(NavGetDefaultDialogCreationOptions(&options), noErr);
    options.windowTitle = "Pick";
    script->answers = {dir.file("pic.png")};
    NavDialogRef dialog = nullptr;
    ASSERT_EQ(
        NavCreateChooseFileDialog(&options, nullptr, nullptr, nullptr, nullptr, nullptr, &dialog),
        noErr);
    NavReplyRecord reply;
    ASSERT_EQ(NavDialogRun(dialog), noErr);
    EXPECT_EQ(NavDialogGetReply(dialog, &reply), noErr);
    EXPECT_EQ(firstItem(reply), dir.file("pic.png"));
    NavDisposeReply(&reply);
    NavDialogDispose(dialog);
    EXPECT_EQ(script->opens.at(0).title, "Pick");
    EXPECT_TRUE(script->opens.at(0).preview);
}
