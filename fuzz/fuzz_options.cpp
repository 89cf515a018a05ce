// Parses the input as moviesnap's command line: arguments separated by NUL bytes.
#include "Options.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args{"moviesnap"};
    std::string current;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.push_back(current);
            current.clear();
        } else {
            current.push_back(char(data[i]));
        }
    }
    if (!current.empty()) args.push_back(current);
    std::vector<const char*> argv;
    for (const auto& a : args) argv.push_back(a.c_str());
    try {
        moviesnap::parseArguments(int(argv.size()), argv.data());
    } catch (const moviesnap::UsageError&) {
    }
    moviesnap::usageText();
    return 0;
}
