// File specifications and file calls over POSIX. A file specification is an
// absolute path; the file need not exist yet.
#pragma once

#include "MacTypes.h"

#include <string>

struct FSSpec {
    std::string path; // absolute, normalised
};
