#include <QLineEdit>
#include <QPushButton>

#include "CommandLog.h"
#include "WindowFixture.h"
#include "common/NumberText.h"

namespace tarnwell::testing {
namespace {

constexpr double kOut1 = 1000;

// Lists as a search leaves them for output 1 = 1000 Hz and NC1_LS = NC2_LS = nc, too long for one
// list when nc > 65402. No search lands on a chosen nc, so the list is built directly.
class Output2PagingTest : public WindowFixture {
protected:
    void showSearchList(int nc) {
        nc_ = nc;
        start();
        control<QLineEdit>("NC1_LS")->setText(QString::number(nc));
        control<QLineEdit>("NC2_LS")->setText(QString::number(nc));
        window().ShowOut2Choices(kOut1, nc);
    }
    // The text of value i of the whole list: output 1 x nc / (2i + 2).
    QString value(int index) const {
        return QString::fromStdString(formatNumber(kOut1 * nc_ / (2.0 * index + 2)));
    }
    QStringList values(int first, int last) const {
        QStringList texts;
        for (int i = first; i <= last; ++i)
            texts << value(i);
        return texts;
    }
    QString buttons() {
        return QString(shown("BtnPrev") ? "<--" : "") + (shown("BtnNxt") ? "-->" : "");
    }
    void pick(int position) { control<QComboBox>("OUT2")->setCurrentIndex(position); }
    // The entry selected stands for the divider NC2_LS holds.
    void expectSelectionMatchesNc2() {
        EXPECT_EQ(text("OUT2"),
                  QString::fromStdString(formatNumber(kOut1 * nc_ / text("NC2_LS").toDouble())))
            << "NC2_LS " << text("NC2_LS").toStdString();
    }
    void next() { control<QPushButton>("BtnNxt")->click(); }
    void previous() { control<QPushButton>("BtnPrev")->click(); }

private:
    int nc_ = 0;
};

TEST_F(Output2PagingTest, ListThatFitsIsShownWhole) {
    showSearchList(65402);
    EXPECT_EQ(items("OUT2").size(), 32701);
    EXPECT_EQ(text("OUT2"), "1000");
    EXPECT_EQ(buttons(), "");
}

TEST_F(Output2PagingTest, TwoPagesWithAShortLastPage) {
    showSearchList(65404);  // k = 32701
    // Output 1 is on the last page: selecting it keeps NC2_LS equal to NC1_LS.
    EXPECT_EQ(items("OUT2"), values(32699, 32701));
    EXPECT_EQ(text("OUT2"), "1000");
    EXPECT_EQ(text("NC2_LS"), "65404");
    EXPECT_EQ(buttons(), "<--");

    previous();
    EXPECT_EQ(items("OUT2"), values(0, 32700));
    EXPECT_EQ(buttons(), "-->");
    EXPECT_EQ(text("NC2_LS"), "65402");  // beyond the page: its last entry
    pick(0);
    EXPECT_EQ(text("NC2_LS"), "2");
    pick(5);
    EXPECT_EQ(text("NC2_LS"), "12");

    next();
    EXPECT_EQ(buttons(), "<--");
    EXPECT_EQ(text("NC2_LS"), "65400");  // before the page: its first entry
    expectSelectionMatchesNc2();
    pick(1);
    EXPECT_EQ(text("NC2_LS"), "65402");
    expectSelectionMatchesNc2();
}

TEST_F(Output2PagingTest, TwoPagesWithALongLastPage) {
    showSearchList(130802);  // k = 65400: 2.5 pages round to 2
    EXPECT_EQ(items("OUT2").size(), 32702);
    EXPECT_EQ(items("OUT2").first(), value(32699));
    EXPECT_EQ(text("OUT2"), "1000");
    EXPECT_EQ(buttons(), "<--");

    previous();
    EXPECT_EQ(text("NC2_LS"), "65402");
    const QString boundary = text("OUT2");
    next();
    // The pages share their boundary value, and the selection stays on it.
    EXPECT_EQ(control<QComboBox>("OUT2")->currentIndex(), 1);
    EXPECT_EQ(text("OUT2"), boundary);
    EXPECT_EQ(text("NC2_LS"), "65402");
    pick(32701);
    EXPECT_EQ(text("NC2_LS"), "130802");
}

TEST_F(Output2PagingTest, FourPagesFromMiddleToBothEnds) {
    showSearchList(196202);  // k = 98100: 3.5 pages round to 4
    // The earliest page holding output 1 is the third.
    EXPECT_EQ(items("OUT2").size(), 32701);
    EXPECT_EQ(items("OUT2").first(), value(65400));
    EXPECT_EQ(text("OUT2"), "1000");
    EXPECT_EQ(buttons(), "<---->");

    next();
    EXPECT_EQ(items("OUT2"), values(98099, 98100));
    EXPECT_EQ(text("NC2_LS"), "196202");
    EXPECT_EQ(buttons(), "<--");
    pick(0);
    EXPECT_EQ(text("NC2_LS"), "196200");
    next();  // hidden on the last page, and a click there does nothing
    EXPECT_EQ(items("OUT2").size(), 2);

    const QStringList expectedNc2{"196200", "130802", "65402"};
    const QStringList expectedButtons{"<---->", "<---->", "-->"};
    for (int step = 0; step < 3; ++step) {
        previous();
        EXPECT_EQ(text("NC2_LS"), expectedNc2[step]) << step;
        EXPECT_EQ(buttons(), expectedButtons[step]) << step;
        expectSelectionMatchesNc2();
    }
    EXPECT_EQ(items("OUT2").first(), value(0));
    pick(100);
    EXPECT_EQ(text("NC2_LS"), "202");
}

TEST_F(Output2PagingTest, PagedSearchProgramsOutput2EqualToOutput1) {
    VirtualClock& clock = addClock(u"A");
    start();
    find("1000");
    ASSERT_EQ(text("NC1_LS"), "440910");
    EXPECT_EQ(text("NC2_LS"), "440910");
    EXPECT_EQ(text("OUT2"), "1000");
    EXPECT_EQ(buttons(), "<--");
    EXPECT_TRUE(enabled("PhaseBox"));
    const std::vector<ReportBytes> sent = reportsOf(clock, CommandCode::CmdSetFrequency);
    ASSERT_EQ(sent.size(), 2u);
    for (const ReportBytes& report : sent) {
        EXPECT_EQ(ReportBytes(report.begin() + 13, report.begin() + 16),
                  ReportBytes(report.begin() + 16, report.begin() + 19));
    }
}

}  // namespace
}  // namespace tarnwell::testing
