#include "Files.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* kTypeAttr = "user.filetype";
constexpr const char* kCreatorAttr = "user.creator";

OSErr fromErrno(int e) {
    switch (e) {
    case 0:
        return noErr;
    case ENOENT:
        return fnfErr;
    case ENOTDIR:
        return dirNFErr;
    case EEXIST:
        return dupFNErr;
    case EACCES:
    case EPERM:
        return permErr;
    case EROFS:
        return wPrErr;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return dskFulErr;
    case ENAMETOOLONG:
    case EINVAL:
        return bdNamErr;
    case EBUSY:
    case ETXTBSY:
    case ENOTEMPTY:
    case EAGAIN:
        return fBsyErr;
    case EMFILE:
    case ENFILE:
        return tmfoErr;
    case ENOMEM:
        return memFullErr;
    default:
        return ioErr;
    }
}

// Open files: slot i holds reference number i + 1.
struct OpenFile {
    int fd = -1;
    bool canWrite = false;
};
std::mutex tableMutex;
std::vector<OpenFile> table;

bool lookup(int16_t refNum, OpenFile* out) {
    std::lock_guard lock(tableMutex);
    if (refNum < 1 || size_t(refNum) > table.size() || table[refNum - 1].fd < 0) return false;
    *out = table[refNum - 1];
    return true;
}

// Is there a lock on the file that belongs to somebody other than `fd`'s own
// open file description? The OFD query sees every other holder's record locks,
// classic or OFD, so a file this process has open for writing (FSpOpenDF keeps
// an OFD lock) is busy here as it is to another process.
bool lockedElsewhere(int fd) {
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0;
    if (fcntl(fd, F_OFD_GETLK, &fl) == 0 && fl.l_type != F_UNLCK) return true;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) return errno == EWOULDBLOCK;
    flock(fd, LOCK_UN);
    return false;
}

// The folder a specification lives in must exist.
OSErr checkFolder(const fs::path& p) {
    std::error_code ec;
    fs::path parent = p.parent_path();
    if (parent.empty()) return noErr;
    if (!fs::is_directory(parent, ec)) return dirNFErr;
    return noErr;
}

void writeTypeAttrs(int fd, OSType creator, OSType fileType) {
    auto put = [fd](const char* name, OSType code) {
        char bytes[4] = {char(code >> 24), char(code >> 16), char(code >> 8), char(code)};
        // Not every file system keeps user attributes; the file is good without them.
        (void)fsetxattr(fd, name, bytes, sizeof bytes, 0);
    };
    put(kTypeAttr, fileType);
    put(kCreatorAttr, creator);
}

OSErr registerFile(int fd, bool canWrite, int16_t* refNum) {
    std::lock_guard lock(tableMutex);
    for (size_t i = 0; i < table.size(); ++i) {
        if (table[i].fd < 0) {
            table[i] = {fd, canWrite};
            *refNum = int16_t(i + 1);
            return noErr;
        }
    }
    if (table.size() >= size_t(INT16_MAX)) return tmfoErr;
    table.push_back({fd, canWrite});
    *refNum = int16_t(table.size());
    return noErr;
}

} // namespace

OSErr NativePathNameToFSSpec(const char* path, FSSpec* fss, uint32_t) {
    if (!path || !fss) return paramErr;
    if (!*path) return bdNamErr;
    std::error_code ec;
    fs::path p = fs::absolute(fs::path(path), ec);
    if (ec) return bdNamErr;
    p = p.lexically_normal();
    std::string s = p.string();
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    if (OSErr err = checkFolder(fs::path(s))) return err;
    fss->path = s;
    return noErr;
}

OSErr FSpDelete(const FSSpec* fss) {
    if (!fss || fss->path.empty()) return paramErr;
    struct stat st {};
    if (lstat(fss->path.c_str(), &st) != 0) return fromErrno(errno);
    if (S_ISDIR(st.st_mode)) return rmdir(fss->path.c_str()) == 0 ? OSErr(noErr) : fromErrno(errno);
    if (OSErr err = FSpCheckBusy(fss); err == fBsyErr) return err;
    return unlink(fss->path.c_str()) == 0 ? OSErr(noErr) : fromErrno(errno);
}

