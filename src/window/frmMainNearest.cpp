#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

#include "window/QtText.h"
#include "window/frmMain.h"
#include "planning/DividerSearch.h"
#include "planning/ClosestSetting.h"
#include "planning/NearestExact.h"

namespace tarnwell {

namespace {

// Shown while the nearest settings are being looked for, before "Not Found".
const QString kLookingCaption = QStringLiteral("Nearest?");

// Lets the window's events through whenever `interval` has passed since they last ran, as Find
// does, and asks `keepGoing` after each such pause.
class YieldGate {
public:
    YieldGate(std::chrono::milliseconds interval, std::function<bool()> keepGoing)
        : interval_(interval), keepGoing_(std::move(keepGoing)) {}
    bool operator()() {
        if (Clock::now() - lastYield_ < interval_)
            return true;
        QCoreApplication::processEvents();
        lastYield_ = Clock::now();
        return keepGoing_();
    }

private:
    using Clock = std::chrono::steady_clock;
    std::chrono::milliseconds interval_;
    std::function<bool()> keepGoing_;
    Clock::time_point lastYield_ = Clock::now();
};

QString withDecimalPoint(QString text, const NumberLocale& locale) {
    return text.replace(QLatin1Char('.'), QLatin1Char(locale.decimalPoint));
}

// Fixed notation to `digits` significant digits without trailing zeros: errors of a few
// millionths read better as 0.0000452 than in exponent form.
QString significant(double value, int digits, const NumberLocale& locale, bool withPlus = false) {
    if (value == 0)
        return QStringLiteral("0");
    const int decimals =
        std::clamp(digits - 1 - static_cast<int>(std::floor(std::log10(std::fabs(value)))), 0, 30);
    QString text = QString::number(value, 'f', decimals);
    if (decimals > 0) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    if (withPlus && value > 0)
        text.prepend(QLatin1Char('+'));
    return withDecimalPoint(text, locale);
}

// The exact decimal expansion of a fraction, with enough decimals to show an error of errorHz.
QString exactDecimal(const Fraction& f, double errorHz, const NumberLocale& locale) {
    const int decimals =
        errorHz == 0
            ? 3
            : std::clamp(static_cast<int>(std::ceil(-std::log10(std::fabs(errorHz)))) + 3, 3, 30);
    const bool negative = f.numerator < 0;
    const auto n = static_cast<unsigned __int128>(negative ? -static_cast<__int128>(f.numerator)
                                                           : f.numerator);
    const auto d = static_cast<unsigned __int128>(f.denominator);
    QString text = negative ? QStringLiteral("-") : QString();
    text += QString::number(static_cast<quint64>(n / d)) + QLatin1Char(locale.decimalPoint);
    auto rest = n % d;
    for (int i = 0; i < decimals; ++i) {
        rest *= 10;
        text += QLatin1Char(static_cast<char>('0' + static_cast<int>(rest / d)));
        rest %= d;
    }
    return text;
}

struct NearestOffer {
    NearestExact exact;
    ClosestResult closest;
    bool cancelled = false;
};

}  // namespace

// The person decides: an exact neighbour is searched and programmed like a typed frequency, the
// closest setting only fills the boxes, so that nothing reaches the clock before Update.
void frmMain::offerNearestSettings(double out1Frequency, const ExhaustedLoops& end) {
    const QPointer<frmMain> alive(this);
    const bool shownAtStart = isVisible();
    NearestOffer offer;
    if (isSearchableFrequency(out1Frequency)) {
        // Find and Update stay ignored as during the search; closing the window abandons this.
        searchRunning_ = true;
        const auto ended = qScopeGuard([&] {
            if (alive)
                searchRunning_ = false;
        });
        Label13->setText(kLookingCaption);
        YieldGate gate(searchYieldInterval_,
                       [&] { return alive && !(shownAtStart && isHidden()); });
        offer.exact =
            findNearestExact(out1Frequency, [&](const SearchProgress&) { return gate(); });
        offer.cancelled = offer.exact.outcome == SearchOutcome::Cancelled;
        if (!offer.cancelled) {
            offer.closest =
                findClosestSetting(out1Frequency, [&](const ClosestProgress&) { return gate(); });
            offer.cancelled = offer.closest.outcome == SearchOutcome::Cancelled;
        }
    }
    if (!alive)
        return;

    QString details;
    QStringList choices;
    std::vector<std::function<void()>> actions;
    if (!offer.cancelled && !isSearchableFrequency(out1Frequency)) {
        details = QStringLiteral("\n\nThe clock reaches %1 to %2 Hz.")
                      .arg(numberText(std::ceil(kLowestSearchableFrequency)),
                           numberText(std::floor(kHighestSearchableFrequency)));
    } else if (!offer.cancelled) {
        const QString reach =
            significant(kNearestExactReach * 100, 3, locale_) + QStringLiteral("%");
        const auto neighbour = [&](const QString& side, const std::optional<ExactNeighbour>& n) {
            details += QStringLiteral("\nNearest %1 with an exact setting: ").arg(side);
            if (!n) {
                details += QStringLiteral("none within %1").arg(reach);
                return;
            }
            const double g = n->frequency;
            details += QStringLiteral("%1 Hz (%2 Hz, %3 ppm)")
                           .arg(numberText(g), significant(n->distanceHz, 9, locale_, true),
                                significant(n->distancePpm, 3, locale_, true));
            choices << QStringLiteral("Use %1 Hz").arg(numberText(g));
            actions.emplace_back([this, g] {
                Out1Freq->setText(numberText(g));
                FindFreq_Click();
            });
        };
        details += QLatin1Char('\n');
        neighbour(QStringLiteral("below"), offer.exact.below);
        neighbour(QStringLiteral("above"), offer.exact.above);
        if (offer.closest.setting) {
            const ClosestSetting s = *offer.closest.setting;
            const DividerPlan& p = s.plan;
            details +=
                QStringLiteral("\n\nClosest setting: %1 Hz (%2/%3 Hz), off by %4 Hz (%5 ppb)")
                    .arg(exactDecimal(s.out1, s.errorHz, locale_))
                    .arg(s.out1.numerator)
                    .arg(s.out1.denominator)
                    .arg(significant(s.errorHz, 3, locale_, true),
                         significant(s.errorPpb, 3, locale_, true));
            details += QStringLiteral(
                           "\nGPS %1, N31 %2, N2_HS %3, N2_LS %4, N1_HS %5, NC1_LS %6, NC2_LS %6")
                           .arg(p.reference)
                           .arg(p.n31)
                           .arg(p.n2hs)
                           .arg(p.n2ls)
                           .arg(p.n1hs)
                           .arg(p.nc);
            choices << QStringLiteral("Fill in the closest setting");
            actions.emplace_back([this, s] {
                const double made =
                    static_cast<double>(s.out1.numerator) / static_cast<double>(s.out1.denominator);
                Out1Freq->setText(numberText(made));
                showFoundSetting(s.plan, made);
            });
        }
        if (!choices.isEmpty()) {
            details += QStringLiteral(
                "\n\nA nearest frequency is searched and programmed at once. The closest setting "
                "only fills the boxes: press Update to program it.");
        }
    }

    // showSearchFailure sets the failure's state and first line; its warning becomes the
    // question. Nobody is left to answer one when the window was closed meanwhile.
    struct Question {
        ChoiceBox ask;
        QString details;
        QStringList choices;
        int answer = -1;
    } question{offer.cancelled ? ChoiceBox{} : askChoice_, details, choices};
    WarningBox plain = std::exchange(
        showWarning_, [q = &question](QWidget& parent, const QString& title, const QString& text) {
            if (q->ask)
                q->answer = q->ask(parent, title, text + q->details, q->choices);
        });
    {
        const auto restore = qScopeGuard([&] {
            if (alive)
                showWarning_ = std::move(plain);
        });
        showSearchFailure(end);
    }
    if (alive && question.answer >= 0 && question.answer < static_cast<int>(actions.size()))
        actions[static_cast<std::size_t>(question.answer)]();
}

frmMain::ChoiceBox frmMain::defaultChoiceBox(const WarningBox& injectedWarning) {
    if (injectedWarning) {
        return [injectedWarning](QWidget& parent, const QString& title, const QString& text,
                                 const QStringList&) {
            injectedWarning(parent, title, text);
            return -1;
        };
    }
    return
        [](QWidget& parent, const QString& title, const QString& text, const QStringList& choices) {
            QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::NoButton, &parent);
            std::vector<QAbstractButton*> buttons;
            for (const QString& choice : choices)
                buttons.push_back(box.addButton(choice, QMessageBox::AcceptRole));
            // Enter and Escape take no choice: programming a clock needs a deliberate click.
            QPushButton* close =
                box.addButton(choices.isEmpty() ? QMessageBox::Ok : QMessageBox::Close);
            box.setDefaultButton(close);
            box.setEscapeButton(close);
            box.exec();
            const auto taken = std::find(buttons.begin(), buttons.end(), box.clickedButton());
            return taken == buttons.end() ? -1 : static_cast<int>(taken - buttons.begin());
        };
}

}  // namespace tarnwell
