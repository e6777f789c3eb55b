#include <QLineEdit>

#include "app/QtText.h"
#include "app/frmMain.h"
#include "commands/CommandPayloads.h"
#include "commands/RegisterText.h"

namespace tarnwell {

void frmMain::Sleep_cmd_Click() {
    (void)sendCommand([](std::size_t length) { return sleepReport(length); });
}

// A text that does not make a byte is refused rather than sent as some other byte.
void frmMain::WriteRegister_Click() {
    if (!commandGateOpen())
        return;
    const RegisterByte address = registerByteFromText(REG->text().toStdString(), "REG", Locale);
    const RegisterByte value = registerByteFromText(DATA->text().toStdString(), "DATA", Locale);
    for (const RegisterByte* byte : {&address, &value}) {
        if (!byte->value) {
            ShowWarning(*this, QStringLiteral("Register write"),
                        latin1Text(byte->refusal) + QStringLiteral("."));
            return;
        }
    }
    (void)sendCommand([a = *address.value, v = *value.value](std::size_t length) {
        return writeRegisterReport(a, v, length);
    });
}

}  // namespace tarnwell
