#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <string>
#include <vector>

#include "hid/HidapiBackend.h"
#include "host/UsbIdOption.h"
#include "host/UsbIdSettings.h"
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
    const std::vector<std::string> settingsFiles = tarnwell::usbIdSettingsFilesShown();
    const QCommandLineOption usbId(
        QStringLiteral("usb-id"),
        QStringLiteral("Look for clocks with this USB vendor and product id (hex, repeatable; "
                       "replaces the ids of the variable %1 and of the settings files %2 and %3, "
                       "one VID:PID a line).")
            .arg(QString::fromStdString(std::string(tarnwell::kUsbIdsVariable)),
                 QString::fromStdString(settingsFiles.front()),
                 QString::fromStdString(settingsFiles.back())),
        QStringLiteral("VID:PID"));
    parser.addOption(usbId);
    parser.process(application);

    std::vector<std::string> usbIdTexts;
    for (const QString& text : parser.values(usbId))
        usbIdTexts.push_back(text.toStdString());
    const tarnwell::UsbIdOptionValues fromOptions = tarnwell::readUsbIdOption(usbIdTexts);
    if (!fromOptions.complaint.empty()) {
        std::fprintf(stderr, "tarnwell: %s\n", fromOptions.complaint.c_str());
        return 2;
    }
    const tarnwell::UsbIdsInForce ids =
        tarnwell::resolveUsbIds(fromOptions.ids, tarnwell::thisPlatform());
    for (const std::string& complaint : ids.complaints)
        std::fprintf(stderr, "tarnwell: %s%s\n", complaint.c_str(),
                     tarnwell::fallbackNote().c_str());

    tarnwell::HidapiBackend backend;
    tarnwell::frmMain window(backend);
    window.setUsbIds(ids);
    window.Form_Load();
    return application.exec();
}
