// The largest picture side the system handles: movies, imported images, saved
// pictures and snapshots larger than this are refused as implausible.
#pragma once

inline constexpr int kMaxPictureSide = 16384;
