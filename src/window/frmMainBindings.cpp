#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtGlobal>

#include <algorithm>
#include <exception>
#include <memory>
#include <utility>

#include "window/frmMain.h"

namespace tarnwell {

// Controls raise their handler whether the user or code changes them, once per change. Lists are
// filled and cleared with their signals blocked, so a selection handler never sees index -1.
void frmMain::bindEvents() {
    connect(Timer, &QTimer::timeout, this, [this] { runHandler(&frmMain::Timer_Timer); });

    // A pick that changes the entry raises currentIndexChanged and then activated; re-picking
    // the open entry raises only activated, and also reopens the clock.
    connect(SerNo, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0)
            return;
        serNoChangedBeforeActivation_ = true;
        runHandler(&frmMain::SerNo_Click);
        // A change made by code has no activation to pair with; forget it once events run. Asked
        // for after the handler, whose waits run events, so that it still pairs with a user's.
        QTimer::singleShot(0, this, [this] { serNoChangedBeforeActivation_ = false; });
    });
    connect(SerNo, &QComboBox::activated, this, [this](int index) {
        if (std::exchange(serNoChangedBeforeActivation_, false) || index < 0)
            return;
        runHandler(&frmMain::SerNo_Click);
    });

    bindSelection(Enc1, &frmMain::Enc1_Click);
    bindSelection(OUT2, &frmMain::OUT2_Click);

    connect(OUT1EN, &QCheckBox::toggled, this, [this] { runHandler(&frmMain::OUT1EN_Click); });
    connect(OUT2EN, &QCheckBox::toggled, this, [this] { runHandler(&frmMain::OUT2EN_Click); });
    connect(Out1Freq, &QLineEdit::textChanged, this,
            [this] { runHandler(&frmMain::Out1Freq_Change); });

    const std::pair<QPushButton*, void (frmMain::*)()> buttons[] = {
        {OUT1ID, &frmMain::OUT1ID_Click},       {OUT2ID, &frmMain::OUT2ID_Click},
        {FindFreq, &frmMain::FindFreq_Click},   {SetFreq, &frmMain::SetFreq_Click},
        {Sleep_cmd, &frmMain::Sleep_cmd_Click}, {BtnNxt, &frmMain::BtnNxt_Click},
        {BtnPrev, &frmMain::BtnPrev_Click},     {WriteRegister, &frmMain::WriteRegister_Click}};
    // Not a structured binding: clang 14 cannot capture one.
    for (const auto& button : buttons) {
        connect(button.first, &QPushButton::clicked, this,
                [this, handler = button.second] { runHandler(handler); });
    }
}

// As SerNo: re-picking the entry shown is a selection too (a person resends a drive strength
// after a failed send), and a pick that changes the entry runs the handler once, not twice.
void frmMain::bindSelection(QComboBox* box, void (frmMain::*handler)()) {
    auto changedBeforeActivation = std::make_shared<bool>(false);
    connect(box, &QComboBox::currentIndexChanged, this,
            [this, handler, changedBeforeActivation](int index) {
                if (index < 0)
                    return;
                *changedBeforeActivation = true;
                runHandler(handler);
                QTimer::singleShot(0, this,
                                   [changedBeforeActivation] { *changedBeforeActivation = false; });
            });
    connect(box, &QComboBox::activated, this, [this, handler, changedBeforeActivation](int index) {
        if (std::exchange(*changedBeforeActivation, false) || index < 0)
            return;
        runHandler(handler);
    });
}

// Every signal the window listens to enters here. While a handler waits (for the clock, or at
// start-up for the window to be on screen), the event loop runs on so that the window repaints
// and can be closed, but no other handler may run: it would meet the clock in the middle of an
// exchange and put its reports between the waiting handler's. One that comes meanwhile runs after
// the wait, from the event loop, and so after the handler that waited. Closing runs at once: it
// only tells the wait to give up.
//
// An exception must not unwind through Qt's event dispatch; the window stays as the handler left
// it and the next poll or user action carries on.
void frmMain::runHandler(void (frmMain::*handler)()) {
    if (handlerWaiting_ && handler != &frmMain::Form_Unload) {
        if (std::ranges::find(deferredHandlers_, handler) == deferredHandlers_.end())
            deferredHandlers_.push_back(handler);
        return;
    }
    try {
        (this->*handler)();
    } catch (const std::exception& error) {
        qWarning("%s: %s", kHandlerFailedWarning, error.what());
    } catch (...) {
        qWarning("%s", kHandlerFailedWarning);
    }
}

void frmMain::runDeferredHandlers() {
    for (const auto handler : std::exchange(deferredHandlers_, {}))
        QMetaObject::invokeMethod(
            this, [this, handler] { runHandler(handler); }, Qt::QueuedConnection);
}

}  // namespace tarnwell
