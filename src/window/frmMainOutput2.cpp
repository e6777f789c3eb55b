#include <QComboBox>
#include <QLineEdit>

#include "planning/Output2List.h"
#include "window/QtText.h"
#include "window/frmMain.h"

namespace tarnwell {

void frmMain::showOut2Entries(const std::vector<std::string>& texts) {
    fillOut2(texts, 0);
    selectOut2ByRule();
}

void frmMain::fillOut2(const std::vector<std::string>& texts, int firstValueIndex) {
    out2FirstShown_ = firstValueIndex;
    replaceItems(OUT2, latin1Texts(texts));
}

// The entry whose divider NC2_LS holds, or the nearest end of the entries shown when NC2_LS lies
// beyond them.
void frmMain::selectOut2ByRule() {
    const std::optional<double> nc2 = boxNumber(NC2_LS);
    if (!nc2) {
        OUT2->setCurrentIndex(OUT2->count() - 1);
        return;
    }
    // Measured from the first value shown, so a later page maps dividers as page 0 does.
    OUT2->setCurrentIndex(out2SelectionIndex(*nc2 - 2.0 * out2FirstShown_, OUT2->count()));
}

}  // namespace tarnwell
