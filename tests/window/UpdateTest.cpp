#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include "CommandLog.h"
#include "WindowFixture.h"

namespace tarnwell::testing {
namespace {

// The virtual clock starts with GPS 10000000, N31 1000, N2_HS 10, N2_LS 51234, N1_HS 5,
// NC1_LS 100, NC2_LS 200, phase 0 and BW 3.
class UpdateTest : public WindowFixture {
protected:
    VirtualClock& startWithClock() {
        VirtualClock& clock = addClock(u"A");
        start();
        return clock;
    }
    void type(const char* box, const QString& text) { control<QLineEdit>(box)->setText(text); }
    void update() { control<QPushButton>("SetFreq")->click(); }
    std::vector<ReportBytes> programmed(const VirtualClock& clock) {
        return reportsOf(clock, CommandCode::CmdSetFrequency);
    }
};

TEST_F(UpdateTest, SendsTheSettingTwiceAndShowsWhatItGives) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    VirtualClock& clock = startWithClock();
    QLocale::setDefault(saved);
    update();
    const ReportBytes sent = commandReport(
        CommandCode::CmdSetFrequency, {0x80, 0x96, 0x98, 0xE7, 0x03, 0x00, 0x06, 0x21, 0xC8, 0x00,
                                       0x01, 0x63, 0x00, 0x00, 0xC7, 0x00, 0x00, 0x00, 0x03});
    EXPECT_EQ(programmed(clock), (std::vector{sent, sent}));
    EXPECT_EQ(text("Out1Freq"), "10246800");
    EXPECT_EQ(text("F3lbl"), "F3 = 10000 Hz ");
    EXPECT_EQ(text("Fosclbl"), "Fosc = 5.1234 GHz ");

    // The locale's digit grouping, typed by hand, is the same number.
    type("N2_LS", "51,234");
    type("GPS", "10,000,000");
    update();
    EXPECT_EQ(programmed(clock), (std::vector{sent, sent, sent, sent}));
    EXPECT_EQ(text("N2_LS"), "51234");  // the even rule writes the general form back

    // Hand-typed fractions go out rounded, and the readouts tell what went out.
    type("N31", "1000.5");
    type("N1_HS", "5.5");
    update();
    ReportBytes rounded = sent;
    rounded.at(5) = 0xE8;   // N31 1001
    rounded.at(12) = 0x02;  // N1_HS 6
    EXPECT_EQ(programmed(clock).back(), rounded);
    EXPECT_EQ(text("Out1Freq"), "8530469.53046953");
    EXPECT_EQ(text("F3lbl"), "F3 = 9990 Hz ");
    EXPECT_EQ(text("Fosclbl"), "Fosc = 5.1182 GHz ");
}

TEST_F(UpdateTest, SecondCopyCarriesThePhaseEntryTheRecomputedOutput1Leaves) {
    VirtualClock& clock = startWithClock();
    auto* phase = control<QComboBox>("PhaseBox");
    phase->setCurrentIndex(7);
    update();  // output 1 reads the same afterwards: the phase entry stays
    type("Out1Freq", "1E7");
    phase->setCurrentIndex(7);
    update();  // output 1 is rewritten, which rebuilds the phase list
    std::vector<int> phases;
    for (const ReportBytes& report : programmed(clock))
        phases.push_back(report.at(19));
    EXPECT_EQ(phases, (std::vector{7, 7, 7, 0}));
    EXPECT_EQ(text("Out1Freq"), "10246800");
}

TEST_F(UpdateTest, ClampsTheBoxesBeforeSending) {
    VirtualClock& clock = startWithClock();
    type("GPS", "");
    type("N31", "three");
    type("N2_HS", "3");
    type("N2_LS", "481");
    type("N1_HS", "12");
    type("NC1_LS", "2000000");
    type("NC2_LS", "47");
    update();
    EXPECT_EQ(QStringList({text("GPS"), text("N31"), text("N2_HS"), text("N2_LS"), text("N1_HS"),
                           text("NC1_LS"), text("NC2_LS")}),
              (QStringList{"2875000", "3", "4", "480", "11", "1048576", "46"}));
    const ReportBytes sent = commandReport(
        CommandCode::CmdSetFrequency, {0x78, 0xDE, 0x2B, 0x02, 0x00, 0x00, 0x00, 0xDF, 0x01, 0x00,
                                       0x07, 0xFF, 0xFF, 0x0F, 0x2D, 0x00, 0x00, 0x00, 0x03});
    EXPECT_EQ(programmed(clock), (std::vector{sent, sent}));
    EXPECT_EQ(items("PhaseBox").size(), 256);  // rebuilt for the clamped NC1_LS
}

TEST_F(UpdateTest, RefusesWhatCannotBeSentAndSaysWhy) {
    VirtualClock& clock = startWithClock();
    const auto refusal = [&](const char* box, const char* typed) {
        const QString before = text(box);
        warnings.clear();
        type(box, typed);
        update();
        type(box, before);
        return warnings.size() == 1 ? warnings.front()
                                    : QString("%1 warnings").arg(warnings.size());
    };
    const QString bwRefusal = "Update: BW must be a number from 0 to 255.";
    EXPECT_EQ(refusal("BW", "wide"), bwRefusal);
    EXPECT_EQ(refusal("BW", "256"), bwRefusal);
    EXPECT_EQ(refusal("BW", "-0.6"), bwRefusal);
    EXPECT_TRUE(clock.receivedReports().empty());
    EXPECT_EQ(text("Out1Freq"), "10246800");

    type("BW", "255.4");
    update();
    ASSERT_EQ(programmed(clock).size(), 2u);
    EXPECT_EQ(programmed(clock).back().at(20), 255);

    // A phase list left empty by a box that did not hold a number.
    warnings.clear();
    type("NC1_LS", "none");
    type("Out1Freq", "1");
    ASSERT_TRUE(items("PhaseBox").isEmpty());
    update();
    EXPECT_EQ(warnings, std::vector<QString>{
                            "Update: Pick a phase shift first; Find fills an empty phase list."});
    EXPECT_EQ(programmed(clock).size(), 2u);
}

}  // namespace
}  // namespace tarnwell::testing
