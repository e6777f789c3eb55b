#include <QComboBox>
#include <QLineEdit>

#include "app/QtText.h"
#include "app/frmMain.h"
#include "planning/Output2List.h"

namespace tarnwell {

void frmMain::showOut2Entries(const std::vector<std::string>& texts) {
    replaceItems(OUT2, latin1Texts(texts));
    selectOut2ByRule();
}

// The entry whose divider NC2_LS holds, or the last one when NC2_LS lies beyond the list.
void frmMain::selectOut2ByRule() {
    const std::optional<double> nc2 = boxNumber(NC2_LS);
    OUT2->setCurrentIndex(nc2 ? out2SelectionIndex(*nc2, OUT2->count()) : OUT2->count() - 1);
}

}  // namespace tarnwell
