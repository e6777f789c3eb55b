#include "app/frmMain.h"

namespace tarnwell {

void frmMain::SetFreq_Click() {}

void frmMain::ClampDividers() {}

}  // namespace tarnwell
