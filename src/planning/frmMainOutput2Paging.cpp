#include "app/frmMain.h"

namespace tarnwell {

void frmMain::BtnNxt_Click() {}

void frmMain::BtnPrev_Click() {}

}  // namespace tarnwell
