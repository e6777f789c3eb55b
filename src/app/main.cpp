#include <QApplication>

#include "app/frmMain.h"
#include "device/HidapiBackend.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    tarnwell::HidapiBackend backend;
    tarnwell::frmMain window(backend);
    window.Form_Load();
    return application.exec();
}
