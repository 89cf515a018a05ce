// The preview beside an open dialog's file list: the first picture of the
// selected movie or image file as a thumbnail, and its size, frame count, rate
// and duration under it. Read through the platform layer's movie calls.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include <list>

class QLabel;

// What a preview shows for one file. No picture and no text: nothing to show
// (a folder, no selection).
struct FilePreviewContent {
    QImage picture; // fitted into FilePreview::thumbnailSize, aspect kept
    QString text;   // one or two lines
};

class FilePreview : public QWidget {
    Q_OBJECT
public:
    static constexpr int thumbnailWidth = 240;
    static constexpr int thumbnailHeight = 180;
    static constexpr int cacheSize = 8;
    // Opening a movie reads every packet to count its frames exactly, which
    // for a long film takes seconds; the dialog must answer a click at once,
    // so files larger than this are described by their size alone.
    static constexpr qint64 largestPreviewed = qint64(256) << 20;

    explicit FilePreview(QWidget* parent = nullptr);

    // Shows `path`: its picture and facts, "No preview" when it is a file that
    // does not open as a movie or image ("No preview: <n> MB" when it is too
    // large to open at once), nothing for a folder or an empty path.
    void showFile(const QString& path);

    // What is shown now.
    const FilePreviewContent& content() const { return shown_; }

    // Reads `path` afresh, without the cache.
    static FilePreviewContent load(const QString& path);

private:
    struct Cached {
        QString path;
        qint64 modified = 0; // milliseconds since the epoch
        qint64 size = 0;
        FilePreviewContent content;
    };

    void display(const FilePreviewContent& c);

    QLabel* picture_ = nullptr;
    QLabel* caption_ = nullptr;
    FilePreviewContent shown_;
    std::list<Cached> cache_; // most recently shown first
};
