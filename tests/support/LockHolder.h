// A child process that holds a lock on a file until the holder is destroyed,
// as another program holding the file busy would.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

class LockHolder {
public:
    enum Kind { Fcntl, Flock };
    explicit LockHolder(const std::string& path, Kind kind = Fcntl) {
        int ready[2], release[2];
        if (pipe(ready) != 0 || pipe(release) != 0) std::abort();
        pid_ = fork();
        if (pid_ == 0) {
            close(ready[0]);
            close(release[1]);
            int fd = open(path.c_str(), O_RDWR);
            bool ok = fd >= 0;
            if (ok && kind == Fcntl) {
                struct flock fl {};
                fl.l_type = F_WRLCK;
                fl.l_whence = SEEK_SET;
                ok = fcntl(fd, F_SETLK, &fl) == 0;
            } else if (ok) {
                ok = flock(fd, LOCK_EX) == 0;
            }
            char c = ok ? 'y' : 'n';
            (void)!write(ready[1], &c, 1);
            (void)!read(release[0], &c, 1);
            _exit(0);
        }
        close(ready[1]);
        close(release[0]);
        char c = 'n';
        (void)!read(ready[0], &c, 1);
        close(ready[0]);
        release_ = release[1];
        locked_ = c == 'y';
    }
    ~LockHolder() {
        close(release_);
        waitpid(pid_, nullptr, 0);
    }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    bool locked() const { return locked_; }

private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool locked_ = false;
};
