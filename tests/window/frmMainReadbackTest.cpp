#include <QCheckBox>
#include <QLocale>

#include <functional>

#include "WindowFixture.h"

namespace tarnwell::testing {
namespace {

class ReadbackTest : public WindowFixture {
protected:
    // Programs the open clock behind the window's back and reads it again.
    void reread(const PllBoxValues& pll) {
        clock().state().pllSettings = encodePllSettings(pll).bytes;
        window().ReadDeviceConfig();
    }
    VirtualClock& clock() { return *backend.clocks().front(); }
};

TEST_F(ReadbackTest, FillsTheWindowWithoutSendingAnything) {
    VirtualClock& clock = addClock(u"A");
    clock.state().driveStrength = 2;
    start();
    EXPECT_EQ(text("lblManuf"), " Tarnwell Labs");
    EXPECT_EQ(text("lblProduct"), " Virtual GPS Clock");
    EXPECT_EQ(text("lblVersion"), " 1.12");
    EXPECT_TRUE(control<QCheckBox>("OUT1EN")->isChecked() &&
                control<QCheckBox>("OUT2EN")->isChecked());
    EXPECT_EQ(items("Enc1"), (QStringList{"8mA", "16mA", "24mA", "32mA"}));
    EXPECT_EQ(text("Enc1"), "24mA");
    const QStringList boxes{text("GPS"),   text("N31"),    text("N2_HS"),  text("N2_LS"),
                            text("N1_HS"), text("NC1_LS"), text("NC2_LS"), text("BW")};
    EXPECT_EQ(boxes, (QStringList{"10000000", "1000", "10", "51234", "5", "100", "200", "3"}));
    EXPECT_EQ(text("Out1Freq"), "10246800");
    EXPECT_EQ(text("F3lbl"), "F3 = 10000 Hz ");
    EXPECT_EQ(text("Fosclbl"), "Fosc = 5.1234 GHz ");
    EXPECT_EQ(items("OUT2").size(), 100);
    EXPECT_EQ(text("OUT2"), "5123400");
    EXPECT_EQ(items("PhaseBox").size(), 100);
    EXPECT_FALSE(enabled("PhaseBox"));  // output 2 differs from output 1
    EXPECT_TRUE(enabled("OUT2") && enabled("Frame1") && enabled("Frame3"));
    EXPECT_TRUE(window().commandGateOpen());
    EXPECT_TRUE(clock.receivedReports().empty());
}

TEST_F(ReadbackTest, DriveEnablesAndIdentityAsTheClockGivesThem) {
    VirtualClockDescription described;
    described.manufacturer = std::u16string(u"AB\0C", 4);
    described.product.reset();
    described.releaseNumber = 0x011F;
    VirtualClock& clock = backend.addClock(described);
    clock.state().driveStrength = 7;
    clock.state().outputEnables = 0xFE;
    start();
    EXPECT_EQ(text("Enc1"), "32mA");
    EXPECT_FALSE(control<QCheckBox>("OUT1EN")->isChecked());
    EXPECT_TRUE(control<QCheckBox>("OUT2EN")->isChecked());
    EXPECT_EQ(text("lblManuf"), " AB");
    EXPECT_EQ(text("lblProduct"), "");
    EXPECT_EQ(text("lblVersion"), " 1.1F");

    clock.failNext(VirtualFault::StringQuery);  // the manufacturer, and with it the version
    window().ReadDeviceConfig();
    EXPECT_EQ(text("lblManuf") + text("lblVersion"), "");
    EXPECT_TRUE(enabled("Frame3"));
}

TEST_F(ReadbackTest, Output2ListFollowsNc2AndShowsItsEvenDivider) {
    addClock(u"A");
    start();
    reread({10000000, 1, 4, 1, 4, 1, 1, 0, 0});  // every divider byte zero
    EXPECT_EQ(text("N31") + text("N2_HS") + text("N2_LS") + text("N1_HS") + text("NC1_LS"),
              "14141");
    EXPECT_EQ(items("OUT2").size(), 1);
    EXPECT_EQ(text("NC2_LS"), "2");

    for (const auto& [nc2, shown] : {std::pair{3, "2"}, {5, "6"}, {7, "6"}, {9, "10"}}) {
        reread({10000000, 1, 4, 2, 4, 2, double(nc2), 0, 0});
        EXPECT_EQ(text("NC2_LS"), shown) << nc2;
    }

    reread({10000000, 1, 4, 2, 4, 2, 70001, 0, 0});
    EXPECT_EQ(items("OUT2").size(), 32701);
    EXPECT_EQ(control<QComboBox>("OUT2")->currentIndex(), 32700);
    EXPECT_EQ(text("NC2_LS"), "65402");
}

TEST_F(ReadbackTest, ReadoutsAndThePhaseEntryComeLast) {
    addClock(u"A");
    start();
    reread({10000000, 1, 10, 48, 8, 6, 6, 4, 0});
    EXPECT_EQ(text("Out1Freq"), "100000000");
    EXPECT_EQ(text("F3lbl"), "F3 = 10000000 Hz ");
    EXPECT_EQ(text("Fosclbl"), "Fosc = 4.8 GHz ");
    EXPECT_EQ(text("OUT2"), "100000000");
    EXPECT_TRUE(enabled("PhaseBox"));
    EXPECT_EQ(control<QComboBox>("PhaseBox")->currentIndex(), 4);

    reread({10000000, 3, 10, 48, 8, 6, 6, 6, 0});  // phase byte beyond the six entries
    EXPECT_EQ(text("F3lbl"), "F3 = 3333333 Hz ");
    EXPECT_EQ(control<QComboBox>("PhaseBox")->currentIndex(), 0);
}

TEST_F(ReadbackTest, AFailedOrShortReportLeavesControlsEnabledAndEmpty) {
    VirtualClock& clock = addClock(u"A");
    start();
    const QStringList kept{text("OUT2"), text("BW"), text("F3lbl"), text("Fosclbl")};
    const std::function<void()> breakNextRead[] = {
        [&] { clock.failNext(VirtualFault::GetFeature); },
        [&] { clock.shortenNextConfigurationReport(21); }};
    for (const auto& breakRead : breakNextRead) {
        breakRead();
        window().ReadDeviceConfig();
        EXPECT_EQ(text("lblManuf"), " Tarnwell Labs");
        EXPECT_TRUE(enabled("Out1Freq") && enabled("FindFreq") && enabled("Frame3"));
        EXPECT_EQ(text("GPS") + text("NC2_LS") + text("Out1Freq"), "");
        EXPECT_FALSE(control<QCheckBox>("OUT1EN")->isChecked());
        EXPECT_TRUE(items("PhaseBox").isEmpty());
        EXPECT_FALSE(enabled("PhaseBox"));
        EXPECT_EQ((QStringList{text("OUT2"), text("BW"), text("F3lbl"), text("Fosclbl")}), kept);
        EXPECT_TRUE(window().commandGateOpen());
    }
}

TEST_F(ReadbackTest, CommaLocaleWritesWhatItReads) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const PllBoxValues pll{10000000, 6, 4, 46, 4, 2, 2, 0, 0};
    addClock(u"A", &pll);
    start();
    QLocale::setDefault(saved);
    EXPECT_EQ(text("Out1Freq"), "38333333,3333333");
    EXPECT_EQ(text("OUT2"), "38333333,3333333");
    EXPECT_TRUE(enabled("PhaseBox"));
}

}  // namespace
}  // namespace tarnwell::testing
