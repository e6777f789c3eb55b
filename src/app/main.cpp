#include <QApplication>
#include <QMessageBox>

#include <thread>

#include "app/frmMain.h"
#include "device/HidapiBackend.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    tarnwell::HidapiBackend backend;
    tarnwell::frmMain window(
        backend, [](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); },
        [](QWidget& parent, const QString& title, const QString& text) {
            QMessageBox::warning(&parent, title, text);
        });
    window.Form_Load();
    return application.exec();
}
