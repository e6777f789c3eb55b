#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <utility>

#include "window/Twips.h"
#include "window/frmMain.h"

namespace tarnwell {

namespace {

// Client area at the design size; the window can be enlarged, which is how a user reaches the
// register-write row below the bottom edge.
constexpr int kClientWidth = 4830;
constexpr int kClientHeight = 11145;

constexpr int kFrameLeft = 120;
constexpr int kFrameWidth = 4590;
constexpr int kInnerLeft = 120;
constexpr int kInnerWidth = 4350;
constexpr int kFirstRowTop = 300;  // below the group's caption

constexpr int kFieldHeight = 315;
constexpr int kButtonHeight = 375;

// Device details: caption on the left, value on the right, one row each.
constexpr int kDetailsTop = 60;
constexpr int kDetailsRowPitch = 360;
constexpr int kDetailsCaptionWidth = 1560;
constexpr int kDetailsValueLeft = kInnerLeft + kDetailsCaptionWidth + 60;
constexpr int kDetailsValueWidth = kInnerLeft + kInnerWidth - kDetailsValueLeft;
constexpr int kDetailsHeight = kFirstRowTop + 5 * kDetailsRowPitch + 120;

// Settings: rows at a fixed pitch, the two separators each taking a shorter gap.
constexpr int kSettingsTop = kDetailsTop + kDetailsHeight + 60;
constexpr int kSettingsHeight = 10995 - kSettingsTop;
constexpr int kSettingsRowPitch = 435;
constexpr int kSeparatorGap = 240;
constexpr int kBoxWidth = 1815;
constexpr int kShortBoxWidth = 1215;
constexpr int kCaptionGap = 120;

constexpr int settingsRowTop(int row, int separatorsAbove) {
    return kFirstRowTop + row * kSettingsRowPitch + separatorsAbove * kSeparatorGap;
}

constexpr int separatorTop(int rowsAbove, int separatorsAbove) {
    return settingsRowTop(rowsAbove, separatorsAbove) - kSettingsRowPitch + kFieldHeight +
           (kSeparatorGap + kSettingsRowPitch - kFieldHeight) / 2;
}

// Pairs a box with its caption to its right.
constexpr TwipsRect boxAt(int top, int width = kBoxWidth) {
    return {kInnerLeft, top, width, kFieldHeight};
}
constexpr TwipsRect captionRightOf(const TwipsRect& box) {
    const int left = box.left + box.width + kCaptionGap;
    return {left, box.top, kInnerLeft + kInnerWidth - left, kFieldHeight};
}

constexpr int kRegisterRowTop = 12600;

}  // namespace

void frmMain::placeControls() {
    const double dpiX = logicalDpiX();
    const double dpiY = logicalDpiY();
    const auto place = [dpiX, dpiY](QWidget* control, const TwipsRect& rect) {
        control->setGeometry(twipsToPixels(rect.left, dpiX), twipsToPixels(rect.top, dpiY),
                             twipsToPixels(rect.width, dpiX), twipsToPixels(rect.height, dpiY));
    };
    resize(twipsToPixels(kClientWidth, dpiX), twipsToPixels(kClientHeight, dpiY));

    place(Frame1, {kFrameLeft, kDetailsTop, kFrameWidth, kDetailsHeight});
    const std::pair<QLabel*, QWidget*> details[] = {{Label3, SerNo},
                                                    {Label4, lblManuf},
                                                    {Label5, lblProduct},
                                                    {Label2, lblVersion},
                                                    {Label17, lblSoftware}};
    int top = kFirstRowTop;
    for (const auto& [caption, value] : details) {
        place(caption, {kInnerLeft, top, kDetailsCaptionWidth, kFieldHeight});
        place(value, {kDetailsValueLeft, top, kDetailsValueWidth, kFieldHeight});
        top += kDetailsRowPitch;
    }

    place(Frame3, {kFrameLeft, kSettingsTop, kFrameWidth, kSettingsHeight});
    const int halfWidth = (kInnerWidth - kCaptionGap) / 2;
    const int rightHalfLeft = kInnerLeft + halfWidth + kCaptionGap;
    place(OUT1EN, {kInnerLeft, settingsRowTop(0, 0), halfWidth, kFieldHeight});
    place(OUT1ID, {rightHalfLeft, settingsRowTop(0, 0) - 30, halfWidth, kButtonHeight});
    place(OUT2EN, {kInnerLeft, settingsRowTop(1, 0), halfWidth, kFieldHeight});
    place(OUT2ID, {rightHalfLeft, settingsRowTop(1, 0) - 30, halfWidth, kButtonHeight});

    const TwipsRect enc1 = boxAt(settingsRowTop(2, 0), kShortBoxWidth);
    place(Enc1, enc1);
    place(Label22, captionRightOf(enc1));

    const TwipsRect out1 = boxAt(settingsRowTop(3, 0));
    place(Out1Freq, out1);
    const TwipsRect out1Caption = captionRightOf(out1);
    constexpr int kStatusWidth = 1140;
    place(Label1,
          {out1Caption.left, out1Caption.top, out1Caption.width - kStatusWidth, kFieldHeight});
    place(Label13, {out1Caption.left + out1Caption.width - kStatusWidth, out1Caption.top,
                    kStatusWidth, kFieldHeight});

    const TwipsRect out2 = boxAt(settingsRowTop(4, 0));
    place(OUT2, out2);
    place(Label6, captionRightOf(out2));
    // Small and stacked at the right end of the row, in window coordinates.
    constexpr int kPagerWidth = 540;
    constexpr int kPagerHeight = 255;
    const int pagerLeft = kFrameLeft + kInnerLeft + kInnerWidth - kPagerWidth;
    const int pagerTop = kSettingsTop + out2.top + kFieldHeight / 2 - kPagerHeight;
    place(BtnPrev, {pagerLeft, pagerTop, kPagerWidth, kPagerHeight});
    place(BtnNxt, {pagerLeft, pagerTop + kPagerHeight, kPagerWidth, kPagerHeight});

    const int buttonsTop = settingsRowTop(5, 0) - 30;
    const int buttonWidth = (kInnerWidth - 2 * kCaptionGap) / 3;
    int left = kInnerLeft;
    for (QPushButton* button : {FindFreq, SetFreq, Sleep_cmd}) {
        place(button, {left, buttonsTop, buttonWidth, kButtonHeight});
        left += buttonWidth + kCaptionGap;
    }

    place(Line1, {kInnerLeft, separatorTop(6, 0), kInnerWidth, 30});
    const std::pair<QLineEdit*, QLabel*> dividers[] = {
        {GPS, Label23},  {N31, Label24},    {N2_HS, Label7},  {N2_LS, Label8},
        {N1_HS, Label9}, {NC1_LS, Label10}, {NC2_LS, Label11}};
    int row = 6;
    for (const auto& [box, caption] : dividers) {
        const TwipsRect rect = boxAt(settingsRowTop(row++, 1));
        place(box, rect);
        place(caption, captionRightOf(rect));
    }

    place(Line2, {kInnerLeft, separatorTop(row, 1), kInnerWidth, 30});
    const TwipsRect phase = boxAt(settingsRowTop(row++, 2), kShortBoxWidth);
    place(PhaseBox, phase);
    place(Label12, captionRightOf(phase));
    const TwipsRect bw = boxAt(settingsRowTop(row++, 2), kShortBoxWidth);
    place(BW, bw);
    place(Label15, captionRightOf(bw));
    place(F3lbl, {kInnerLeft, settingsRowTop(row++, 2), kInnerWidth, kFieldHeight});

    constexpr int kReadoutWidth = 2235;
    constexpr int kWarningLeft = kInnerLeft + kReadoutWidth + kCaptionGap;
    constexpr int kWarningWidth = kInnerLeft + kInnerWidth - kWarningLeft;
    for (const auto& [readout, warning] : {std::pair{Fosclbl, LOS}, std::pair{Label16, LOL}}) {
        const int rowTop = settingsRowTop(row++, 2);
        place(readout, {kInnerLeft, rowTop, kReadoutWidth, kFieldHeight});
        place(warning, {kWarningLeft, rowTop, kWarningWidth, kFieldHeight});
    }

    place(REG, {kFrameLeft, kRegisterRowTop, 1095, kFieldHeight});
    place(DATA, {kFrameLeft + 1095 + kCaptionGap, kRegisterRowTop, 1095, kFieldHeight});
    const int writeLeft = kFrameLeft + 2 * (1095 + kCaptionGap);
    place(WriteRegister,
          {writeLeft, kRegisterRowTop - 30, kFrameLeft + kFrameWidth - writeLeft, kButtonHeight});
}

}  // namespace tarnwell
