#include <QApplication>

#include "app/frmMain.h"
#include "hid/HidapiBackend.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    tarnwell::HidapiBackend backend;
    tarnwell::frmMain window(backend);
    window.Form_Load();
    return application.exec();
}
