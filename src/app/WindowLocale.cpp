#include "app/WindowLocale.h"

namespace tarnwell {

NumberLocale numberLocaleOf(const QLocale& locale) {
    const QString point = locale.decimalPoint();
    if (point.size() == 1 && point.front().unicode() < 0x80)
        return {point.front().toLatin1()};
    return {};
}

}  // namespace tarnwell
