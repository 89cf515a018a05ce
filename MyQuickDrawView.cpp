// MyQuickDrawView: the movie view.
#include "MyQuickDrawView.h"

#include "AssertionFailure.h"
#include "MyObject.h"
#include "Trace.h"
#include "ViewGeometry.h"

#include "Movies.h"
#include "Navigation.h"
#include "OpenRefusal.h"
#include "PlatformImageQt.h"
#include "PngFile.h"

#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>

namespace {

constexpr unsigned long kPixelFormat32 = 32; // 32-bit ARGB frames

// The file names a drag offers: its local files, in order.
QStringList fileNamesOf(const QMimeData* data) {
    QStringList names;
    if (!data || !data->hasUrls()) return names;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) names << url.toLocalFile();
    return names;
}

// Closes the wait panel when a snapshot leaves its building step by any road.
class WaitPanelScope {
public:
    explicit WaitPanelScope(QWidget* panel) : panel_(panel) {}
    ~WaitPanelScope() { close(); }
    void close() {
        if (panel_) panel_->hide();
        panel_ = nullptr;
    }

private:
    QWidget* panel_;
};

} // namespace

MyQuickDrawView::MyQuickDrawView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setMouseTracking(false);
}

// The frame source is freed at termination; a view destroyed without it (a
// test tearing its window down) frees it here so nothing leaks.
MyQuickDrawView::~MyQuickDrawView() {
    destroyFrameSource();
}

void MyQuickDrawView::awakeFromNib() {
    Trace::enter(myObject, "-[MyQuickDrawView awakeFromNib]");
    setAcceptDrops(true);
    mpr = nullptr;
    zoom = 1.0f;
    clipOrigin = {};
    clipSize = {};
    cropping = false;
    Trace::leave(myObject);
}

void MyQuickDrawView::destroyFrameSource() {
    tracker_.cancel();
    delete mpr;
    mpr = nullptr;
}

// ---------------------------------------------------------------- drag and drop

int MyQuickDrawView::draggingEntered(const QMimeData* data, Qt::DropActions sourceAllows) {
    Trace::enter(myObject, "-[MyQuickDrawView draggingEntered:]");
    if (!fileNamesOf(data).isEmpty()) {
        if (sourceAllows & Qt::LinkAction) return NSDragOperationLink;
        if (sourceAllows & Qt::CopyAction) return NSDragOperationCopy;
    }
    Trace::leave(myObject);
    return NSDragOperationLink;
}

bool MyQuickDrawView::performDragOperation(const QMimeData* data) {
    bool loaded = false;
    const QStringList names = fileNamesOf(data);
    if (!names.isEmpty()) {
        // Only the first file is taken; further files are ignored.
        const QByteArray path = QFile::encodeName(names.first());
        loaded = pickupMovieFile(path.constData());
    }
    myObject->ResizeToFit(this);
    myObject->resetScaleSlider();
    return loaded;
}

bool MyQuickDrawView::acceptDrop(const QMimeData* data) {
    try {
        return performDragOperation(data);
    } catch (const AssertionFailure& failure) {
        // The open is abandoned before the title or the frame source is
        // touched; the user learns which file it was.
        const QStringList names = fileNamesOf(data);
        const QString name = names.isEmpty() ? QString() : names.first();
        myObject->showStatus(
            lastOpenResult_ != noErr
                ? QString::fromStdString(OpenRefusalSentence(name.toStdString(), lastOpenResult_))
                : tr("Could not open %1 (%2).").arg(name, QString::fromUtf8(failure.what())));
        return false;
    }
}

void MyQuickDrawView::dragEnterEvent(QDragEnterEvent* event) {
    const int op = draggingEntered(event->mimeData(), event->possibleActions());
    const Qt::DropAction action = op == NSDragOperationCopy ? Qt::CopyAction : Qt::LinkAction;
    if (event->possibleActions() & action) {
        event->setDropAction(action);
        event->accept();
    } else {
        // Answered Link for data without file names: the drop is still taken
        // (it refits the window and resets the scale), under the action the
        // source can do.
        event->acceptProposedAction();
    }
}

