#include <QApplication>
#include <QCommandLineParser>

#include "window/OffscreenForTextOptions.h"
#include "window/frmMain.h"
#include "hid/HidapiBackend.h"

int main(int argc, char* argv[]) {
    tarnwell::useOffscreenForTextOptions(argc, argv);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarnwell"));
    QApplication::setApplicationVersion(QStringLiteral(TARNWELL_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Configures USB GPS-disciplined reference clocks: lists the attached clocks by serial "
        "number, shows their identity, configuration and live lock status, finds the PLL dividers "
        "for a wanted output frequency and programs them."
#ifdef Q_OS_WIN
        " No driver is needed: Windows drives the clock as the HID device it is."
#else
        " Needs read and write access to the clock's hidraw device, which the installed udev rule "
        "gives the user at the seat."
#endif
        ));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(application);

    tarnwell::HidapiBackend backend;
    tarnwell::frmMain window(backend);
    window.Form_Load();
    return application.exec();
}
