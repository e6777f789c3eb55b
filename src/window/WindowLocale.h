#pragma once

#include <QLocale>

#include "common/NumberText.h"

namespace tarnwell {

// The decimal separator the window writes and reads numbers with: the locale's own when it is a
// single ASCII character, otherwise '.', so that every text the window writes parses back. The
// locale's digit grouping is accepted when typed ("10,000,000" in English, "10.000.000" in German).
NumberLocale numberLocaleOf(const QLocale& locale);

}  // namespace tarnwell