OSErr FSpCreate(const FSSpec* fss, OSType creator, OSType fileType, ScriptCode) {
    if (!fss || fss->path.empty()) return paramErr;
    int fd = open(fss->path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return errno == ENOENT ? OSErr(dirNFErr) : fromErrno(errno);
    writeTypeAttrs(fd, creator, fileType);
    close(fd);
    return noErr;
}

OSErr FSpGetFInfo(const FSSpec* fss, FInfo* info) {
    if (!fss || !info) return paramErr;
    struct stat st {};
    if (stat(fss->path.c_str(), &st) != 0) return fromErrno(errno);
    auto get = [&](const char* name) -> OSType {
        unsigned char b[4];
        if (getxattr(fss->path.c_str(), name, b, sizeof b) != 4) return 0;
        return (OSType(b[0]) << 24) | (OSType(b[1]) << 16) | (OSType(b[2]) << 8) | OSType(b[3]);
    };
    info->fdType = get(kTypeAttr);
    info->fdCreator = get(kCreatorAttr);
    return noErr;
}

OSErr FSpOpenDF(const FSSpec* fss, SInt8 permission, int16_t* refNum) {
    if (!fss || !refNum || fss->path.empty()) return paramErr;
    *refNum = 0;
    int flags;
    switch (permission) {
    case fsRdPerm:
        flags = O_RDONLY;
        break;
    case fsWrPerm:
        flags = O_WRONLY;
        break;
    case fsCurPerm:
    case fsRdWrPerm:
    case fsRdWrShPerm:
        flags = O_RDWR;
        break;
    default:
        return paramErr;
    }
    int fd = open(fss->path.c_str(), flags | O_CLOEXEC);
    if (fd < 0 && permission == fsCurPerm && (errno == EACCES || errno == EROFS)) {
        flags = O_RDONLY;
        fd = open(fss->path.c_str(), flags | O_CLOEXEC);
    }
    if (fd < 0) return fromErrno(errno);
    struct stat st {};
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        close(fd);
        return S_ISDIR(st.st_mode) ? paramErr : ioErr;
    }
    bool canWrite = flags != O_RDONLY;
    if (canWrite) {
        // Hold a whole-file OFD write lock and an flock lock while writing:
        // either failing means somebody else holds the file.
        struct flock fl {};
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        if (fcntl(fd, F_OFD_SETLK, &fl) != 0 || flock(fd, LOCK_EX | LOCK_NB) != 0) {
            int e = errno;
            close(fd);
            return (e == EAGAIN || e == EACCES || e == EWOULDBLOCK) ? OSErr(fBsyErr) : fromErrno(e);
        }
    }
    if (OSErr err = registerFile(fd, canWrite, refNum)) {
        close(fd);
        return err;
    }
    return noErr;
}

OSErr SetFPos(int16_t refNum, int16_t posMode, long posOffset) {
    OpenFile f;
    if (!lookup(refNum, &f)) return rfNumErr;
    off_t base;
    switch (posMode) {
    case fsAtMark:
        return noErr;
    case fsFromStart:
        base = 0;
        break;
    case fsFromMark:
        base = lseek(f.fd, 0, SEEK_CUR);
        break;
    case fsFromLEOF: {
        struct stat st {};
        if (fstat(f.fd, &st) != 0) return ioErr;
        base = st.st_size;
        break;
    }
    default:
        return paramErr;
    }
    if (base < 0) return ioErr;
    if (posOffset < 0 && base < -off_t(posOffset)) return posErr;
    return lseek(f.fd, base + posOffset, SEEK_SET) < 0 ? fromErrno(errno) : OSErr(noErr);
}

OSErr GetFPos(int16_t refNum, long* position) {
    OpenFile f;
    if (!position) return paramErr;
    if (!lookup(refNum, &f)) return rfNumErr;
    off_t at = lseek(f.fd, 0, SEEK_CUR);
    if (at < 0) return fromErrno(errno);
    *position = long(at);
    return noErr;
}

OSErr FSWrite(int16_t refNum, long* count, const void* buffer) {
    if (!count || *count < 0 || (*count > 0 && !buffer)) return paramErr;
    OpenFile f;
    if (!lookup(refNum, &f)) return rfNumErr;
    if (!f.canWrite) {
        *count = 0;
        return wrPermErr;
    }
    const char* p = static_cast<const char*>(buffer);
    long done = 0;
    while (done < *count) {
        ssize_t n = write(f.fd, p + done, size_t(*count - done));
        if (n < 0) {
            if (errno == EINTR) continue;
            int e = errno;
            *count = done;
            return fromErrno(e);
        }
        if (n == 0) {
            *count = done;
            return dskFulErr;
        }
        done += n;
    }
    return noErr;
}

OSErr FSRead(int16_t refNum, long* count, void* buffer) {
    if (!count || *count < 0 || (*count > 0 && !buffer)) return paramErr;
    OpenFile f;
    if (!lookup(refNum, &f)) return rfNumErr;
    char* p = static_cast<char*>(buffer);
    long done = 0;
    while (done < *count) {
        ssize_t n = read(f.fd, p + done, size_t(*count - done));
        if (n < 0) {
            if (errno == EINTR) continue;
            int e = errno;
            *count = done;
            return fromErrno(e);
        }
        if (n == 0) {
            *count = done;
            return eofErr;
        }
        done += n;
    }
    return noErr;
}

