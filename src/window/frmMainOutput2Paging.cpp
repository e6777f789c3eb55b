#include <QComboBox>
#include <QPushButton>

#include <cmath>

#include "window/frmMain.h"
#include "planning/ClockLimits.h"
#include "planning/Output2List.h"

namespace tarnwell {

namespace {

// NC2_LS is bounded, and so is the list: never more than kNcMax / 2 values.
bool isOut2Divider(int nc) {
    return nc >= kLowSpeedDividerMin && nc <= kNcMax && nc % 2 == 0;
}

}  // namespace

// Entry i stands for NC2_LS = 2i + 2, so the last entry, NC2_LS = nc, is output 1 itself. A list
// too long for one combo box is kept in Out2Values and shown a page at a time, starting on the
// page that holds output 1 so that selecting it leaves NC2_LS equal to NC1_LS.
void frmMain::ShowOut2Choices(double out1Frequency, int nc) {
    BtnNxt->hide();
    BtnPrev->hide();
    Out2Values.clear();
    Out2Page = 0;
    Out2PageCount = 1;
    Out2ValueCount = 0;
    if (!std::isfinite(out1Frequency) || out1Frequency <= 0 || !isOut2Divider(nc)) {
        fillOut2({}, 0);
        return;
    }

    const int lastIndex = nc / 2 - 1;
    Out2ValueCount = lastIndex + 1;
    Out2PageCount = out2PageCount(lastIndex);
    if (Out2PageCount == 1) {
        fillOut2(out2Texts(out1Frequency, nc, 0, Out2ValueCount, locale_), 0);
    } else {
        Out2Values.reserve(static_cast<std::size_t>(Out2ValueCount));
        for (int i = 0; i <= lastIndex; ++i)
            Out2Values.push_back(out2Value(out1Frequency, nc, i));
        Out2Page = out2PageShowing(lastIndex, Out2PageCount, lastIndex);
        showOut2Page();
    }
    OUT2->setCurrentIndex(OUT2->count() - 1);
}

// Neighbouring pages share their boundary value. The selection follows NC2_LS where the page
// shows it, and otherwise moves to the page's nearest end.
void frmMain::BtnNxt_Click() {
    if (Out2Page + 1 >= Out2PageCount)
        return;
    ++Out2Page;
    showOut2Page();
    selectOut2ByRule();
}

void frmMain::BtnPrev_Click() {
    if (Out2Page <= 0 || Out2Page >= Out2PageCount)
        return;
    --Out2Page;
    showOut2Page();
    selectOut2ByRule();
}

void frmMain::showOut2Page() {
    const Out2PageRange range = out2PageRange(Out2Page, Out2PageCount, Out2ValueCount - 1);
    std::vector<std::string> texts;
    texts.reserve(static_cast<std::size_t>(range.count));
    for (int i = range.first; i < range.first + range.count; ++i)
        texts.push_back(formatNumber(Out2Values[static_cast<std::size_t>(i)], locale_));
    BtnPrev->setVisible(Out2Page > 0);
    BtnNxt->setVisible(Out2Page + 1 < Out2PageCount);
    fillOut2(texts, range.first);
}

}  // namespace tarnwell
