// The fuzz targets' shared helpers: the input written to a scratch file, for
// the calls that take a path, and a world to draw what was read into.
#pragma once

#include "QDOffscreen.h"

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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

// A 32-bit ARGB world over pixels of its own, the size of `box`; `world` is
// null when none could be made.
class FuzzWorld {
public:
    explicit FuzzWorld(const Rect& box)
        : pixels_(size_t(std::max(0, box.right - box.left)) *
                  size_t(std::max(0, box.bottom - box.top))) {
        if (NewGWorldFromPtr(&world, k32ARGBPixelFormat, &box, nullptr, nullptr, 0,
                             reinterpret_cast<Ptr>(pixels_.data()),
                             long(box.right - box.left) * 4) != noErr)
            world = nullptr;
    }
    ~FuzzWorld() {
        if (world) DisposeGWorld(world);
    }
    FuzzWorld(const FuzzWorld&) = delete;
    FuzzWorld& operator=(const FuzzWorld&) = delete;

    GWorldPtr world = nullptr;

private:
    std::vector<uint32_t> pixels_;
};
