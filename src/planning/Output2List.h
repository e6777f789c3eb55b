#pragma once

#include <string>
#include <vector>

#include "common/NumberText.h"

namespace tarnwell {

// Output 2 shares the oscillator with output 1; entry i of its list stands for NC2_LS = 2i + 2.
inline constexpr int kOut2PageStride = 32700;   // a page starts every 32700 values
inline constexpr int kOut2PageEntries = 32701;  // a full page shows 32701 entries
inline constexpr int kOut2UnpagedLastIndex = 32700;

int out2DividerForIndex(int index);  // 2i + 2

// (nc1 x f1) / (2i + 2): output 2 for entry i.
double out2Value(double out1Frequency, double nc1, int index);

// Texts of entries first .. first + count - 1.
std::vector<std::string> out2Texts(double out1Frequency, double nc1, int first, int count,
                                   const NumberLocale& locale = {});

// Last index of the list a configuration read shows: NC2_LS / 2 - 1 rounded half to even, at most
// 32700; negative means an empty list.
int out2ReadbackLastIndex(double nc2);

// Selection rule: d = NC2_LS / 2 - 1; the last entry when d is not below the entry count,
// otherwise d rounded half to even (never below 0). -1 for an empty list.
int out2SelectionIndex(double nc2, int entryCount);

// Paging of a list with values 0..k (k > 32700).
int out2PageCount(int lastIndex);  // k / 32700 + 0.5, rounded half to even

struct Out2PageRange {
    int first = 0;  // index into the value array of the first entry shown
    int count = 0;
};
// What page p of pageCount shows for values 0..lastIndex: middle pages 32700p .. 32700p + 32700,
// the last page 32700p - 1 .. lastIndex.
Out2PageRange out2PageRange(int page, int pageCount, int lastIndex);

// The page (of pageCount) that shows value index, preferring the earliest such page.
int out2PageShowing(int valueIndex, int pageCount, int lastIndex);

}  // namespace tarnwell
