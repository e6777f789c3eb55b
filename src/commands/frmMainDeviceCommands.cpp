#include "app/frmMain.h"

namespace tarnwell {

void frmMain::Sleep_cmd_Click() {}

void frmMain::WriteRegister_Click() {}

}  // namespace tarnwell
