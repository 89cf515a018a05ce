// MyObject: the application's controller.
#include "MyObject.h"

#include "MyQuickDrawView.h"
#include "MyWindow.h"
#include "SizeArithmetic.h"
#include "Trace.h"

#include "ImageLib.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QSignalBlocker>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include <climits>
#include <new>

namespace {

// How often the held shuttle repeats its action.
constexpr int kShuttlePeriodMs = 75;

const QString kProvenanceKey = QStringLiteral("snapshots/provenance");

} // namespace

MyObject::MyObject(QObject* parent) : QObject(parent) {
    if (QCoreApplication::instance())
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
                &MyObject::applicationWillTerminate);
}

MyObject::~MyObject() = default;

void MyObject::awakeFromNib() {
    // The shuttle sends its action periodically while the mouse holds it.
    shuttleTimer_ = new QTimer(this);
    shuttleTimer_->setInterval(kShuttlePeriodMs);
    connect(shuttleTimer_, &QTimer::timeout, this, [this] { shuttleMove(shuttle); });
    playTimer_ = new QTimer(this);
    playTimer_->setSingleShot(true);
    if (shuttle) {
        connect(shuttle, &QSlider::sliderPressed, this, &MyObject::shuttlePressed);
        connect(shuttle, &QSlider::sliderReleased, this, &MyObject::shuttleReleased);
    }
    scale = 1.0f;
    sizebyscale = true;
}

void MyObject::shuttlePressed() {
    shuttleMove(shuttle);
    shuttleTimer_->start();
}

// The shuttle springs back to its centre when released, so that a later press
// starts from standstill rather than from wherever the hand let go.
void MyObject::shuttleReleased() {
    shuttleTimer_->stop();
    if (shuttle) {
        const QSignalBlocker block(shuttle);
        shuttle->setValue((shuttle->minimum() + shuttle->maximum()) / 2);
    }
}

void MyObject::applicationWillTerminate() {
    Trace::enter(this, "-[MyObject applicationWillTerminate:]");
    if (myView) myView->cleanUpForExit();
    Trace::leave(this);
}

void MyObject::openDocument(QObject*) {
    Trace::enter(this, "-[MyObject openDocument:]");
    // A dismissed dialog or a file that is no movie leaves the window's size
    // and the size fields as they were.
    if (myView->pickupMovieFile(nullptr)) {
        ResizeToFit(this);
        resetScaleSlider();
    }
    Trace::leave(this);
}

bool MyObject::openPath(const QString& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    return myView->acceptDrop(&data);
}

void MyObject::SetSizeLabel(int width, int height) {
    ResultXSize->setText(QString::number(width));
    ResultYSize->setText(QString::number(height));
    // Shown at once, so the values are visible even while a long operation follows.
    ResultXSize->repaint();
    ResultYSize->repaint();
}

void MyObject::ChangeScaleFactor(QAbstractSlider* sender) {
    const float v = float(sender->value());
    scale = Snapshot::scaleForPosition(v);
    imx = myView->clipWidth();
    imy = myView->clipHeight();
    // Exactly the file's size: the crop's far edges, the cut to the frame and
    // the resampler's rounding included.
    const QSize size = myView->snapshotSize(scale);
    resx = size.width();
    resy = size.height();
    sizebyscale = true;
    SetSizeLabel(resx, resy);
}

void MyObject::setXSize(int width) {
    Trace::enter(this, "-[MyObject setXSize:]");
    resx = width;
    sizebyscale = false;
    Trace::leave(this);
}

void MyObject::setYSize(int height) {
    Trace::enter(this, "-[MyObject setYSize:]");
    resy = height;
    sizebyscale = false;
    Trace::leave(this);
}

void MyObject::setInterlacing(QAbstractButton* sender) {
    myView->setInterlaceFlag(sender->isChecked() ? 1 : 0);
    myView->drawFrame();
    myView->update();
}

void MyObject::setCropping(QAbstractButton* sender) {
    myView->setCropFlag(sender->isChecked() ? 1 : 0);
    myView->drawFrame();
    myView->update();
}

