#include "app/frmMain.h"

namespace tarnwell {

void frmMain::FindFreq_Click() {}

}  // namespace tarnwell
