#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

#include "device/UsbIdSettings.h"
#include "hid/HidapiBackend.h"
#include "window/OffscreenForTextOptions.h"
#include "window/frmMain.h"

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
    const QCommandLineOption usbId(
        QStringLiteral("usb-id"),
        QStringLiteral("Look for clocks with this USB vendor and product id (hex, repeatable; "
                       "replaces the ids of the variable TARNWELL_USB_IDS and of the settings "
                       "files ~/.config/tarnwell/usb-ids.conf and /etc/xdg/tarnwell/"
                       "usb-ids.conf, one VID:PID a line)."),
        QStringLiteral("VID:PID"));
    parser.addOption(usbId);
    parser.process(application);

    tarnwell::UsbIdList fromOptions;
    for (const QString& text : parser.values(usbId)) {
        const auto id = tarnwell::parseUsbId(text.toStdString());
        if (!id) {
            std::fprintf(stderr, "tarnwell: --usb-id \"%s\" is not VID:PID in hex, such as %s\n",
                         qPrintable(text),
                         tarnwell::usbIdText(tarnwell::defaultUsbIds().front()).c_str());
            return 2;
        }
        fromOptions.push_back(*id);
    }
    const tarnwell::UsbIdsInForce ids =
        tarnwell::resolveUsbIds(fromOptions, tarnwell::thisPlatform());
    for (const std::string& complaint : ids.complaints)
        std::fprintf(stderr, "tarnwell: %s%s\n", complaint.c_str(),
                     tarnwell::fallbackNote().c_str());

    tarnwell::HidapiBackend backend;
    tarnwell::frmMain window(backend);
    window.setUsbIds(ids);
    window.Form_Load();
    return application.exec();
}
