#include "FileDialogDriver.h"
#include "Memory.h"
#include "Navigation.h"
#include "NavigationQt.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QKeyEvent>

#include <cstring>
#include <memory>
#include <string>

namespace {

// The Qt dialogs installed for one test; the provider before them comes back after.
class QtDialogsScope {
public:
    QtDialogsScope() : previous(SetNavDialogProvider(nullptr)) { InstallQtDialogProvider(); }
    ~QtDialogsScope() { SetNavDialogProvider(previous); }

private:
    std::shared_ptr<NavDialogProvider> previous;
};

int argc = 1;
char programName[] = "platform_qt_tests";
char* argv[] = {programName, nullptr};

void setPascal(unsigned char* s, const char* text) {
    s[0] = static_cast<unsigned char>(std::strlen(text));
    std::memcpy(s + 1, text, s[0]);
}

std::string firstPath(const NavReplyRecord& reply) {
    FSSpec fss;
    if (AEGetNthPtr(&reply.selection, 1, typeFSS, nullptr, nullptr, &fss, sizeof fss, nullptr))
        return {};
    return fss.path;
}

} // namespace

TEST(QtDialogs, TheDialogsShowTheRequestAndAnswerTheChosenFile) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QtDialogsScope qt;
    ScratchFolder dir;
    WriteFileBytes(dir.file("clip.mov"), {1, 2, 3});

    NavDialogOptions options;
    NavGetDefaultDialogOptions(&options);
    setPascal(options.windowTitle, "Pick a movie");
    Handle types = NewHandleClear(12);
    (*reinterpret_cast<NavTypeListHandle>(types))->osTypeCount = 1;
    const OSType movie = FOUR_CHAR_CODE("MooV");
    std::memcpy(*types + 8, &movie, 4);

    QString title;
    QStringList filters;
    whenTheDialogShows([&](QFileDialog* d) {
        title = d->windowTitle();
        filters = d->nameFilters();
        d->selectFile(QString::fromStdString(dir.file("clip.mov")));
        static_cast<QDialog*>(d)->accept(); // QFileDialog's own, which checks the name
    });
    NavReplyRecord reply;
    ASSERT_EQ(NavGetFile(nullptr, &reply, &options, nullptr, nullptr, nullptr,
                         reinterpret_cast<NavTypeListHandle>(types), nullptr),
              noErr);
    DisposeHandle(types);
    EXPECT_TRUE(reply.validRecord);
    EXPECT_EQ(firstPath(reply), dir.file("clip.mov"));
    NavDisposeReply(&reply);
    EXPECT_EQ(title, "Pick a movie");
    // The default options have no type pop-up: the movies only, in both spellings.
    ASSERT_EQ(filters.size(), 1);
    EXPECT_TRUE(filters[0].startsWith("Movies (*.mov *.MOV *.qt *.QT "))
        << filters[0].toStdString();

    // A save dialog proposes "untitled.jpg" and adds the extension to a bare name.
    QString proposed;
    whenTheDialogShows([&](QFileDialog* d) {
        proposed = d->selectedFiles().value(0);
        d->selectFile(QString::fromStdString(dir.file("still")));
        static_cast<QDialog*>(d)->accept(); // QFileDialog's own, which checks the name
    });
    ASSERT_EQ(NavPutFile(nullptr, &reply, nullptr, nullptr, FOUR_CHAR_CODE("JPEG"), 0, nullptr),
              noErr);
    EXPECT_EQ(firstPath(reply), dir.file("still.jpg"));
    EXPECT_FALSE(reply.replacing);
    NavDisposeReply(&reply);
    EXPECT_TRUE(proposed.endsWith("/untitled.jpg")) << proposed.toStdString();

    // Offering JPEG and PNG: a bare name takes the extension of the type picked.
    whenTheDialogShows([&](QFileDialog* d) {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        if (auto* types = d->findChild<QComboBox*>("fileTypeCombo"))
            QApplication::sendEvent(types, &down); // as a person picks the second type
        d->selectFile(QString::fromStdString(dir.file("still")));
        static_cast<QDialog*>(d)->accept();
    });
    ASSERT_EQ(NavPutFileOfTypes(nullptr, &reply, nullptr, nullptr,
                                {FOUR_CHAR_CODE("JPEG"), FOUR_CHAR_CODE("PNGf")}, 0, nullptr),
              noErr);
    EXPECT_EQ(firstPath(reply), dir.file("still.png"));
    NavDisposeReply(&reply);
}
