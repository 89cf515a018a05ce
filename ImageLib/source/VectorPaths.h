// Whether this build carries the x86 vector paths of the snapshot road. Each file
// with vector code keeps it behind one test of IMAGELIB_X86_VECTOR, beside a
// plain C++ path that gives the same bytes; MOVIESNAP_SIMD=OFF builds the plain
// paths only, and other processors always do.
#pragma once

#if defined(MOVIESNAP_SIMD) && MOVIESNAP_SIMD && defined(__GNUC__) &&                              \
    (defined(__x86_64__) || defined(__i386__))
#define IMAGELIB_X86_VECTOR 1
#else
#define IMAGELIB_X86_VECTOR 0
#endif
