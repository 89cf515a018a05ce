// The program entry of the desktop application: loads the interface, opens a
// movie given on the command line as if it had been dropped, runs the loop.
#include "AppInterface.h"
#include "MyObject.h"
#include "MyWindow.h"
#include "NavigationQt.h"
#include "ResourcesQt.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QIcon>
#include <QTimer>

#include <cstring>

namespace {

// The application's id: the name of its desktop entry, icon and metainfo.
constexpr char kAppId[] = MOVIESNAP_APP_ID;

void describeCommandLine(QCommandLineParser& parser) {
    QCoreApplication::setApplicationName(QStringLiteral("MovieSnap"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));
    parser.setApplicationDescription(
        QStringLiteral("Step through a movie frame by frame and save exact stills as JPEG files."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("movie"),
                                 QStringLiteral("A movie or image file to open."),
                                 QStringLiteral("[movie]"));
}

// Asked only for text (help or version): answered without a display.
bool onlyTextAsked(int argc, char** argv) {
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i)
        for (const char* o : {"-h", "--help", "-?", "--help-all", "-v", "--version"})
            if (std::strcmp(argv[i], o) == 0) return true;
    return false;
}

// The installed icon: the icon theme's, else the files under the program's own
// prefix (which the desktop need not search).
QIcon installedIcon() {
    QIcon files;
    for (const char* size : {"48x48", "128x128", "256x256"}) {
        const QString path = QStringLiteral("%1/../share/icons/hicolor/%2/apps/%3.png")
                                 .arg(QCoreApplication::applicationDirPath(), QLatin1String(size),
                                      QLatin1String(kAppId));
        if (QFile::exists(path)) files.addFile(path);
    }
    return QIcon::fromTheme(QLatin1String(kAppId), files);
}

} // namespace

int main(int argc, char** argv) {
    if (onlyTextAsked(argc, argv)) {
        QCoreApplication core(argc, argv);
        QCommandLineParser parser;
        describeCommandLine(parser);
        parser.process(core); // prints and leaves
        return 0;
    }
    // The platform layer shows no dialog and knows no resource until told where they come from.
    InstallQtDialogProvider();
    InstallQtResources();
    QApplication app(argc, argv);
    QCommandLineParser parser;
    describeCommandLine(parser);
    parser.process(app);

    QApplication::setWindowIcon(installedIcon());
    QGuiApplication::setDesktopFileName(QLatin1String(kAppId));

    AppInterface interface;
    interface.window()->show();
    // Without a path nothing is opened; with one, it opens once the loop runs.
    const QStringList paths = parser.positionalArguments();
    if (!paths.isEmpty())
        QTimer::singleShot(0, interface.controller(), [&interface, path = paths.first()] {
            interface.controller()->openPath(path);
        });
    return app.exec();
}
