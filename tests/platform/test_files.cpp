// Files: specifications, reading and writing, busy files and atomic replacement.
#include "Files.h"
#include "LockHolder.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <sys/stat.h>

namespace {

FSSpec specOf(const std::string& path) {
    FSSpec s;
    EXPECT_EQ(NativePathNameToFSSpec(path.c_str(), &s, 0), noErr) << path;
    return s;
}

std::string contents(const std::string& path) {
    auto bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

void put(const std::string& path, const std::string& text) {
    WriteFileBytes(path, std::vector<unsigned char>(text.begin(), text.end()));
}

} // namespace

TEST(FileSpecs, PathsBecomeNormalWhileTheFolderMustExist) {
    ScratchFolder dir;
    FSSpec s;
    EXPECT_EQ(NativePathNameToFSSpec((dir.path() + "/a/../new.jpg/").c_str(), &s, 0), noErr);
    EXPECT_EQ(s.path, dir.file("new.jpg")); // need not exist, normalised

    FSSpec untouched{"/kept"};
    EXPECT_EQ(NativePathNameToFSSpec(dir.file("missing/x.jpg").c_str(), &untouched, 0), dirNFErr);
    EXPECT_EQ(untouched.path, "/kept");
}

TEST(Files, ReadWritePositionsAndEndOfFile) {
    ScratchFolder dir;
    FSSpec s = specOf(dir.file("data"));
    put(s.path, "");
    int16_t ref = 0;
    ASSERT_EQ(FSpOpenDF(&s, fsRdWrPerm, &ref), noErr);
    long n = 11;
    ASSERT_EQ(FSWrite(ref, &n, "hello world"), noErr);
    char buf[16] = {};
    ASSERT_EQ(SetFPos(ref, fsFromLEOF, -5), noErr);
    n = 2;
    ASSERT_EQ(FSRead(ref, &n, buf), noErr);
    EXPECT_EQ(std::string(buf, 2), "wo");
    // A short read answers what there was and eofErr.
    ASSERT_EQ(SetFPos(ref, fsFromMark, 1), noErr);
    n = 10;
    EXPECT_EQ(FSRead(ref, &n, buf), eofErr);
    EXPECT_EQ(std::string(buf, size_t(n)), "ld");
    // A skip past the end, then a write: zeros in between.
    ASSERT_EQ(SetFPos(ref, fsFromMark, 2), noErr);
    n = 1;
    ASSERT_EQ(FSWrite(ref, &n, "!"), noErr);
    long eof = 0;
    ASSERT_EQ(GetEOF(ref, &eof), noErr);
    EXPECT_EQ(eof, 14);
    ASSERT_EQ(SetEOF(ref, 5), noErr);
    ASSERT_EQ(FSClose(ref), noErr);
    EXPECT_EQ(contents(s.path), "hello");
}

TEST(Files, ALockHeldByAnotherProcessOrAWriterHereMakesTheFileBusy) {
    for (auto kind : {LockHolder::Fcntl, LockHolder::Flock}) {
        SCOPED_TRACE(kind == LockHolder::Fcntl ? "fcntl" : "flock");
        ScratchFolder dir;
        put(dir.file("held.jpg"), "old");
        FSSpec s = specOf(dir.file("held.jpg"));
        {
            LockHolder holder(s.path, kind);
            ASSERT_TRUE(holder.locked());
            EXPECT_EQ(FSpCheckBusy(&s), fBsyErr);
            EXPECT_EQ(FSpDelete(&s), fBsyErr);
            int16_t ref = 0;
            EXPECT_EQ(FSpOpenDF(&s, fsWrPerm, &ref), fBsyErr);
            // Reading is still allowed.
            ASSERT_EQ(FSpOpenDF(&s, fsRdPerm, &ref), noErr);
            EXPECT_EQ(FSClose(ref), noErr);
            // Nor may a replacement take its place.
            put(dir.file("new"), "new");
            FSSpec fresh = specOf(dir.file("new"));
            EXPECT_EQ(FSpReplace(&fresh, &s), fBsyErr);
            EXPECT_EQ(contents(s.path), "old");
        }
        EXPECT_EQ(FSpCheckBusy(&s), noErr);
        // Open for writing here, it is busy to everyone else.
        int16_t ref = 0, second = 0;
        ASSERT_EQ(FSpOpenDF(&s, fsRdWrPerm, &ref), noErr);
        EXPECT_EQ(FSpCheckBusy(&s), fBsyErr);
        EXPECT_EQ(FSpOpenDF(&s, fsRdWrPerm, &second), fBsyErr);
        ASSERT_EQ(FSClose(ref), noErr);
    }
}

TEST(Files, TemporaryFilesReplaceTheTargetInOneStep) {
    ScratchFolder dir;
    put(dir.file("shot.jpg"), "old contents");
    chmod(dir.file("shot.jpg").c_str(), 0640);
    FSSpec target = specOf(dir.file("shot.jpg"));

    FSSpec t1, t2;
    ASSERT_EQ(FSpCreateTemporary(&target, 0, 0, &t1), noErr);
    ASSERT_EQ(FSpCreateTemporary(&target, 0, 0, &t2), noErr);
    EXPECT_NE(t1.path, t2.path);
    EXPECT_EQ(std::filesystem::path(t1.path).parent_path(), dir.path());

    int16_t ref = 0;
    ASSERT_EQ(FSpOpenDF(&t1, fsRdWrPerm, &ref), noErr);
    long n = 3;
    ASSERT_EQ(FSWrite(ref, &n, "new"), noErr);
    ASSERT_EQ(FSClose(ref), noErr);
    ASSERT_EQ(FSpReplace(&t1, &target), noErr);
    EXPECT_EQ(contents(target.path), "new");
    EXPECT_FALSE(std::filesystem::exists(t1.path));
    struct stat st {};
    ASSERT_EQ(stat(target.path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u); // the replaced file's permissions stay

    EXPECT_EQ(FSpDelete(&t2), noErr);
    EXPECT_EQ(FSpDelete(&t2), fnfErr);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"shot.jpg"});
}
