#include <QLineEdit>

#include <utility>

#include "commands/CommandPayloads.h"
#include "commands/RegisterText.h"
#include "window/frmMain.h"

namespace tarnwell {

void frmMain::Sleep_cmd_Click() {
    sendCommand([](std::size_t length) { return sleepReport(length); });
}

// A text that does not make a byte is refused rather than sent as some other byte.
void frmMain::WriteRegister_Click() {
    if (!commandGateOpen())
        return;
    const auto address = registerByteFromText(REG->text().toStdString(), locale_);
    const auto value = registerByteFromText(DATA->text().toStdString(), locale_);
    // Each box named as the window shows it: by the hint it holds when empty.
    for (const auto& [byte, box] : {std::pair{address, REG}, std::pair{value, DATA}}) {
        if (!byte) {
            showWarning_(
                *this, QStringLiteral("Register write"),
                box->placeholderText() + QStringLiteral(" must be a number from 0 to 255."));
            return;
        }
    }
    sendCommand([a = *address, v = *value](std::size_t length) {
        return writeRegisterReport(a, v, length);
    });
}

}  // namespace tarnwell
