#include "window/WindowLocale.h"

namespace tarnwell {

NumberLocale numberLocaleOf(const QLocale& locale) {
    NumberLocale numbers;
    const QString point = locale.decimalPoint();
    if (point.size() == 1 && point.front().unicode() < 0x80)
        numbers.decimalPoint = point.front().toLatin1();
    // A separator that could be read as the decimal point would make "1.500" ambiguous.
    const QString group = locale.groupSeparator();
    if (!(locale.numberOptions() & QLocale::OmitGroupSeparator) && !group.isEmpty() &&
        !group.contains(QChar::fromLatin1(numbers.decimalPoint)) && !group.front().isDigit())
        numbers.groupSeparator = group.toStdString();
    return numbers;
}

}  // namespace tarnwell
