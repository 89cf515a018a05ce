#include "StillProvenance.h"

// exiv2 0.27 hands its images out in std::auto_ptr.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>

#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <numeric>
#include <unistd.h>

#ifndef MOVIESNAP_VERSION
#error "MOVIESNAP_VERSION must be defined by the build"
#endif

namespace {

// exiv2's XMP toolkit and namespace registry are process-wide and not safe to
// use from two threads at once: every write holds this lock.
std::mutex exiv2Lock;

void prepareExiv2() {
    static bool prepared = false;
    if (prepared) return;
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute); // failures are results, not lines on stderr
    Exiv2::XmpParser::initialize();
    Exiv2::XmpProperties::registerNs(kStillProvenanceNamespace, "moviesnap");
    prepared = true;
}

std::string printed(const char* format, auto... values) {
    char text[64];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

// Seconds as a decimal of at most six places, without trailing zeros.
std::string decimalSeconds(int64_t value, int32_t scale) {
    std::string s = printed("%.6f", double(value) / double(scale));
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
    return s;
}

// The XMP Dynamic Media time format of a time code counting `rate` frames a second.
const char* timeFormat(int rate) {
    switch (rate) {
    case 24:
        return "24Timecode";
    case 25:
        return "25Timecode";
    case 30:
        return "30Timecode";
    case 50:
        return "50Timecode";
    case 60:
        return "60Timecode";
    default:
        return nullptr;
    }
}

Exiv2::XmpData xmpOf(const StillProvenance& p) {
    Exiv2::XmpData x;
    x["Xmp.dc.source"] = p.sourceName;
    x["Xmp.xmp.CreatorTool"] = std::string("MovieSnap " MOVIESNAP_VERSION);
    if (!p.sourceCreated.empty()) x["Xmp.photoshop.DateCreated"] = p.sourceCreated;
    x["Xmp.xmpDM.startTimecode/xmpDM:timeValue"] =
        printed("%02d:%02d:%02d:%02d", p.hours, p.minutes, p.seconds, p.frames);
    if (const char* format = timeFormat(p.timeCodeRate))
        x["Xmp.xmpDM.startTimecode/xmpDM:timeFormat"] = std::string(format);
    x["Xmp.tiff.ImageWidth"] = std::to_string(p.width);
    x["Xmp.tiff.ImageLength"] = std::to_string(p.height);
    x["Xmp.moviesnap.Frame"] = std::to_string(p.frame);
    const int64_t scale = p.timeScale > 0 ? p.timeScale : 1;
    const int64_t common = std::gcd(p.timeValue, scale);
    x["Xmp.moviesnap.Time"] =
        std::to_string(p.timeValue / common) + "/" + std::to_string(scale / common);
    x["Xmp.moviesnap.Seconds"] = decimalSeconds(p.timeValue, int32_t(scale));
    x["Xmp.moviesnap.Crop"] = printed("%d,%d,%d,%d", p.cropX, p.cropY, p.cropWidth, p.cropHeight);
    x["Xmp.moviesnap.Interpolation"] = p.interpolation;
    if (p.quality) x["Xmp.moviesnap.Quality"] = std::to_string(*p.quality);
    return x;
}

} // namespace

OSErr WriteStillProvenance(const char* path, const StillProvenance& provenance) {
    if (!path) return paramErr;
    {
        const std::lock_guard hold(exiv2Lock);
        try {
            prepareExiv2();
            auto image = Exiv2::ImageFactory::open(path);
            if (!image.get()) return ioErr;
            image->setXmpData(xmpOf(provenance));
            image->writeMetadata();
        } catch (const Exiv2::AnyError&) {
            return ioErr;
        } catch (const std::bad_alloc&) {
            return memFullErr;
        }
    }
    // exiv2 rewrote the file in place: on the disk before anyone renames it.
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return ioErr;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced ? noErr : ioErr;
}

#pragma GCC diagnostic pop
