// The program entry of the desktop application: loads the interface, opens a
// movie given on the command line as if it had been dropped, runs the loop.
#include "AppInterface.h"
#include "MyObject.h"
#include "MyWindow.h"
#include "NavigationQt.h"
#include "ResourcesQt.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

int main(int argc, char** argv) {
    // The platform layer shows no dialog and knows no resource until told where they come from.
    InstallQtDialogProvider();
    InstallQtResources();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("MovieSnap"));
    QApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("moviesnap-qt"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Step through a movie frame by frame and save exact stills as JPEG or PNG files."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("movie"),
                                 QStringLiteral("A movie or image file to open."),
                                 QStringLiteral("[movie]"));
    parser.process(app);

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