OSErr SetEOF(int16_t refNum, long logicalEOF) {
    if (logicalEOF < 0) return paramErr;
    OpenFile f;
    if (!lookup(refNum, &f)) return rfNumErr;
    if (!f.canWrite) return wrPermErr;
    return ftruncate(f.fd, off_t(logicalEOF)) == 0 ? OSErr(noErr) : fromErrno(errno);
}

OSErr GetEOF(int16_t refNum, long* logicalEOF) {
    if (!logicalEOF) return paramErr;
    OpenFile f;
    if (!lookup(refNum, &f)) return rfNumErr;
    struct stat st {};
    if (fstat(f.fd, &st) != 0) return fromErrno(errno);
    *logicalEOF = long(st.st_size);
    return noErr;
}

OSErr FSFlushFork(int16_t refNum) {
    OpenFile f;
    if (!lookup(refNum, &f)) return rfNumErr;
    return fsync(f.fd) == 0 ? OSErr(noErr) : fromErrno(errno);
}

OSErr FSClose(int16_t refNum) {
    int fd;
    {
        std::lock_guard lock(tableMutex);
        if (refNum < 1 || size_t(refNum) > table.size() || table[refNum - 1].fd < 0)
            return rfNumErr;
        fd = table[refNum - 1].fd;
        table[refNum - 1] = {};
    }
    // A failed close can report a write that did not reach the disk.
    return close(fd) == 0 ? OSErr(noErr) : fromErrno(errno);
}

OSErr FSpCheckBusy(const FSSpec* fss) {
    if (!fss || fss->path.empty()) return paramErr;
    int fd = open(fss->path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        int e = errno;
        // Without read permission nobody can be asked; such a file counts as free.
        if (e == EACCES) return access(fss->path.c_str(), F_OK) == 0 ? noErr : fnfErr;
        return fromErrno(e);
    }
    bool busy = lockedElsewhere(fd);
    close(fd);
    return busy ? fBsyErr : noErr;
}

OSErr FSpCreateTemporary(const FSSpec* target, OSType creator, OSType fileType, FSSpec* temporary) {
    if (!target || !temporary || target->path.empty()) return paramErr;
    fs::path t(target->path);
    if (OSErr err = checkFolder(t)) return err;
    struct stat st {};
    bool keepMode = stat(target->path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    // A new file gets the usual bits under the umask; a replacement the target's.
    mode_t createMode = keepMode ? 0600 : 0666;

    static std::mutex rngMutex;
    static std::mt19937_64 rng{std::random_device{}() ^ (uint64_t(getpid()) << 32)};
    static constexpr char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix(6, 'x');
        {
            std::lock_guard lock(rngMutex);
            for (char& c : suffix) c = alphabet[rng() % (sizeof alphabet - 1)];
        }
        std::string name = ".";
        name.append(t.filename().string()).append(".").append(suffix).append(".tmp");
        fs::path candidate = t.parent_path() / name;
        int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, createMode);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return errno == ENOENT ? OSErr(dirNFErr) : fromErrno(errno);
        }
        if (keepMode) (void)fchmod(fd, st.st_mode & 07777);
        writeTypeAttrs(fd, creator, fileType);
        close(fd);
        temporary->path = candidate.string();
        return noErr;
    }
    return dupFNErr;
}

std::string FileErrorReason(OSErr result) {
    int e = 0;
    switch (result) {
    case fnfErr:
    case dirNFErr:
        e = ENOENT;
        break;
    case permErr:
        e = EACCES;
        break;
    case wPrErr:
        e = EROFS;
        break;
    case dskFulErr:
        e = ENOSPC;
        break;
    case fBsyErr:
        e = EBUSY;
        break;
    case bdNamErr:
        e = EINVAL;
        break;
    case memFullErr:
        e = ENOMEM;
        break;
    default:
        return "error " + std::to_string(result);
    }
    return std::strerror(e);
}

OSErr FSpReplace(const FSSpec* source, const FSSpec* target) {
    if (!source || !target || source->path.empty() || target->path.empty()) return paramErr;
    struct stat st {};
    if (stat(source->path.c_str(), &st) != 0) return fromErrno(errno);
    if (OSErr err = FSpCheckBusy(target); err == fBsyErr) return err;
    if (rename(source->path.c_str(), target->path.c_str()) != 0)
        return errno == EXDEV ? OSErr(paramErr) : fromErrno(errno);
    return noErr;
}
