#include "FilePreview.h"

#include "Movies.h"
#include "QDOffscreen.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

const QString kNoPreview = QStringLiteral("No preview");

struct MovieHolder {
    Movie movie = nullptr;
    ~MovieHolder() {
        if (movie) DisposeMovie(movie);
    }
};

// The largest size of the movie's shape inside the thumbnail box.
QSize fitted(int width, int height) {
    const double scale = std::min(double(FilePreview::thumbnailWidth) / width,
                                  double(FilePreview::thumbnailHeight) / height);
    const int w = int(std::lround(width * scale)), h = int(std::lround(height * scale));
    return {std::clamp(w, 1, int(FilePreview::thumbnailWidth)),
            std::clamp(h, 1, int(FilePreview::thumbnailHeight))};
}

// The picture shown at the movie's start, drawn by the movie layer straight
// into an image of `size`; null when it cannot be decoded.
QImage firstPicture(Movie movie, QSize size) {
    QImage image(size, QImage::Format_RGBA8888);
    if (image.isNull()) return {};
    image.fill(Qt::black);
    Rect box{0, 0, int16_t(size.height()), int16_t(size.width())};
    GWorldPtr world = nullptr;
    if (NewGWorldFromPtr(&world, k32RGBAPixelFormat, &box, nullptr, nullptr, 0,
                         reinterpret_cast<Ptr>(image.bits()), long(image.bytesPerLine())) != noErr)
        return {};
    SetMovieActive(movie, true);
    SetMovieBox(movie, &box);
    SetMovieGWorld(movie, world, nullptr);
    GoToBeginningOfMovie(movie);
    MoviesTask(movie, 0);
    const OSErr err = GetMoviesError();
    SetMovieGWorld(movie, nullptr, nullptr);
    DisposeGWorld(world);
    if (err != noErr) return {};
    // The movie's pictures are opaque whatever the alpha bytes say.
    return image.convertToFormat(QImage::Format_RGB32);
}

// "25", "29.97": two decimals at most, no trailing zeros.
QString rateText(double fps) {
    QString s = QString::number(fps, 'f', 2);
    while (s.endsWith('0')) s.chop(1);
    if (s.endsWith('.')) s.chop(1);
    return s;
}

QString durationText(TimeValue duration, TimeScale scale) {
    const int64_t seconds = scale > 0 && duration > 0 ? int64_t(duration) / scale : 0;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

FilePreviewContent FilePreview::load(const QString& path) {
    const QFileInfo info(path);
    // A folder, no selection, or a name typed that names nothing yet: nothing
    // to describe, so the panel stays empty rather than saying "No preview".
    if (path.isEmpty() || !info.exists() || info.isDir()) return {};

    if (info.size() > largestPreviewed)
        return {{}, kNoPreview + QStringLiteral(": %1 MB").arg(info.size() >> 20)};

    const QByteArray native = QFile::encodeName(info.absoluteFilePath());
    MovieHolder held;
    if (OpenMovieFromPath(native.constData(), &held.movie) != noErr || !held.movie)
        return {{}, kNoPreview};
    Rect box;
    GetMovieBox(held.movie, &box);
    const int width = box.right - box.left, height = box.bottom - box.top;
    if (width <= 0 || height <= 0) return {{}, kNoPreview};

    FilePreviewContent c;
    c.picture = firstPicture(held.movie, fitted(width, height));
    c.text = QStringLiteral("%1 x %2").arg(width).arg(height);

    Media media = GetTrackMedia(GetMovieIndTrackType(held.movie, 1, VideoMediaType, 0));
    const long samples = media ? GetMediaSampleCount(media) : 0;
    // One picture is a still image, whatever its container: a frame count and
    // a rate would say nothing about it.
    if (samples > 1) {
        const TimeValue mediaDuration = GetMediaDuration(media);
        const TimeScale mediaScale = GetMediaTimeScale(media);
        const double fps =
            mediaDuration > 0 ? double(samples) * double(mediaScale) / double(mediaDuration) : 0.0;
        c.text +=
            QStringLiteral(", %1 frames, %2 fps\n%3")
                .arg(samples)
                .arg(rateText(fps))
                .arg(durationText(GetMovieDuration(held.movie), GetMovieTimeScale(held.movie)));
    }
    return c;
}

FilePreview::FilePreview(QWidget* parent) : QWidget(parent) {
    picture_ = new QLabel(this);
    picture_->setFixedSize(thumbnailWidth, thumbnailHeight);
    picture_->setAlignment(Qt::AlignCenter);
    caption_ = new QLabel(this);
    caption_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    caption_->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(picture_);
    layout->addWidget(caption_);
    layout->addStretch(1);
}

void FilePreview::showFile(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile()) {
        display(load(path));
        return;
    }
    // A file rewritten since it was shown has another time or size and is read again.
    const qint64 modified = info.lastModified().toMSecsSinceEpoch();
    const qint64 size = info.size();
    const QString key = info.absoluteFilePath();
    auto hit = std::find_if(cache_.begin(), cache_.end(), [&](const Cached& c) {
        return c.path == key && c.modified == modified && c.size == size;
    });
    if (hit != cache_.end()) {
        cache_.splice(cache_.begin(), cache_, hit);
    } else {
        std::erase_if(cache_, [&](const Cached& c) { return c.path == key; });
        cache_.push_front({key, modified, size, load(path)});
        if (cache_.size() > size_t(cacheSize)) cache_.pop_back();
    }
    display(cache_.front().content);
}

void FilePreview::display(const FilePreviewContent& c) {
    shown_ = c;
    picture_->setPixmap(c.picture.isNull() ? QPixmap() : QPixmap::fromImage(c.picture));
    caption_->setText(c.text);
}
