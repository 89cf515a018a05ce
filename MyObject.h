// MyObject: the application's controller. It holds the outlets to the
// interface's controls, keeps the snapshot options (scale, result size, size
// mode), receives the interface's actions and forwards all work on the movie
// to the movie view.
#pragma once

#include "PictureLimits.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <cstdint>

class QAbstractButton;
class QAbstractSlider;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSlider;
class QTimer;
class QWidget;
class MyQuickDrawView;
class MyWindow;

class MyObject : public QObject {
    Q_OBJECT
public:
    // init: registers for the application's termination notification.
    explicit MyObject(QObject* parent = nullptr);
    ~MyObject() override;

    // Outlets, connected when the interface definition is loaded. None is owned.
    QAbstractButton* ActualSizeButton = nullptr;
    QSlider* compressionSlider = nullptr;
    QLabel* frameNumber = nullptr;
    QAbstractButton* interlaceSwitch = nullptr;
    QAbstractButton* cropSwitch = nullptr;
    QLabel* MovieStats = nullptr;
    QPlainTextEdit* logView = nullptr;
    QWidget* logWindow = nullptr;
    MyQuickDrawView* myView = nullptr;
    MyWindow* myWindow = nullptr;
    QAbstractButton* OptionsButton = nullptr;
    QLineEdit* ResultXSize = nullptr;
    QLineEdit* ResultYSize = nullptr;
    QLineEdit* ResultSize = nullptr;
    QWidget* saveErrorPanel = nullptr;
    QSlider* ScaleFactor = nullptr;
    QComboBox* ScalingMethod = nullptr;
    QSlider* shuttle = nullptr;
    QSlider* slider = nullptr;
    QWidget* waitPanel = nullptr;
    QComboBox* snapshotFormat = nullptr; // JPEG (0) or PNG: what the save dialog proposes

    static constexpr int kPngFormat = 1; // snapshotFormat's PNG entry

    // Snapshot options.
    float scale = 1.0f; // source pixels per result pixel
    int32_t resx = 0;   // result width last computed or entered
    int32_t resy = 0;   // result height last computed or entered
    int32_t imx = 0;    // source width of the last size computation
    int32_t imy = 0;    // source height of the last size computation
    bool sizebyscale = true;

    // Largest result extent a snapshot may have: beyond it the bitmap would
    // need gigabytes, and JPEG files cannot hold much more anyway.
    static constexpr int32_t kMaxResultExtent = kMaxPictureSide;

    // Start-up, once every outlet is connected.
    void awakeFromNib();
    // Shut-down: frees the movie.
    void applicationWillTerminate();

    // Actions; each takes the control that sent it.
    void openDocument(QObject* sender);
    void ChangeScaleFactor(QAbstractSlider* sender);
    void setInterlacing(QAbstractButton* sender);
    void setCropping(QAbstractButton* sender);
    void ResizeToFit(QObject* sender);
    void firstFrame(QObject* sender);
    void nextFrame(QObject* sender);
    void previousFrame(QObject* sender);
    void playAll(QObject* sender);
    void setFrame(QObject* sender);
    // The position slider while it is dragged: the nearest frame to be had at
    // once, its time code marked approximate; setFrame on release.
    void scrubFrame(QObject* sender);
    // Ends play at the frame shown; nothing when not playing.
    void stopPlaying();
    bool playing() const;
    void shuttleMove(QObject* sender);
    void snapFrame(QObject* sender);
    // The snapshot snapFrame would save (crop, size, interpolation) put on
    // the clipboard instead.
    void copySnapshot(QObject* sender);
    // Whether saved snapshots carry their provenance; remembered between sessions.
    void setProvenance(QAction* sender);
    // The compression applies to JPEG only: off while PNG is the format.
    void setSnapshotFormat(QComboBox* sender);
    // The provenance preference remembered from the last session (on at first).
    static bool provenancePreference();

    // Operations of the controller used by the fields and the view.
    void SetSizeLabel(int width, int height);
    void setXSize(int width);
    void setYSize(int height);
    void resetScaleSlider();
    void updateOptions();
    void setSliderRange(int n);
    void setSliderPos(int n);

    // The trace sink: every traced operation sends its lines here. It discards
    // them; nothing ever reaches the log view.
    virtual void logMessage(const char* text);

    // A short message in the main window's status bar (failed opens, refused
    // snapshots).
    void showStatus(const QString& message);

    // Opens the movie at `path` as if it had been dropped on the view; a path
    // that is not a movie leaves everything as it was and says so in the
    // status bar. Returns whether a movie was loaded.
    bool openPath(const QString& path);

    // What the Scale and Compression sliders show beside them.
    static QString scaleText(int position);
    static QString compressionText(int value);

    // Interpolation code for an index of the ScalingMethod list.
    static uint8_t interpolationCodeForIndex(int index);

signals:
    // Play started (true) or ended (false).
    void playingChanged(bool playing);

private:
    void shuttlePressed();
    void shuttleReleased();
    // One step of play: the next frame rendered, then shown at its own time.
    void playStep();
    void showPlayedFrame(int r);

    QTimer* shuttleTimer_ = nullptr;
    QTimer* playTimer_ = nullptr;
    QElapsedTimer playClock_;  // wall time since play started
    double playStartTime_ = 0; // movie time (seconds) of the frame play started from
    bool playing_ = false;
};

// A text field's integer value: leading blanks and a sign allowed, digits up
// to the first non-digit, 0 when there are none; clamped to the int range.
int intValueOf(const QString& text);
