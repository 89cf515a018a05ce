// Helpers of the moviesnap tests: generated movies, the program run as a
// separate process with its exit status and output, and the frame number an
// image file carries.
#pragma once

#include "ReadImage.h"
#include "ScratchFolder.h"
#include "TestMovies.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using testmovies::numberedMovie;

// The frame number painted into an image file; -1 unreadable, -2 no image.
inline int numberIn(const std::string& path) {
    ReadImage img(path);
    if (img.err != noErr) return -2;
    return testmovies::readFrameNumber(img.argb.data(), img.width, img.height, long(img.width) * 4);
}

// A file name with a number filled in: named("f_%02d.png", 7) is "f_07.png".
inline std::string named(const char* format, int n) {
    char text[256];
    std::snprintf(text, sizeof text, format, n);
    return text;
}

struct ProgramRun {
    int status = -1; // the exit status; -1 when it did not exit normally
    std::string out, err;
};

#ifdef MOVIESNAP_PROGRAM
// Runs the moviesnap program with `args`, standard output and error caught
// in files of `dir`.
inline ProgramRun runProgram(const ScratchFolder& dir, std::vector<std::string> args) {
    args.insert(args.begin(), MOVIESNAP_PROGRAM);
    const std::string outPath = dir.file(".stdout"), errPath = dir.file(".stderr");
    const pid_t pid = fork();
    if (pid == 0) {
        const int o = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(o, 1);
        dup2(e, 2);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    ProgramRun r;
    int wstatus = 0;
    if (pid > 0 && waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus))
        r.status = WEXITSTATUS(wstatus);
    const std::vector<unsigned char> out = ReadFileBytes(outPath), err = ReadFileBytes(errPath);
    r.out.assign(out.begin(), out.end());
    r.err.assign(err.begin(), err.end());
    unlink(outPath.c_str());
    unlink(errPath.c_str());
    return r;
}
#endif
