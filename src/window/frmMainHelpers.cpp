#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include "window/QtText.h"
#include "window/frmMain.h"

namespace tarnwell {

QString frmMain::numberText(double value) const {
    return latin1Text(formatNumber(value, locale_));
}

std::optional<double> frmMain::boxNumber(const QLineEdit* box) const {
    return parseNumber(box->text().toStdString(), locale_);
}

void frmMain::setBoxNumber(QLineEdit* box, double value) {
    box->setText(numberText(value));
}

void frmMain::replaceItems(QComboBox* box, const QStringList& items) {
    const QSignalBlocker blocker(box);
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(-1);
}

}  // namespace tarnwell
