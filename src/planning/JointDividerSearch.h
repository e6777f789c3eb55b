#pragma once

// Both outputs at frequencies of one's own: output 2 shares the oscillator and N1_HS with output 1,
// so a setting makes f1 and f2 exactly when f1 x NC1_LS = f2 x NC2_LS with both dividers even and
// in range. Pure and Qt-free.

#include <cstdint>
#include <optional>

#include "planning/DividerSearch.h"

namespace tarnwell {

struct JointPlan {
    DividerPlan plan;  // its nc is NC1_LS
    int nc2 = 0;
    friend bool operator==(const JointPlan&, const JointPlan&) = default;
};

// The plan as the values it programs (phase 0, BW 0).
PllBoxValues pllValuesOf(const JointPlan& plan);

// The NC2_LS that makes output 2 run at f2 beside output 1 at f1 with NC1_LS = nc1: the even
// divider within its limits for which f1 x nc1 equals f2 x NC2_LS in doubles, if there is one.
std::optional<std::int64_t> output2DividerFor(double f1, std::int64_t nc1, double f2);

// The first setting, in the divider search's order and under its rules, whose NC1_LS also has an
// output-2 divider for f2. For f2 = f1 it is the divider search's own answer with NC2_LS = NC1_LS.
std::optional<JointPlan> findJointDividers(double f1, double f2);

// One entry of output 2's list beside output 1's own setting.
struct Output2Choice {
    int nc2 = 0;
    double frequency = 0;  // as the list computes it
    double errorHz = 0;    // frequency - f2
    double errorPpm = 0;   // errorHz / f2 x 1e6
};

// What comes nearest when no setting makes both exactly: output 1 exact by the divider search,
// and the output-2 frequencies nearest to f2 from below (at most f2) and from above that its
// list's rule gives over every NC2_LS, also those above NC1_LS that the window's list leaves out.
struct JointFallback {
    std::optional<DividerPlan> out1;  // empty when output 1 alone has no exact setting
    std::optional<Output2Choice> below;
    std::optional<Output2Choice> above;
};
JointFallback nearestOutput2Choices(double f1, double f2);

}  // namespace tarnwell
