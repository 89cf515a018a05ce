// ColourTags: the colour tags FFmpeg copies from a file into its frames and
// stream parameters, read as the numbers their enums name. A damaged file can
// put any number there, and an enum object holding a number its type does not
// name cannot be read as that enum; such a tag reads as "unspecified".
#pragma once

extern "C" {
#include <libavutil/pixfmt.h>
}

#include <cstring>
#include <type_traits>

namespace ColourTags {

template <class Tag> int named(const Tag& tag, int count, int unspecified) {
    static_assert(std::is_enum_v<Tag> && sizeof(Tag) == sizeof(int));
    int value;
    std::memcpy(&value, &tag, sizeof value);
    return value >= 0 && value < count ? value : unspecified;
}

inline int of(const AVColorTransferCharacteristic& t) {
    return named(t, AVCOL_TRC_NB, AVCOL_TRC_UNSPECIFIED);
}
inline int of(const AVColorPrimaries& p) {
    return named(p, AVCOL_PRI_NB, AVCOL_PRI_UNSPECIFIED);
}
inline int of(const AVColorSpace& s) {
    return named(s, AVCOL_SPC_NB, AVCOL_SPC_UNSPECIFIED);
}
inline int of(const AVColorRange& r) {
    return named(r, AVCOL_RANGE_NB, AVCOL_RANGE_UNSPECIFIED);
}
inline int of(const AVChromaLocation& c) {
    return named(c, AVCHROMA_LOC_NB, AVCHROMA_LOC_UNSPECIFIED);
}

} // namespace ColourTags
