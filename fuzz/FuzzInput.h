// The fuzz targets' shared helper: the input written to a scratch file, for
// the calls that take a path.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// A file holding the input, removed when it goes.
class FuzzFile {
public:
    FuzzFile(const uint8_t* data, size_t size) {
        const char* dir = std::getenv("TMPDIR");
        path_ = std::string(dir && *dir ? dir : "/tmp") + "/moviesnap-fuzz-XXXXXX";
        int fd = mkstemp(path_.data());
        if (fd < 0) std::abort();
        for (size_t done = 0; done < size;) {
            ssize_t n = write(fd, data + done, size - done);
            if (n <= 0) std::abort();
            done += size_t(n);
        }
        close(fd);
    }
    ~FuzzFile() { std::remove(path_.c_str()); }
    FuzzFile(const FuzzFile&) = delete;
    FuzzFile& operator=(const FuzzFile&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};
