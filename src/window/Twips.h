#pragma once

#include <cmath>

namespace tarnwell {

// The window is designed in twips (1/1440 inch) so that it keeps its proportions at any screen
// density: 15 twips are one pixel at 96 dots per inch.
inline constexpr double kTwipsPerInch = 1440.0;

struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

inline int twipsToPixels(int twips, double dotsPerInch) {
    return static_cast<int>(std::lround(twips * dotsPerInch / kTwipsPerInch));
}

}  // namespace tarnwell
