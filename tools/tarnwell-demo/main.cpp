// tarnwell-demo: the tool's window on two simulated clocks, with a "Clock simulator" window
// beside it to plug, unplug and upset them and to watch what they receive.
#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>

#include "Demo.h"
#include "DemoScreenshots.h"
#include "window/OffscreenForTextOptions.h"

int main(int argc, char* argv[]) {
    tarnwell::useOffscreenForTextOptions(argc, argv);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarnwell-demo"));
    QApplication::setApplicationVersion(QStringLiteral(TARNWELL_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Tarnwell on two simulated clocks; no clock needs to be attached."));
    parser.addHelpOption();
    parser.addVersionOption();
    // For the documentation's pictures (scripts/screenshots.sh).
    QCommandLineOption screenshots(QStringLiteral("screenshot-dir"),
                                   QStringLiteral("Save pictures of both windows, then quit."),
                                   QStringLiteral("folder"));
    screenshots.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(screenshots);
    parser.process(application);

    tarnwell::demo::Demo demo;
    demo.start();
    if (parser.isSet(screenshots))
        tarnwell::demo::takeScreenshots(demo, parser.value(screenshots));
    return application.exec();
}