void MyQuickDrawView::dragMoveEvent(QDragMoveEvent* event) {
    event->accept();
}

void MyQuickDrawView::dropEvent(QDropEvent* event) {
    if (acceptDrop(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

// ---------------------------------------------------------------- loading

Movie MyQuickDrawView::createQTMovieFromFilePath(const char* path) {
    static const char* const kMethod = "-[MyQuickDrawView createQTMovieFromFilePath:]";
    Trace::enter(myObject, kMethod);
    if (!path) handleFailureInMethod(kMethod, "MyQuickDrawView", 309, "nil movie file path");
    // The file URL, then the movie object made from it (not by reference).
    Movie movie = nullptr;
    lastOpenResult_ = noErr;
    const QUrl url = QUrl::fromLocalFile(QFile::decodeName(path));
    bool madeMovieObject = false;
    if (url.isValid()) {
        lastOpenResult_ = OpenMovieFromPath(path, &movie);
        madeMovieObject = lastOpenResult_ == noErr;
        if (movie) SetMovieActive(movie, true);
    }
    if (!path) handleFailureInMethod(kMethod, "MyQuickDrawView", 325, "nil filePath");
    if (!madeMovieObject) handleFailureInMethod(kMethod, "MyQuickDrawView", 326, "nil theNSMovie");
    if (!movie) handleFailureInMethod(kMethod, "MyQuickDrawView", 327, "null qtmovie");
    Trace::leave(myObject);
    return movie;
}

bool MyQuickDrawView::pickupMovieFile(const char* path) {
    Trace::enter(myObject, "-[MyQuickDrawView pickupMovieFile:]");
    QString opened;
    if (path) {
        Movie movie = createQTMovieFromFilePath(path);
        opened = QFile::decodeName(path);
        Trace::enter(myObject, "Making from filePath");
        destroyFrameSource();
        mpr = new MoviePixRect(movie, kPixelFormat32);
    } else {
        Trace::enter(myObject, "Making from a selection");
        destroyFrameSource();
        mpr = new MoviePixRect(kPixelFormat32);
        if (!mpr->movie)
            destroyFrameSource();
        else
            opened = QUrl(QString::fromUtf8(*mpr->fileURL)).toLocalFile();
    }
    showMovieName(mpr ? opened : QString());
    if (!mpr) {
        Trace::leave(myObject);
        return false;
    }
    Trace::enter(myObject, "Made a MoviePixRect");
    const int n = int(mpr->frameCount);
    if (n <= 0 || !mpr->allLines) {
        Trace::leave(myObject);
        return false;
    }
    const int width = moviewidth();
    const int height = movieheight();
    // The slider's positions are the frames, 0 to the last.
    myObject->setSliderRange(n - 1);
    myObject->SetSizeLabel(width, height);
    clipOrigin = {0, 0};
    clipSize = {float(width), float(height)};

    // The time code of the frame one past the last is the movie's length.
    short hours = 0, minutes = 0, seconds = 0, frames = 0;
    mpr->getTimeOfFrame(uint32_t(n), hours, minutes, seconds, frames);
    myObject->MovieStats->setText(QString::asprintf("DUR:%d:%d:%d:%d SZ:%dx%d %d fps", hours,
                                                    minutes, seconds, frames, width, height,
                                                    int(mpr->fps)));
    if (const char* note = GetMovieDynamicRangeNote(mpr->movie); *note)
        myObject->showStatus(QString::fromUtf8(note));
    firstFrame();
    drawFrame();
    update();
    Trace::leave(myObject);
    return true;
}

void MyQuickDrawView::showMovieName(const QString& path) {
    moviePath_ = path;
    emit movieChanged(!path.isEmpty());
    const QFileInfo info(path);
    window()->setWindowTitle(path.isEmpty() ? tr("No movie file") : info.fileName());
    window()->setWindowFilePath(path);
    setToolTip(path.isEmpty() ? tr("Drop a movie here; drag over the frame to choose a crop "
                                   "rectangle")
                              : tr("%1 in %2").arg(info.fileName(), info.absolutePath()));
}

// ---------------------------------------------------------------- drawing

void MyQuickDrawView::drawFrame() {
    Trace::enter(myObject, "[MyQuickDrawView: drawFrame]");
    if (mpr) {
        mpr->drawFrame();
        short hours = 0, minutes = 0, seconds = 0, frames = 0;
        mpr->getTime(hours, minutes, seconds, frames);
        myObject->frameNumber->setText(
            QString::asprintf("%d:%d:%d:%d", hours, minutes, seconds, frames));
    }
    Trace::leave(myObject);
}

void MyQuickDrawView::paintEvent(QPaintEvent*) {
    Trace::enter(myObject, "-[MyQuickDrawView drawRect:]");
    QPainter painter(this);
    if (mpr) {
        mpr->drawRect();
        bool drawn = false;
        if (NSImage* image = mpr->makeNSImage()) {
            const NSSize size = image->size();
            const FloatRect bounds{0, 0, float(width()), float(height())};
            const FloatRect r =
                ViewGeometry::placeImage(float(size.width), float(size.height), bounds);
            Trace::line(myObject, "Drawing Image\n");
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(QRectF(r.x, r.y, r.width, r.height), QImageFromNSImage(image));
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            drawnRect = r;
            drawn = true;
            image->release();
        }
        if (cropping && drawn) {
            const FloatRect o = ViewGeometry::outlineForCrop(
                {clipOrigin.x, clipOrigin.y, clipSize.width, clipSize.height}, drawnRect,
                float(moviewidth()), float(movieheight()));
            painter.save();
            painter.setPen(QPen(QColor(0, 0, 255, 255), 1.0));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRectF(o.x, o.y, o.width, o.height));
            painter.restore();
        }
    }
    // The rectangle being dragged, from its anchor by the current extents.
    if (tracker_.hasAnchor() && (tracker_.extentX() != 0 || tracker_.extentY() != 0)) {
        painter.setPen(QPen(QColor(0, 0, 255, 255), 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(
            QRectF(tracker_.anchorX(), tracker_.anchorY(), tracker_.extentX(), tracker_.extentY()));
    }
    Trace::leave(myObject);
}

// ---------------------------------------------------------------- crop drag

void MyQuickDrawView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    // The press is the rectangle's first corner; the drag then comes here by
    // the toolkit's implicit grab until the release.
    siprintf("looking for %f,%f in %f,%f %f by %f\n", event->position().x(), event->position().y(),
             double(x()), double(y()), double(width()), double(height()));
    tracker_.begin(float(event->position().x()), float(event->position().y()));
}

void MyQuickDrawView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return; // only left-button drags are tracked
    trackCrop(CropTracker::Event::Drag, event->position());
}

void MyQuickDrawView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    trackCrop(CropTracker::Event::Release, event->position());
}

void MyQuickDrawView::trackCrop(CropTracker::Event e, QPointF p) {
    if (!tracker_.active()) return;
    siprintf("looking for %f,%f in %f,%f %f by %f\n", p.x(), p.y(), double(x()), double(y()),
             double(width()), double(height()));
    switch (tracker_.feed(e, float(p.x()), float(p.y()), float(width()), float(height()))) {
    case CropTracker::Outcome::Tracking:
        if (e == CropTracker::Event::Drag) repaint();
        return;
    case CropTracker::Outcome::Released:
        cropReleased();
        return;
    case CropTracker::Outcome::LeftView:
        cropLeftView();
        return;
    case CropTracker::Outcome::Idle:
        return;
    }
}

void MyQuickDrawView::cropReleased() {
    if (!mpr) {
        repaint();
        return;
    }
    const float mw = float(moviewidth());
    const float mh = float(movieheight());
    FloatRect c =
        ViewGeometry::cropFromDrag(tracker_.anchorX(), tracker_.anchorY(), tracker_.extentX(),
                                   tracker_.extentY(), drawnRect, mw, mh);
    siprintf("Set clip to %f %f %f %f\n", double(c.x), double(c.y), double(c.width),
             double(c.height));
    c = ViewGeometry::normaliseCrop(c);
    siprintf("Set clip to %f %f %f %f\n", double(c.x), double(c.y), double(c.width),
             double(c.height));
    // Cut to the frame, so that the outline, the size fields and the saved
    // region agree; nothing left (a click, a drag beside the picture) means
    // the whole frame.
    c = ViewGeometry::limitCropToFrame(c, mw, mh);
    clipOrigin = {c.x, c.y};
    clipSize = {c.width, c.height};
    myObject->updateOptions();
    repaint();
}

void MyQuickDrawView::cropLeftView() {
    clipOrigin = {0, 0};
    if (mpr)
        clipSize = {float(moviewidth()), float(movieheight())};
    else
        clipSize = {0, 0};
    myObject->updateOptions();
    repaint();
}

// ---------------------------------------------------------------- flags and sizes

void MyQuickDrawView::setCropFlag(uint8_t flag) {
    cropping = flag != 0;
    if (flag == 1) myObject->updateOptions();
}

void MyQuickDrawView::setInterlaceFlag(uint8_t flag) {
    if (mpr) mpr->setInterlaceFlag(flag != 0);
}

void MyQuickDrawView::cleanUpForExit() {
    destroyFrameSource();
}

int MyQuickDrawView::moviewidth() const {
    if (!mpr || !mpr->allLines) return 1;
    return mpr->allLines->width();
}

int MyQuickDrawView::movieheight() const {
    if (!mpr || !mpr->allLines) return 1;
    return mpr->allLines->height();
}

int MyQuickDrawView::clipWidth() const {
    return cropping ? int(clipSize.width) : moviewidth();
}

int MyQuickDrawView::clipHeight() const {
    return cropping ? int(clipSize.height) : movieheight();
}

// ---------------------------------------------------------------- navigation

// A running position below 0 would reach the frame source's unsigned frame
// number as a huge value and jump to the end of the movie; past the last
// frame it would make the shuttle jump from the frame shown to the last one.
// It is kept within the movie instead.
void MyQuickDrawView::clampRunningPosition() {
    if (!(framenumber > 0.0f)) framenumber = 0.0f;
    if (mpr && mpr->frameCount > 0 && framenumber > float(mpr->frameCount - 1))
        framenumber = float(mpr->frameCount - 1);
}

int MyQuickDrawView::firstFrame() {
    Trace::enter(myObject, "-[MyQuickDrawView firstFrame]");
    if (mpr && mpr->movie) {
        mpr->currentTime = 0;
        mpr->currentFrame = 0;
        GoToBeginningOfMovie(mpr->movie);
    }
    myObject->setSliderPos(0);
    framenumber = 0;
    Trace::leave(myObject);
    return 0;
}

int MyQuickDrawView::nextFrame() {
    Trace::enter(myObject, "-[MyQuickDrawView nextFrame]");
    framenumber += 1.0f;
    int r = 0;
    if (mpr) {
        mpr->nextFrame();
        r = int(mpr->currentFrame);
        myObject->setSliderPos(r);
        // The running position follows the frame shown, also when the movie
        // wraps to its start.
        framenumber = float(r);
    }
    clampRunningPosition();
    Trace::leave(myObject);
    return r;
}

int MyQuickDrawView::previousFrame() {
    Trace::enter(myObject, "-[MyQuickDrawView previousFrame]");
    framenumber -= 1.0f;
    clampRunningPosition();
    int r = 0;
    if (mpr) {
        mpr->previousFrame();
        r = int(mpr->currentFrame);
        myObject->setSliderPos(r);
        framenumber = float(r);
    }
    Trace::leave(myObject);
    return r;
}

void MyQuickDrawView::setFrameNumber(int n) {
    Trace::enter(myObject, "-[MyQuickDrawView setFrameNumber:]");
    framenumber = float(n);
    clampRunningPosition();
    if (mpr) mpr->setFrameNumber(unsigned(std::max(n, 0)));
    Trace::leave(myObject);
}

void MyQuickDrawView::adjFrameNumber(float d) {
    Trace::enter(myObject, "-[MyQuickDrawView adjFrameNumber:]");
    framenumber += d;
    clampRunningPosition();
    if (mpr) {
        mpr->setFrameNumber(unsigned(int(framenumber)));
        myObject->setSliderPos(int(mpr->currentFrame));
    }
    Trace::leave(myObject);
}

void MyQuickDrawView::scrubToFrame(int n) {
    setFrameNumber(n);
    if (!mpr || !mpr->movie) return;
    const TimeValue target = GetMovieTime(mpr->movie, nullptr);
    const OSType eyes = VisualMediaCharacteristic;
    TimeValue key = -1;
    GetMovieNextInterestingTime(mpr->movie, nextTimeSyncSample | nextTimeEdgeOK, 1, &eyes, target,
                                -0x10000, &key, nullptr);
    if (key >= 0) SetMovieTimeValue(mpr->movie, key);
    drawFrame();
    SetMovieTimeValue(mpr->movie, target);
    if (key != target) myObject->frameNumber->setText(u'≈' + myObject->frameNumber->text());
}

// ---------------------------------------------------------------- snapshots

void MyQuickDrawView::showWaitPanel() {
    QWidget* panel = myObject->waitPanel;
    if (!panel) return;
    panel->show();
    panel->raise();
    // The panel must be on the screen before the long build starts: let the
    // window system map it and paint it (no user input is taken meanwhile).
    QElapsedTimer waited;
    waited.start();
    do {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    } while (panel->windowHandle() && !panel->windowHandle()->isExposed() &&
             waited.elapsed() < 500);
    panel->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
}

Snapshot::Chain MyQuickDrawView::snapshotChain(PixRect<ARGBVal>& frame, const Snapshot::Size& size,
                                               uint8_t interp) const {
    const Snapshot::Bounds crop =
        Snapshot::cropBounds(clipOrigin.x, clipOrigin.y, clipSize.width, clipSize.height);
    return Snapshot::Chain(frame, cropping ? &crop : nullptr, size, siinterpcode(interp));
}

QSize MyQuickDrawView::snapshotSize(float scale) {
    ARGBVal pixel;
    PixRectWrap<ARGBVal> onePixel(&pixel, 1, 1, SIAllLines);
    PixRect<ARGBVal>* frame = &onePixel;
    if (mpr && mpr->allLines) frame = &*mpr->allLines;
    // The result's bounds come from the sampler alone; no pixel is computed.
    const Snapshot::Chain chain = snapshotChain(*frame, Snapshot::Size::byScale(scale), SIBilinear);
    return {chain.width(), chain.height()};
}

OSErr MyQuickDrawView::askSavePath(bool png, std::string& path) {
    QString movieName = QStringLiteral("snapshot");
    if (!moviePath_.isEmpty()) movieName = QFileInfo(moviePath_).completeBaseName();
    QString proposed = QStringLiteral("%1_f%2.%3")
                           .arg(movieName)
                           .arg(mpr ? int(mpr->currentFrame) : 0, 4, 10, QLatin1Char('0'))
                           .arg(png ? QStringLiteral("png") : QStringLiteral("jpg"));
    if (!lastSaveFolder_.empty())
        proposed = QDir(QFile::decodeName(lastSaveFolder_.c_str())).filePath(proposed);
    const QByteArray name = QFile::encodeName(proposed);
    NavDialogOptions options;
    NavGetDefaultDialogOptions(&options);
    if (name.size() <= 255) {
        options.savedFileName[0] = uint8_t(name.size());
        std::memcpy(options.savedFileName + 1, name.constData(), size_t(name.size()));
    }
    const OSType jpegType = FOUR_CHAR_CODE("JPEG"), pngType = FOUR_CHAR_CODE("PNGf");
    NavReplyRecord reply;
    FSSpec file;
    OSErr result =
        NavPutFileOfTypes(nullptr, &reply, &options, nullptr,
                          png ? std::vector{pngType, jpegType} : std::vector{jpegType, pngType},
                          FOUR_CHAR_CODE("ogle"), nullptr);
    if (result == noErr && !reply.validRecord) result = userCanceledErr;
    if (result == noErr)
        result = AEGetNthPtr(&reply.selection, 1, typeFSS, nullptr, nullptr, &file, sizeof(FSSpec),
                             nullptr);
    if (result == noErr) path = file.path;
    NavDisposeReply(&reply);
    return result;
}

void MyQuickDrawView::saveSnapshot(const Snapshot::Size& size, uint8_t interp, int quality) {
    if (!mpr || !mpr->allLines) return;
    WaitPanelScope wait(myObject->waitPanel);
    showWaitPanel();
    Snapshot::Chain chain = snapshotChain(*mpr->allLines, size, interp);
    const Bitmapio& bitmap = chain.bitmap(); // every result pixel is computed here
    wait.close();
    deliverSnapshot(bitmap, chain, quality);
}

void MyQuickDrawView::deliverSnapshot(const Bitmapio& bitmap, const Snapshot::Chain& chain,
                                      int quality) {
    if (!bitmap.data) {
        error("no bitmap buffer available");
        myObject->showStatus(tr("Snapshot not saved"));
        return;
    }
    const QString size = QStringLiteral("%1 × %2").arg(bitmap.width).arg(bitmap.height);
    if (toClipboard) {
        // The pixels a saved file holds: colour only.
        CGImageRef made = bitmap.makeCGImage();
        const QImage image = QImageFromCGImage(made).convertToFormat(QImage::Format_RGB32);
        CGImageRelease(made);
        if (image.isNull()) {
            myObject->showStatus(tr("Snapshot not copied"));
            return;
        }
        QGuiApplication::clipboard()->setImage(image);
        myObject->showStatus(tr("Snapshot copied to the clipboard (%1).").arg(size));
        return;
    }
    QComboBox* format = myObject->snapshotFormat;
    std::string path;
    const OSErr asked = askSavePath(format && format->currentIndex() == MyObject::kPngFormat, path);
    if (asked == userCanceledErr) {
        myObject->showStatus(tr("Snapshot not saved"));
        return;
    }
    OSErr written = asked;
    const bool png = QString::fromStdString(path).endsWith(".png", Qt::CaseInsensitive);
    if (asked == noErr) {
        std::optional<StillProvenance> about;
        if (provenance)
            about =
                Snapshot::provenance(*mpr, chain, png ? std::nullopt : std::optional<int>(quality));
        const StillProvenance* p = about ? &*about : nullptr;
        written = png ? WritePNGFile(path.c_str(), bitmap.data, bitmap.width, bitmap.height,
                                     bitmap.bytesPerRow, p)
                  : bitmap.saveToFile(path.c_str(), quality, p) ? OSErr(noErr)
                                                                : bitmap.lastSaveResult();
    }
    if (written == noErr) {
        lastSaveFolder_ =
            QFile::encodeName(QFileInfo(QFile::decodeName(path.c_str())).absolutePath())
                .toStdString();
        // The format box follows the file, so that the next dialog proposes it again.
        if (format) format->setCurrentIndex(png ? MyObject::kPngFormat : 0);
        myObject->showStatus(tr("Snapshot saved (%1).").arg(size));
        return;
    }
    const QString reason = QString::fromLocal8Bit(FileErrorReason(written).c_str());
    myObject->showStatus(tr("Snapshot not saved: %1").arg(reason));
    if (auto* label =
            myObject->saveErrorPanel->findChild<QLabel*>(QStringLiteral("saveErrorLabel")))
        label->setText(tr("The snapshot could not be written to %1: %2.")
                           .arg(QFile::decodeName(path.c_str()), reason));
    myObject->saveErrorPanel->show();
    myObject->saveErrorPanel->raise();
}

void MyQuickDrawView::saveFrame(int quality, float width, float height, uint8_t interp) {
    Trace::enter(myObject, "-[MyQuickDrawView saveFrame:width:height:interp:]");
    // Copied unchanged when the size asked for is the region's own size. (In
    // crop mode a typed size equal to the whole frame's is a resample of the
    // crop to the size typed, not a copy of the crop at its own.)
    saveSnapshot(Snapshot::Size::explicitly(width, height), interp, quality);
    Trace::leave(myObject);
}

void MyQuickDrawView::saveFrame(int quality, float scale, uint8_t interp) {
    Trace::enter(myObject, "-[MyQuickDrawView saveFrame:scale:interp:]");
    saveSnapshot(Snapshot::Size::byScale(scale), interp, quality);
    Trace::leave(myObject);
}
