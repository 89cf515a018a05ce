// The image library's umbrella header: including it gives every library class.
#pragma once

#include "SICommon.h"
