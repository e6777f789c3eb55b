#include "WindowState.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <QWidget>

namespace tarnwell::soak {

namespace {

QString contents(const QWidget& control) {
    if (const auto* label = qobject_cast<const QLabel*>(&control))
        return label->text();
    if (const auto* box = qobject_cast<const QLineEdit*>(&control))
        return box->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(&control))
        return button->text() + (button->isChecked() ? QStringLiteral(" [x]") : QString());
    if (const auto* group = qobject_cast<const QGroupBox*>(&control))
        return group->title();
    if (const auto* list = qobject_cast<const QComboBox*>(&control)) {
        QStringList entries;
        for (int i = 0; i < list->count(); ++i)
            entries.append(list->itemText(i));
        return QStringLiteral("#%1 of [%2]").arg(list->currentIndex()).arg(entries.join('|'));
    }
    return {};
}

}  // namespace

WindowState describeWindow(const QWidget& window) {
    WindowState state;
    for (const QWidget* control : window.findChildren<QWidget*>()) {
        // Qt's own inner widgets (a list's popup, its scroll bars) carry "qt_" names.
        if (control->objectName().isEmpty() || control->objectName().startsWith("qt_"))
            continue;
        state[control->objectName()] = QStringLiteral("%1%2 %3")
                                           .arg(control->isEnabled() ? "" : "disabled ")
                                           .arg(control->isVisibleTo(&window) ? "" : "hidden")
                                           .arg(contents(*control));
    }
    return state;
}

}  // namespace tarnwell::soak
