// Saves a picture of the window on a virtual clock for the documentation:
//   window_snapshot docs/window.png
#include <QApplication>
#include <QPixmap>

#include <cstdio>

#include "app/frmMain.h"
#include "sim/VirtualClockBackend.h"

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_snapshot <picture.png>\n");
        return 2;
    }
    QApplication application(argc, argv);
    tarnwell::VirtualClockBackend backend;
    tarnwell::VirtualClockDescription described;
    described.serial = u"TW240117";
    backend.addClock(described).state().status = {2, false, false};
    tarnwell::frmMain window(
        backend, [](std::chrono::milliseconds) {}, [](QWidget&, const QString&, const QString&) {});
    window.Form_Load();
    window.Timer_Timer();
    QApplication::processEvents();
    const bool saved = window.grab().save(QString::fromLocal8Bit(argv[1]));
    window.close();
    return saved ? 0 : 1;
}
