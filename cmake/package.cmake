# The Debian package, built by CPack from the install rules (scripts/package):
# build/moviesnap_<version>_<arch>.deb, its dependencies computed from the
# libraries the programs link.

# Installing (and so packaging) builds only what it installs, not the tests and
# benchmarks: scripts/package builds those targets first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME moviesnap)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The MovieSnap developers")
set(CPACK_PACKAGE_CONTACT ${MOVIESNAP_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "exact still frames from movies")
# The extended description, as its lines are shown (at most 79 characters each).
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "MovieSnap opens a movie, steps through it frame by frame and saves the frame\n"
    "shown as a JPEG still, pixel for pixel or resampled. Every frame is reached\n"
    "exactly, also in movies whose frames are stored out of order. A rectangle\n"
    "dragged over the picture crops the still; it can be scaled or given an exact\n"
    "size with four interpolation methods, and the compression is chosen from\n"
    "lossless to the smallest files.\n"
    "\n"
    "The moviesnap command saves the same stills without a window, one frame or a\n"
    "batch, byte for byte as the application does.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_CURRENT_BINARY_DIR})

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${MOVIESNAP_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Wayland sessions get a native window with Qt's Wayland plugin; without it Qt
# falls back to X11 through XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
