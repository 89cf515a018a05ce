// MyQuickDrawView: the movie view. It owns the frame source of the movie being
// shown, loads movies through the open dialog or from a dropped file, draws
// the current frame fitted and centred, keeps the crop rectangle in movie
// pixels and lets the user drag a new one, steps through frames and saves
// snapshots.
#pragma once

#include "CropTracker.h"
#include "SizeArithmetic.h"

#include "Movies.h"

#include "ImageLib.h"

#include <QSize>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>

class QAbstractButton;
class QMimeData;
class MyObject;

class MyQuickDrawView : public QWidget {
    Q_OBJECT
public:
    struct Point {
        float x = 0, y = 0;
    };
    struct Size {
        float width = 0, height = 0;
    };
    using FloatRect = SizeArithmetic::FloatRect;

    // Drag operations as the drag operation mask numbers them.
    static constexpr int NSDragOperationCopy = 1;
    static constexpr int NSDragOperationLink = 2;

    explicit MyQuickDrawView(QWidget* parent = nullptr);
    ~MyQuickDrawView() override;

    QAbstractButton* movieFrameButton = nullptr; // present in the interface; no behaviour
    MyObject* myObject = nullptr;                // the controller; not owned
    MoviePixRect* mpr = nullptr;                 // the frame source; owned; null: no movie
    float zoom = 0.0f;                           // 1.0 from start-up; nothing reads it
    float framenumber = 0.0f;                    // running frame position
    Point clipOrigin;                            // crop rectangle, movie pixels
    Size clipSize;
    FloatRect drawnRect; // where the frame was last drawn, view coordinates
    bool cropping = false;
    bool toClipboard = false; // the snapshot goes to the clipboard rather than to a file
    bool provenance = true;   // saved snapshots carry their provenance as XMP

    void awakeFromNib();

    // Drag and drop. draggingEntered answers a drag operation for the data;
    // performDragOperation loads the first dropped file and refits the window.
    int draggingEntered(const QMimeData* data, Qt::DropActions sourceAllows);
    bool performDragOperation(const QMimeData* data);
    // The action boundary of a drop: performDragOperation with a failed open
    // caught and reported in the status bar. Returns whether a movie was loaded.
    bool acceptDrop(const QMimeData* data);

    // Opens a movie file; raises AssertionFailure when it is not one.
    Movie createQTMovieFromFilePath(const char* path);
    // Loads a movie: from `path`, or through the open dialog when it is null.
    bool pickupMovieFile(const char* path);

    void drawFrame();
    void setCropFlag(uint8_t flag);
    void setInterlaceFlag(uint8_t flag);
    void cleanUpForExit();

    int moviewidth() const;
    int movieheight() const;
    int clipWidth() const;
    int clipHeight() const;

    // Frame navigation.
    int firstFrame();
    int nextFrame();
    int previousFrame();
    void setFrameNumber(int n);
    void adjFrameNumber(float d);
    // Shows the keyframe at or before frame n at once (n itself when that is
    // one), with n's time code marked approximate; the frame source stands at
    // n afterwards, so that the next exact render shows n.
    void scrubToFrame(int n);

    // Snapshot export: to an explicit size, or by a scale divisor.
    void saveFrame(int quality, float width, float height, uint8_t interp);
    void saveFrame(int quality, float scale, uint8_t interp);

    // The width and height of the file a snapshot at `scale` writes: the crop
    // (far edges included, cut to the frame) or the frame, resampled as the
    // export resamples it. Without a movie, those of a one-pixel frame.
    QSize snapshotSize(float scale);

signals:
    // A movie was loaded (true) or the view was left without one (false).
    void movieChanged(bool hasMovie);

protected:
    void paintEvent(QPaintEvent* event) override; // drawRect:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void destroyFrameSource();
    // The window's title (the file's name), its file path and the view's
    // tooltip (name and folder) for the movie at `path`; empty: no movie.
    void showMovieName(const QString& path);
    void trackCrop(CropTracker::Event e, QPointF p);
    void cropReleased();
    void cropLeftView();
    // The running position never leaves 0 ... frame count.
    void clampRunningPosition();
    void showWaitPanel();
    // The snapshot of `frame` at `size`: the crop rectangle in crop mode,
    // else the whole frame. Nothing is computed yet.
    Snapshot::Chain snapshotChain(PixRect<ARGBVal>& frame, const Snapshot::Size& size,
                                  uint8_t interp) const;
    // Asks where to save, offering JPEG and PNG (PNG first when `png`) and
    // proposing "<movie>_f<frame>.jpg" (or .png) in the folder of the last
    // save: noErr with `path` set, userCanceledErr for a dismissed dialog, or
    // why the chosen name cannot be a file.
    OSErr askSavePath(bool png, std::string& path);
    // Both saveFrame forms: the current frame's snapshot built under the wait
    // panel, then delivered. Nothing without a movie.
    void saveSnapshot(const Snapshot::Size& size, uint8_t interp, int quality);
    // The built snapshot to the clipboard, or to the JPEG or PNG file the save
    // dialog names (with its provenance when that is on), and the outcome
    // told: a dismissed dialog only in the status bar, a failed write also in
    // the error panel with the system's reason.
    void deliverSnapshot(const Bitmapio& bitmap, const Snapshot::Chain& chain, int quality);

    CropTracker tracker_;
    std::string lastSaveFolder_; // where the last snapshot went
    QString moviePath_;          // the file shown; empty without a movie
    OSErr lastOpenResult_ = 0;   // of the last createQTMovieFromFilePath
};
