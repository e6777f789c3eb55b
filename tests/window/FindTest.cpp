#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <memory>

#include "CommandLog.h"
#include "WindowFixture.h"

namespace tarnwell::testing {
namespace {

using namespace std::chrono_literals;

class FindTest : public WindowFixture {
protected:
    // Runs once inside the search, where it lets the window's events through.
    void duringTheSearch(std::function<void()> hook) {
        window().setSearchYieldInterval(0ms);
        QTimer::singleShot(0, &window(), std::move(hook));
    }
    QStringList settingBoxes() {
        return {text("GPS"),   text("N31"),    text("N2_HS"),  text("N2_LS"),
                text("N1_HS"), text("NC1_LS"), text("NC2_LS"), text("BW")};
    }
    std::vector<ReportBytes> programmed(const VirtualClock& clock) {
        return reportsOf(clock, CommandCode::CmdSetFrequency);
    }
};

TEST_F(FindTest, TenMegahertzIsFoundProgrammedTwiceAndReadBackAfterReconnecting) {
    VirtualClock& clock = addClock(u"A3-0001");  // second character 3: the narrow bandwidth
    start();
    find("10000000");

    const QStringList found{"4687500", "5", "11", "512", "11", "48", "48", "6"};
    EXPECT_EQ(settingBoxes(), found);
    const QStringList out2 = items("OUT2");
    ASSERT_EQ(out2.size(), 24);
    EXPECT_EQ(out2.mid(0, 3), (QStringList{"240000000", "120000000", "80000000"}));
    EXPECT_EQ(out2.last(), "10000000");
    EXPECT_EQ(control<QComboBox>("OUT2")->currentIndex(), 23);
    EXPECT_TRUE(enabled("OUT2"));
    EXPECT_FALSE(shown("BtnNxt") || shown("BtnPrev"));
    EXPECT_EQ(items("PhaseBox").size(), 48);
    EXPECT_TRUE(enabled("PhaseBox"));
    EXPECT_EQ(text("F3lbl"), "F3 = 937500 Hz ");
    EXPECT_EQ(text("Fosclbl"), "Fosc = 5.28 GHz ");
    EXPECT_EQ(text("Out1Freq"), "10000000");
    EXPECT_EQ(text("SetFreq"), "Update");
    EXPECT_TRUE(enabled("SetFreq"));
    EXPECT_EQ(text("Label13"), "");

    const ReportBytes sent = commandReport(
        CommandCode::CmdSetFrequency, {0x8C, 0x86, 0x47, 0x04, 0x00, 0x00, 0x07, 0xFF, 0x01, 0x00,
                                       0x07, 0x2F, 0x00, 0x00, 0x2F, 0x00, 0x00, 0x00, 0x06});
    EXPECT_EQ(programmed(clock), (std::vector{sent, sent}));
    EXPECT_EQ(clock.receivedReports().size(), 2u);

    clock.unplug();
    tick();
    clock.plugIn();
    tick();
    ASSERT_TRUE(window().configLoaded());
    EXPECT_EQ(settingBoxes(), found);
    EXPECT_EQ(text("Out1Freq"), "10000000");
}

TEST_F(FindTest, TwentyFiveMegahertzWithTheWideBandwidth) {
    VirtualClock& clock = addClock(u"A2-0001");
    start();
    find("25000000");
    EXPECT_EQ(settingBoxes(), (QStringList{"4687500", "5", "11", "480", "11", "18", "18", "15"}));
    EXPECT_EQ(items("OUT2").size(), 9);
    EXPECT_EQ(text("OUT2"), "25000000");
    const ReportBytes sent = commandReport(
        CommandCode::CmdSetFrequency, {0x8C, 0x86, 0x47, 0x04, 0x00, 0x00, 0x07, 0xDF, 0x01, 0x00,
                                       0x07, 0x11, 0x00, 0x00, 0x11, 0x00, 0x00, 0x00, 0x0F});
    EXPECT_EQ(programmed(clock), (std::vector{sent, sent}));
}

TEST_F(FindTest, NoSolutionWarnsAndSendsNothing) {
    VirtualClock& clock = addClock(u"A");
    start();
    // In the dividers' reach but without an exact setting; out of their reach at either end.
    for (const char* wanted : {"1234567.891", "123", "364", "812500001", "1E300"}) {
        questions.clear();
        find(wanted);
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_EQ(questions[0].text.section('\n', 0, 0),
                  "Not found: Failed to find settings for " + QString(wanted) + " Hz");
        EXPECT_EQ(text("Label13"), "Not Found");
        EXPECT_EQ(text("SetFreq"), "Update");
        EXPECT_FALSE(enabled("SetFreq"));
        EXPECT_FALSE(window().searchRunning());
        // Where the loops would have ended: N1_HS 4, and the last NC loop's end with N2_HS 4
        // (1234567.891 Hz); the others run no NC loop and leave those as they were.
        EXPECT_EQ((QStringList{text("N1_HS"), text("NC1_LS"), text("NC2_LS"), text("N2_HS")}),
                  (QStringList{"4", "1316", "1316", "4"}))
            << wanted;
    }
    EXPECT_TRUE(clock.receivedReports().empty());
}

TEST_F(FindTest, BadOutput1TextIsExplainedAndNothingChanges) {
    VirtualClock& clock = addClock(u"A");
    // The hint's numbers are written as the person's locale groups them.
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    start();
    QLocale::setDefault(saved);
    const QStringList before = settingBoxes() << items("OUT2") << items("PhaseBox");
    for (const char* bad : {"", "ten", "0", "-10000000", "0.5", "1E-300"}) {
        warnings.clear();
        find(bad);
        EXPECT_EQ(warnings,
                  std::vector<QString>{"Find: Type the output 1 frequency in Hz, a number of at "
                                       "least 1, for example 10.000.000. The clock reaches 365 "
                                       "to 812.500.000 Hz."})
            << bad;
        EXPECT_EQ(settingBoxes() << items("OUT2") << items("PhaseBox"), before) << bad;
        EXPECT_EQ(text("SetFreq"), "Update");
        EXPECT_TRUE(enabled("SetFreq"));
        EXPECT_EQ(text("Label13"), "");
    }
    EXPECT_TRUE(clock.receivedReports().empty());

    // Both ends of the reach the message names can be found.
    warnings.clear();
    for (const char* edge : {"365", "812500000"})
        find(edge);
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(programmed(clock).size(), 4u);
}

TEST_F(FindTest, ShowsItsLoopValuesAndIgnoresFindAndUpdateWhileSearching) {
    VirtualClock& clock = addClock(u"A");
    start();
    QStringList seen;
    duringTheSearch([&] {
        seen << text("SetFreq") << QString::number(enabled("SetFreq")) << text("N1_HS")
             << text("NC1_LS") << text("NC2_LS") << text("N2_HS") << text("GPS");
        control<QLineEdit>("Out1Freq")->setText("25000000");
        window().FindFreq_Click();
        window().SetFreq_Click();
        tick();
    });
    find("10000000");
    // GPS still holds what the clock had; the loop values are those of the setting found.
    EXPECT_EQ(seen, (QStringList{"Searching", "0", "11", "48", "48", "11", "10000000"}));
    ASSERT_EQ(programmed(clock).size(), 2u);
    EXPECT_EQ(text("NC1_LS"), "48");  // the 10 MHz setting, not one for the text typed meanwhile
    EXPECT_EQ(text("SetFreq"), "Update");
    EXPECT_TRUE(enabled("SetFreq"));
}

TEST_F(FindTest, UnplugDuringTheSearchSkipsProgramming) {
    VirtualClock& clock = addClock(u"A");
    start();
    duringTheSearch([&] {
        clock.unplug();
        tick();
    });
    find("10000000");
    EXPECT_FALSE(window().commandGateOpen());
    EXPECT_TRUE(clock.receivedReports().empty());

    clock.plugIn();
    tick();
    EXPECT_EQ(text("Out1Freq"), "10246800");  // the clock kept its setting
}

TEST_F(FindTest, ClosingTheWindowDuringTheSearchAbandonsIt) {
    VirtualClock& clock = addClock(u"A");
    start();
    duringTheSearch([&] { window().close(); });
    find("10000000");
    EXPECT_EQ(text("GPS"), "10000000");  // nothing of the setting found was shown
    EXPECT_EQ(items("OUT2").size(), 100);
    EXPECT_EQ(text("SetFreq"), "Update");
    EXPECT_FALSE(window().searchRunning());
    EXPECT_TRUE(clock.receivedReports().empty());
}

TEST_F(FindTest, DestroyingTheWindowDuringTheSearchIsSafe) {
    VirtualClock& clock = addClock(u"A");
    auto* doomed = new frmMain(
        backend, [](std::chrono::milliseconds) {}, [](QWidget&, const QString&, const QString&) {});
    doomed->Form_Load();
    doomed->findChild<QLineEdit*>("Out1Freq")->setText("10000000");
    doomed->setSearchYieldInterval(0ms);
    QTimer::singleShot(0, [&doomed] {
        delete doomed;
        doomed = nullptr;
    });
    doomed->findChild<QPushButton*>("FindFreq")->click();
    EXPECT_EQ(doomed, nullptr);
    EXPECT_TRUE(clock.receivedReports().empty());
}

}  // namespace
}  // namespace tarnwell::testing