void MyObject::ResizeToFit(QObject*) {
    QScreen* screen = myWindow->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    // Sizes here are the window's frame, decoration included, as the screen's
    // visible area is; the minimum is the client's (or what its controls need,
    // if that is more) plus the decoration.
    const QSize decoration = myWindow->frameGeometry().size() - myWindow->geometry().size();
    const QSize minimum =
        myWindow->minimumSize().expandedTo(myWindow->minimumSizeHint()) + decoration;
    const QRect v = screen->availableGeometry();
    const SizeArithmetic::FloatRect frame = SizeArithmetic::fitWindowToMovie(
        float(myView->moviewidth()), float(myView->movieheight()), float(minimum.width()),
        float(minimum.height()), {float(v.x()), float(v.y()), float(v.width()), float(v.height())});
    myWindow->resize(qRound(frame.width) - decoration.width(),
                     qRound(frame.height) - decoration.height());
    myWindow->move(qRound(frame.x), qRound(frame.y));
    myWindow->repaint();
}

void MyObject::resetScaleSlider() {
    {
        const QSignalBlocker block(ScaleFactor);
        ScaleFactor->setValue(9);
    }
    ChangeScaleFactor(ScaleFactor);
}

void MyObject::updateOptions() {
    ChangeScaleFactor(ScaleFactor);
}

void MyObject::firstFrame(QObject*) {
    Trace::enter(this, "-[MyObject firstFrame:]");
    stopPlaying();
    myView->firstFrame();
    myView->drawFrame();
    myView->update();
    Trace::leave(this);
}

void MyObject::nextFrame(QObject*) {
    Trace::enter(this, "-[MyObject nextFrame:]");
    stopPlaying();
    if (myView->nextFrame() == 0 && myView->mpr) showStatus(tr("Back to the first frame"));
    myView->drawFrame();
    myView->update();
    Trace::leave(this);
}

void MyObject::previousFrame(QObject*) {
    Trace::enter(this, "-[MyObject previousFrame:]");
    stopPlaying();
    myView->previousFrame();
    myView->drawFrame();
    myView->update();
    Trace::leave(this);
}

void MyObject::playAll(QObject*) {
    Trace::enter(this, "-[MyObject playAll:]");
    if (playing_) {
        stopPlaying();
    } else if (!myView->mpr || !myView->mpr->movie || myView->mpr->timeScale <= 0) {
        // Nothing to play: one step, as the loop would take.
        myView->nextFrame();
        myView->drawFrame();
        myView->repaint();
    } else {
        // Every frame from the current one to the end, each at its own time
        // in the movie, until the frame source wraps to frame 0, shown too.
        playing_ = true;
        playStartTime_ = double(myView->mpr->currentTime) / myView->mpr->timeScale;
        playClock_.start();
        emit playingChanged(true);
        playStep();
    }
    Trace::leave(this);
}

void MyObject::playStep() {
    if (!playing_ || !myView->mpr) return stopPlaying();
    const int r = myView->nextFrame();
    myView->drawFrame();
    // The frame is due at its movie time after the start; one rendered late
    // is shown at once, so play slows rather than drops a frame.
    const double due =
        r == 0 ? 0.0 : (double(myView->mpr->currentTime) / myView->mpr->timeScale - playStartTime_);
    const qint64 wait = qint64(due * 1000.0) - playClock_.elapsed();
    if (wait > 0) {
        disconnect(playTimer_, nullptr, this, nullptr);
        connect(playTimer_, &QTimer::timeout, this, [this, r] { showPlayedFrame(r); });
        playTimer_->start(int(wait));
    } else {
        showPlayedFrame(r);
    }
}

void MyObject::showPlayedFrame(int r) {
    myView->repaint();
    if (r == 0) return stopPlaying();
    // The next step runs from the event loop, so that keys and clicks get through.
    disconnect(playTimer_, nullptr, this, nullptr);
    connect(playTimer_, &QTimer::timeout, this, &MyObject::playStep);
    playTimer_->start(0);
}

void MyObject::stopPlaying() {
    if (!playing_) return;
    playing_ = false;
    playTimer_->stop();
    disconnect(playTimer_, nullptr, this, nullptr);
    myView->update();
    emit playingChanged(false);
}

bool MyObject::playing() const {
    return playing_;
}

void MyObject::setFrame(QObject*) {
    stopPlaying();
    const int n = slider->value();
    Trace::line(this, "playing frame %d\n", n);
    myView->setFrameNumber(n);
    myView->drawFrame();
    myView->update();
}

void MyObject::scrubFrame(QObject*) {
    stopPlaying();
    myView->scrubToFrame(slider->value());
    myView->update();
}

void MyObject::shuttleMove(QObject*) {
    const double v = double(float(shuttle->value()));
    const double m = double(shuttle->maximum());
    const float d = float(m * -0.5 + v) / 5.0f;
    Trace::line(this, "shuttle frame %f %f\n", v, double(d));
    stopPlaying();
    myView->adjFrameNumber(d);
    myView->drawFrame();
    myView->update();
}

