#include <QEvent>
#include <QFont>
#include <QGroupBox>
#include <QPalette>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

#include "WindowFixture.h"
#include "sim/ForwardingBackend.h"
#include "window/Twips.h"

namespace tarnwell::testing {
namespace {

using InventoryTest = WindowFixture;

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// Notes how often the window was painted whenever it looks for clocks.
class PaintsAtEnumeration : public ForwardingBackend {
public:
    using ForwardingBackend::ForwardingBackend;
    PaintCounter counter;
    std::vector<int> paintsSeen;
    std::vector<HidDeviceInfo> enumerate(std::uint16_t vendorId, std::uint16_t productId) override {
        paintsSeen.push_back(counter.paints);
        return ForwardingBackend::enumerate(vendorId, productId);
    }

protected:
    std::unique_ptr<HidDevice> wrap(const std::string&,
                                    std::unique_ptr<HidDevice> device) override {
        return device;
    }
};

struct Control {
    const char* name;
    const char* kind;
    const char* caption;
};

// Top to bottom as on screen; controls sharing a row are listed left to right.
constexpr Control kInventory[] = {
    {"Label3", "QLabel", "Serial Number"},
    {"SerNo", "QComboBox", ""},
    {"Label4", "QLabel", "Manufacturer"},
    {"lblManuf", "QLabel", ""},
    {"Label5", "QLabel", "Product"},
    {"lblProduct", "QLabel", ""},
    {"Label2", "QLabel", "Firmware Version"},
    {"lblVersion", "QLabel", ""},
    {"Label17", "QLabel", "Software Version"},
    {"lblSoftware", "QLabel", ""},
    {"OUT1EN", "QCheckBox", "Enable Output 1"},
    {"OUT1ID", "QPushButton", "Identify Output 1"},
    {"OUT2EN", "QCheckBox", "Enable Output 2"},
    {"OUT2ID", "QPushButton", "Identify Output 2"},
    {"Enc1", "QComboBox", ""},
    {"Label22", "QLabel", "Output drive strength"},
    {"Out1Freq", "QLineEdit", ""},
    {"Label1", "QLabel", "Output 1, Hz"},
    {"Label13", "QLabel", ""},
    {"OUT2", "QComboBox", ""},
    {"Label6", "QLabel", "Output 2, Hz"},
    {"FindFreq", "QPushButton", "Find"},
    {"SetFreq", "QPushButton", "Update"},
    {"Sleep_cmd", "QPushButton", "Sleep"},
    {"Line1", "QFrame", ""},
    {"GPS", "QLineEdit", ""},
    {"Label23", "QLabel", "GPS reference, Hz"},
    {"N31", "QLineEdit", ""},
    {"Label24", "QLabel", "N31"},
    {"N2_HS", "QLineEdit", ""},
    {"Label7", "QLabel", "N2_HS"},
    {"N2_LS", "QLineEdit", ""},
    {"Label8", "QLabel", "N2_LS"},
    {"N1_HS", "QLineEdit", ""},
    {"Label9", "QLabel", "N1_HS"},
    {"NC1_LS", "QLineEdit", ""},
    {"Label10", "QLabel", "NC1_LS"},
    {"NC2_LS", "QLineEdit", ""},
    {"Label11", "QLabel", "NC2_LS"},
    {"Line2", "QFrame", ""},
    {"PhaseBox", "QComboBox", ""},
    {"Label12", "QLabel", "Phase shift, degrees"},
    {"BW", "QLineEdit", ""},
    {"Label15", "QLabel", "BW"},
    {"F3lbl", "QLabel", ""},
    {"Fosclbl", "QLabel", ""},
    {"LOS", "QLabel", "No GPS signal"},
    {"Label16", "QLabel", ""},
    {"LOL", "QLabel", "No PLL lock"},
    {"REG", "QLineEdit", ""},
    {"DATA", "QLineEdit", ""},
    {"WriteRegister", "QPushButton", "Register write"},
};

TEST_F(InventoryTest, EveryControlHasItsNameKindCaptionFontAndPlace) {
    EXPECT_EQ(window().windowTitle(), "Tarnwell");
    const double dpi = window().logicalDpiY();
    // 4830 x 11145 twips at 96 DPI, 15 twips to the pixel.
    ASSERT_EQ(window().logicalDpiX(), 96);
    ASSERT_EQ(dpi, 96);
    EXPECT_EQ(window().size(), QSize(322, 743));
    QRect previous;
    for (const Control& c : kInventory) {
        QWidget* widget = control(c.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_STREQ(widget->metaObject()->className(), c.kind) << c.name;
        EXPECT_EQ(text(c.name), c.caption) << c.name;
        const QFont font = widget->font();
        const bool warning = c.caption == std::string_view("No GPS signal") ||
                             c.caption == std::string_view("No PLL lock");
        EXPECT_EQ(font.family(), warning ? "Arial Black" : "Arial") << c.name;
        EXPECT_EQ(font.pointSizeF(), 9.75) << c.name;
        // Below the previous control, or beside it on the same row.
        const QRect place(widget->mapTo(&window(), QPoint(0, 0)), widget->size());
        const bool besidePrevious =
            place.intersects(previous.adjusted(0, 0, 10000, 0)) && place.left() > previous.right();
        EXPECT_TRUE(place.top() > previous.bottom() || besidePrevious) << c.name;
        previous = place;
    }
    EXPECT_EQ(control("LOL")->font().weight(), QFont::Black);
    EXPECT_EQ(control("LOS")->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_TRUE(control("lblManuf")->autoFillBackground());
    EXPECT_GE(control("REG")->y(), twipsToPixels(12600, dpi) - 1);
    EXPECT_GT(control("REG")->y(), window().height());

    // The pager sits stacked at the right end of the OUT2 row.
    const QRect out2(control("OUT2")->mapTo(&window(), QPoint(0, 0)), control("OUT2")->size());
    EXPECT_EQ(control("BtnPrev")->geometry().bottom() + 1, control("BtnNxt")->y());
    EXPECT_GT(control("BtnNxt")->x(), out2.right());
    EXPECT_TRUE(control("BtnPrev")->geometry().bottom() >= out2.top() &&
                control("BtnNxt")->geometry().top() <= out2.bottom());
}

TEST_F(InventoryTest, InitialStates) {
    for (const char* name : {"Frame1", "SerNo", "Enc1", "OUT2", "PhaseBox"}) {
        EXPECT_FALSE(enabled(name)) << name;
    }
    EXPECT_TRUE(enabled("Frame3") && enabled("OUT1ID") && enabled("WriteRegister"));
    EXPECT_FALSE(shown("BtnPrev") || shown("BtnNxt"));
    EXPECT_TRUE(shown("LOS") && shown("LOL"));
    EXPECT_EQ(window().findChild<QGroupBox*>("Frame1")->title(), "Device details");
    EXPECT_EQ(window().findChild<QGroupBox*>("Frame3")->title(), "Settings");
    EXPECT_EQ(control("OUT2")->parent(), control("Frame3"));
    EXPECT_EQ(control("BtnNxt")->parent(), &window());
    auto* timer = window().findChild<QTimer*>("Timer");
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(timer->interval(), 50);
}

TEST_F(InventoryTest, IsPaintedBeforeItLooksForAClock) {
    addClock(u"A");
    PaintsAtEnumeration watching(backend);
    frmMain shown(
        watching, [](std::chrono::milliseconds) {},
        [](QWidget&, const QString&, const QString&) {});
    shown.installEventFilter(&watching.counter);
    shown.Form_Load();
    ASSERT_FALSE(watching.paintsSeen.empty());
    EXPECT_GT(watching.paintsSeen.front(), 0);
}

}  // namespace
}  // namespace tarnwell::testing
