#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>

#include "planning/DividerSearch.h"
#include "planning/NearestExact.h"
#include "planning/PllModel.h"
#include "window/QtText.h"
#include "window/YieldGate.h"
#include "window/frmMain.h"

namespace tarnwell {

namespace {

const QString kUpdateCaption = QStringLiteral("Update");

QString out1FrequencyHint(const NumberLocale& locale) {
    constexpr double kExampleFrequency = 10000000;
    const WholeFrequencyRange range = reachableWholeFrequencies();
    return QStringLiteral(
               "Type the output 1 frequency in Hz, a number of at least %1, for example %2. The "
               "clock reaches %3 to %4 Hz.")
        .arg(QString::fromStdString(formatGrouped(kLowestWantedFrequency, locale)),
             QString::fromStdString(formatGrouped(kExampleFrequency, locale)),
             QString::fromStdString(formatGrouped(range.lowest, locale)),
             QString::fromStdString(formatGrouped(range.highest, locale)));
}

}  // namespace

// One search at a time: a press of Find while the search runs (it lets events through) is
// ignored, and the running search goes on to program what it finds.
void frmMain::FindFreq_Click() {
    if (searchRunning_)
        return;
    const std::optional<double> wanted = boxNumber(Out1Freq);
    if (!wanted || !(*wanted >= kLowestWantedFrequency)) {
        showWarning_(*this, QStringLiteral("Find"), out1FrequencyHint(locale_));
        return;
    }

    const bool updateWasEnabled = SetFreq->isEnabled();
    SetFreq->setEnabled(false);
    SetFreq->setText(QStringLiteral("Searching"));

    // Events run inside the search: the window may be closed, or even destroyed, meanwhile.
    const QPointer<frmMain> alive(this);
    const bool shownAtStart = isVisible();
    SearchResult result;
    {
        searchRunning_ = true;
        const auto searchEnded = qScopeGuard([&] {
            if (alive)
                searchRunning_ = false;
        });
        YieldGate gate(searchYieldInterval_,
                       [&] { return alive && !(shownAtStart && isHidden()); });
        result = findDividers(*wanted, [&](const SearchProgress& at) {
            return gate([&] { showSearchProgress(at); });
        });
    }
    if (!alive)
        return;

    switch (result.outcome) {
        case SearchOutcome::Found:
            showFoundSetting(*result.plan, *wanted);
            SetFreq_Click();
            break;
        case SearchOutcome::NotFound:
            offerNearestSettings(*wanted, *result.exhausted);
            break;
        case SearchOutcome::Cancelled:  // the window was closed: nobody waits for a result
            SetFreq->setText(kUpdateCaption);
            SetFreq->setEnabled(updateWasEnabled);
            break;
    }
}

void frmMain::showSearchProgress(const SearchProgress& at) {
    setBoxNumber(N1_HS, at.n1hs);
    setBoxNumber(NC1_LS, at.nc);
    setBoxNumber(NC2_LS, at.nc);
    setBoxNumber(N2_HS, at.n2hs);
}

void frmMain::showFoundSetting(const DividerPlan& plan, double out1Frequency) {
    setBoxNumber(GPS, static_cast<double>(plan.reference));
    setBoxNumber(N31, plan.n31);
    setBoxNumber(N2_HS, plan.n2hs);
    setBoxNumber(N2_LS, plan.n2ls);
    setBoxNumber(N1_HS, plan.n1hs);
    setBoxNumber(NC1_LS, plan.nc);
    setBoxNumber(NC2_LS, plan.nc);
    Label13->setText(QStringLiteral("Found"));

    ShowOut2Choices(out1Frequency, plan.nc);
    OUT2->setEnabled(true);
    FillPhaseBox();
    setBoxNumber(BW, bandwidthCodeForSerial(SerNo->currentText().toStdString()));
    showReadouts();

    SetFreq->setEnabled(true);
    SetFreq->setText(kUpdateCaption);
    Label13->clear();
}

// The boxes keep the last values the loops would have written.
void frmMain::showSearchFailure(const ExhaustedLoops& end) {
    setBoxNumber(N1_HS, end.n1hs);
    if (end.nc) {
        setBoxNumber(NC1_LS, *end.nc);
        setBoxNumber(NC2_LS, *end.nc);
        setBoxNumber(N2_HS, kN2HsMin);  // where the N2_HS loop ends
    }
    SetFreq->setEnabled(false);
    SetFreq->setText(kUpdateCaption);
    Label13->setText(QStringLiteral("Not Found"));
    showWarning_(
        *this, QStringLiteral("Not found"),
        QStringLiteral("Failed to find settings for ") + Out1Freq->text() + QStringLiteral(" Hz"));
}

}  // namespace tarnwell