// The position slider runs from 0 (its minimum in the interface definition,
// as the shuttle arithmetic and the first-frame command assume) to the count.
void MyObject::setSliderRange(int n) {
    {
        const QSignalBlocker block(slider);
        slider->setMaximum(n);
    }
    Trace::line(this, "Slider max set to %d\n", n);
}

void MyObject::setSliderPos(int n) {
    {
        const QSignalBlocker block(slider);
        slider->setValue(n);
    }
    slider->repaint();
}

QString MyObject::scaleText(int position) {
    const float s = Snapshot::scaleForPosition(float(position));
    if (s == 1.0f) return QStringLiteral("1:1");
    if (s < 1.0f) return QStringLiteral("× %1").arg(qRound(1.0f / s));
    switch (qRound(s)) {
    case 2:
        return QStringLiteral("½");
    case 3:
        return QStringLiteral("⅓");
    case 4:
        return QStringLiteral("¼");
    default:
        return QStringLiteral("1/%1").arg(qRound(s));
    }
}

QString MyObject::compressionText(int value) {
    if (value == 0) return tr("lossless");
    if (value >= 90) return tr("quality minimum");
    if (value >= 75) return tr("quality low");
    if (value >= 50) return tr("quality normal");
    if (value >= 25) return tr("quality high");
    return tr("quality maximum");
}

uint8_t MyObject::interpolationCodeForIndex(int index) {
    switch (index) {
    case 0:
        return SISmoothBilinear;
    case 1:
        return SIBilinear;
    case 2:
        return SITriangular;
    case 3:
        return SICubicBSpline;
    default:
        return SIBilinear; // no selection, or an entry the table does not know
    }
}

void MyObject::snapFrame(QObject*) {
    const int x = intValueOf(ResultXSize->text());
    const int y = intValueOf(ResultYSize->text());
    if (x != resx || y != resy) {
        sizebyscale = false;
        resx = x;
        resy = y;
    }
    siprintf("Saving with size %d by %d\n", resx, resy);
    // A result without a whole pixel across or down (a typed 0 or negative
    // size, a scale that shrinks a small crop to nothing) or beyond what a
    // bitmap can hold is refused here, with the reason in the status bar,
    // rather than sent on to fail deep in the save or to allocate gigabytes.
    if (myView->mpr &&
        (resx < 1 || resy < 1 || resx > kMaxResultExtent || resy > kMaxResultExtent)) {
        showStatus(tr("Snapshot not saved: the size %1 × %2 is not between 1 and %3 pixels "
                      "in each direction.")
                       .arg(resx)
                       .arg(resy)
                       .arg(kMaxResultExtent));
        return;
    }
    const uint8_t code = interpolationCodeForIndex(ScalingMethod->currentIndex());
    const int q = compressionSlider->value();
    try {
        if (sizebyscale)
            myView->saveFrame(q, scale, code);
        else
            myView->saveFrame(q, float(resx), float(resy), code);
    } catch (const std::bad_alloc&) {
        // The snapshot's temporaries are gone again; the program goes on.
        showStatus(tr("Snapshot not saved: there is not enough memory for %1 × %2 pixels.")
                       .arg(resx)
                       .arg(resy));
    }
}

void MyObject::copySnapshot(QObject* sender) {
    struct Back {
        bool& flag;
        ~Back() { flag = false; }
    } back{myView->toClipboard};
    myView->toClipboard = true;
    snapFrame(sender);
}

void MyObject::setProvenance(QAction* sender) {
    myView->provenance = sender->isChecked();
    QSettings().setValue(kProvenanceKey, myView->provenance);
}

bool MyObject::provenancePreference() {
    return QSettings().value(kProvenanceKey, true).toBool();
}

void MyObject::setSnapshotFormat(QComboBox* sender) {
    compressionSlider->setEnabled(sender->currentIndex() != kPngFormat);
}

void MyObject::logMessage(const char* text) {
    (void)text; // the sink is silent: nothing reaches the log view
}

void MyObject::showStatus(const QString& message) {
    if (myWindow) myWindow->statusBar()->showMessage(message);
}

int intValueOf(const QString& text) {
    const QString t = text.trimmed();
    int i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) negative = t[i++] == u'-';
    long long v = 0;
    for (; i < t.size() && t[i].isDigit() && t[i].unicode() < 128; ++i) {
        v = v * 10 + (t[i].unicode() - u'0');
        if (v > 2147483648LL) v = 2147483648LL; // saturate; clamped below
    }
    if (negative) v = -v;
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return int(v);
}
