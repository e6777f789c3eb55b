#include "planning/DividerSearch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "DividerSearchOracle.h"

namespace tarnwell {

void PrintTo(const DividerPlan& p, std::ostream* os) {
    *os << (p.pass == SearchPass::Preferred ? "preferred" : "wide") << " N1_HS=" << p.n1hs
        << " NC=" << p.nc << " N2_HS=" << p.n2hs << " N2_LS=" << p.n2ls << " N31=" << p.n31
        << " GPS=" << p.reference;
}

}  // namespace tarnwell

namespace {

using tarnwell::DividerPlan;
using tarnwell::findDividers;
using tarnwell::isSearchableFrequency;
using tarnwell::kHighestSearchableFrequency;
using tarnwell::kLowestSearchableFrequency;
using tarnwell::SearchOutcome;
using tarnwell::SearchPass;
using tarnwell::SearchProgress;
using tarnwell::reference::enumerateDividersLiterally;

// Sweeps are cut down where the literal enumeration runs several times slower (sanitizers), and
// widened on request for a one-off thorough comparison.
#ifdef TARNWELL_SHORT_ORACLE_SWEEP
constexpr bool kShortSweep = true;
#else
constexpr bool kShortSweep = false;
#endif

bool longSweepRequested() {
    const char* value = std::getenv("TARNWELL_LONG_ORACLE");
    return value != nullptr && std::string(value) == "1";
}

std::string exactText(double f) {
    std::ostringstream text;
    text << std::setprecision(17) << f;
    return text.str();
}

// Compares the search with the literal enumeration on every frequency and prints a tally.
void expectAgreement(const std::string& sweep, const std::vector<double>& frequencies) {
    int preferred = 0;
    int wide = 0;
    int notFound = 0;
    for (const double f : frequencies) {
        const auto fast = findDividers(f);
        const auto literal = enumerateDividersLiterally(f);
        EXPECT_EQ(fast.outcome, literal.outcome) << exactText(f) << " Hz";
        EXPECT_EQ(fast.plan, literal.plan) << exactText(f) << " Hz";
        EXPECT_EQ(fast.exhausted, literal.exhausted) << exactText(f) << " Hz";
        if (!literal.plan)
            ++notFound;
        else if (literal.plan->pass == SearchPass::Preferred)
            ++preferred;
        else
            ++wide;
    }
    std::cout << "[ oracle   ] " << sweep << ": " << frequencies.size() << " frequencies, "
              << preferred << " preferred, " << wide << " wide, " << notFound << " not found\n";
}

enum class Shape { Whole, Tenths, Halves, AsDrawn };

// Log-uniform frequencies from a fixed seed (the raw engine output is the same everywhere,
// unlike the standard distributions).
std::vector<double> randomFrequencies(std::uint64_t seed, int count, double lo, double hi,
                                      Shape shape) {
    std::mt19937_64 engine(seed);
    std::vector<double> out;
    for (int i = 0; i < count; ++i) {
        const double u = static_cast<double>(engine() >> 11) * 0x1p-53;
        const double f = std::exp(std::log(lo) + u * (std::log(hi) - std::log(lo)));
        switch (shape) {
            case Shape::Whole:
                out.push_back(std::round(f));
                break;
            case Shape::Tenths:
                out.push_back(std::round(f * 10) / 10);
                break;
            case Shape::Halves:
                out.push_back(std::round(f * 2) / 2);
                break;
            case Shape::AsDrawn:
                out.push_back(f);
                break;
        }
    }
    return out;
}

std::vector<double> concat(std::vector<double> a, const std::vector<double>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

DividerPlan preferred(int n1, int nc, int h, int l, int r, std::int64_t ref) {
    return {SearchPass::Preferred, n1, nc, h, l, r, ref};
}

TEST(DividerSearch, FindsTheKnownSettings) {
    EXPECT_EQ(findDividers(10000000).plan, preferred(11, 48, 11, 512, 5, 4687500));
    EXPECT_EQ(findDividers(25000000).plan, preferred(11, 18, 11, 480, 5, 4687500));
    EXPECT_EQ(findDividers(100000000).plan, preferred(9, 6, 11, 1152, 11, 4687500));
    EXPECT_EQ(findDividers(166801717).plan, preferred(5, 6, 4, 22346, 52, 2911155));
    const auto nothing = findDividers(123);
    EXPECT_EQ(nothing.outcome, SearchOutcome::NotFound);
    EXPECT_FALSE(nothing.plan);
    // One answer with each N2_HS below 11, 4 first: a search that skipped one would disagree.
    const std::vector<double> belowEleven = {166801717, 136041517, 99171043, 173486427,
                                             82710443,  57697852,  52226297};
    for (std::size_t i = 0; i < belowEleven.size(); ++i)
        EXPECT_EQ(findDividers(belowEleven[i]).plan.value_or(DividerPlan{}).n2hs, int(i) + 4);
    expectAgreement("known settings", concat({10000000, 25000000, 100000000, 123}, belowEleven));
}

TEST(DividerSearch, AgreesWithTheLiteralEnumerationOnRoundFrequencies) {
    std::vector<double> round = {
        1000,      2048,      8000,      10000,     11025,     16000,     22050,     32000,
        44100,     48000,     88200,     96000,     176400,    192000,    100000,    1000000,
        1544000,   2000000,   2048000,   4096000,   5000000,   6144000,   8192000,   10000000,
        12000000,  12288000,  12800000,  13000000,  16000000,  16384000,  19200000,  19440000,
        20000000,  24000000,  24576000,  25000000,  26000000,  27000000,  30720000,  38880000,
        40000000,  48000000,  50000000,  54000000,  62500000,  64000000,  74250000,  75000000,
        77760000,  100000000, 106250000, 122880000, 125000000, 148500000, 150000000, 155520000,
        156250000, 160000000, 200000000, 212500000, 250000000, 311040000, 312500000, 400000000,
        500000000, 622080000, 625000000, 800000000, 812500000};
    for (const double base : {44100.0, 48000.0})
        for (const int multiple : {2, 4, 8, 16, 32, 64, 128, 256, 384, 512, 1024})
            round.push_back(base * multiple);
    expectAgreement("round frequencies", round);
}

TEST(DividerSearch, AgreesWithTheLiteralEnumerationOnRandomWholeFrequencies) {
    expectAgreement("random whole frequencies",
                    randomFrequencies(20261208, kShortSweep ? 24 : 90, 100, 900e6, Shape::Whole));
}

TEST(DividerSearch, AgreesWithTheLiteralEnumerationOnFractionalFrequencies) {
    std::vector<double> fractional = {12345678.9,
                                      1234.5,
                                      44100.5,
                                      10000000.5,
                                      99999.5,
                                      3333333.3333333335,
                                      14285714.285714285,
                                      83333333.333333328};
    // Few NC values above 10 MHz keep the literal enumeration quick for any input.
    const int perShape = kShortSweep ? 2 : 6;
    fractional = concat(fractional, randomFrequencies(7, perShape, 10e6, 812e6, Shape::Tenths));
    fractional = concat(fractional, randomFrequencies(8, perShape, 10e6, 812e6, Shape::Halves));
    fractional = concat(fractional, randomFrequencies(9, perShape, 10e6, 812e6, Shape::AsDrawn));
    expectAgreement("fractional frequencies", fractional);
}

TEST(DividerSearch, AgreesWithTheLiteralEnumerationWhereRoundingOrALimitDecides) {
    const std::vector<double> cases = {
        // An earlier candidate divides exactly in whole numbers, but the reference computed
        // through Fc comes out one below the quotient, so it is not exact and a later one wins.
        94605842, 597621278, 32344232, 605189010, 530998799, 23599799, 752197779,
        // Fosc exactly at a window limit: 4.85 and 4.2 GHz (lower), 5.67 and 6.5 GHz (upper).
        202083333.33333334, 18371212.121212121, 190909090.90909091, 708750000, 812500000,
        // F3 exactly at the wide pass's upper limit of 2 MHz.
        528000000, 264000000,
        // No preferred setting: found by the wide pass.
        400, 311040000, 160000000};
    expectAgreement("rounding and limits", cases);
}

TEST(DividerSearch, AgreesWithTheLiteralEnumerationWhereNothingIsFound) {
    // Primes above 5 MHz: the prime cannot go into a reference below 5 MHz nor into N2_LS.
    std::vector<double> primes = {29999999, 29999989};
    if (kShortSweep)
        primes.pop_back();
    for (const double f : primes)
        EXPECT_EQ(findDividers(f).outcome, SearchOutcome::NotFound);
    // The last NC loop is that of the wide pass's N1_HS 4: up to 2 Int(6.5 GHz / (f x 4) / 2).
    EXPECT_EQ(findDividers(29999999).exhausted, (tarnwell::ExhaustedLoops{4, 54}));
    EXPECT_EQ(findDividers(123).exhausted, (tarnwell::ExhaustedLoops{4, std::nullopt}));
    expectAgreement("primes without a setting", primes);
}

TEST(DividerSearch, AnswersAnyInputWithoutCrashingOrHanging) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    const double outside[] = {0.0,
                              -0.0,
                              -10000000,
                              std::numeric_limits<double>::quiet_NaN(),
                              inf,
                              -inf,
                              1e-300,
                              std::numeric_limits<double>::denorm_min(),
                              1e300,
                              std::numeric_limits<double>::max(),
                              std::numeric_limits<double>::lowest(),
                              std::nextafter(kLowestSearchableFrequency, 0.0),
                              std::nextafter(kHighestSearchableFrequency, inf),
                              364,
                              1e9};
    for (const double f : outside) {
        EXPECT_FALSE(isSearchableFrequency(f)) << exactText(f);
        const auto result = findDividers(f);
        EXPECT_EQ(result.outcome, SearchOutcome::NotFound) << exactText(f);
        EXPECT_EQ(enumerateDividersLiterally(f).outcome, SearchOutcome::NotFound) << exactText(f);
    }
    // The lower limit sits a hair below the true reach of the dividers; the upper one is exact
    // and reached: 812.5 MHz runs the oscillator at exactly 6.5 GHz.
    EXPECT_LT(kLowestSearchableFrequency, 4200000000.0 / (11.0 * 1048576.0));
    for (const double f : {kLowestSearchableFrequency, 365.0, kHighestSearchableFrequency})
        EXPECT_TRUE(isSearchableFrequency(f)) << exactText(f);
    EXPECT_EQ(findDividers(kHighestSearchableFrequency).outcome, SearchOutcome::Found);
}

using LoopPosition = std::tuple<int, int, int, int>;

// Increases in the order the loops run: pass, then N1_HS descending, NC ascending, N2_HS
// descending.
LoopPosition loopPosition(const SearchProgress& p) {
    return {p.pass == SearchPass::Preferred ? 0 : 1, -p.n1hs, p.nc, -p.n2hs};
}

TEST(DividerSearch, ReportsProgressInLoopOrder) {
    std::vector<SearchProgress> reports;
    const auto record = [&](const SearchProgress& p) {
        reports.push_back(p);
        return true;
    };
    const auto found = findDividers(10000000, record);
    ASSERT_EQ(found.outcome, SearchOutcome::Found);
    ASSERT_FALSE(reports.empty());
    const SearchProgress& last = reports.back();
    EXPECT_EQ(std::make_tuple(last.pass, last.n1hs, last.nc, last.n2hs),
              std::make_tuple(SearchPass::Preferred, 11, 48, 11));

    // Nothing found: both passes run to the end. Every NC worked on is reported with all eight
    // N2_HS values, in loop order, each once.
    reports.clear();
    ASSERT_EQ(findDividers(29999999, record).outcome, SearchOutcome::NotFound);
    ASSERT_GE(reports.size(), 8u);
    EXPECT_EQ(reports.front().pass, SearchPass::Preferred);
    EXPECT_EQ(reports.back().pass, SearchPass::Wide);
    for (std::size_t i = 1; i < reports.size(); ++i)
        EXPECT_LT(loopPosition(reports[i - 1]), loopPosition(reports[i])) << i;
    for (std::size_t i = 0; i + 8 <= reports.size(); i += 8)
        for (int k = 0; k < 8; ++k) {
            EXPECT_EQ(reports[i + k].nc, reports[i].nc);
            EXPECT_EQ(reports[i + k].n2hs, 11 - k);
        }
}

TEST(DividerSearch, KeepsReportingWhileSkippingLongRunsOfNc) {
    // 8694.357... Hz runs through thousands of NC values whose Fosc has no whole multiple; the
    // caller still hears from the search at least every few thousand of them.
    std::vector<SearchProgress> reports;
    findDividers(8694.3576741094512, [&](const SearchProgress& p) {
        reports.push_back(p);
        return true;
    });
    ASSERT_GT(reports.size(), 2u);
    for (std::size_t i = 1; i < reports.size(); ++i) {
        const auto& a = reports[i - 1];
        const auto& b = reports[i];
        if (a.pass != b.pass || a.n1hs != b.n1hs)
            continue;
        EXPECT_LE(b.nc - a.nc, 2 * 1024 + 2) << i;
    }
}

TEST(DividerSearch, StopsWhenTheCallerCancels) {
    int calls = 0;
    const auto cancelAtFirst = [&](const SearchProgress&) {
        ++calls;
        return false;
    };
    // The first report already belongs to the NC that holds the answer; cancelling wins.
    auto result = findDividers(10000000, cancelAtFirst);
    EXPECT_EQ(result.outcome, SearchOutcome::Cancelled);
    EXPECT_FALSE(result.plan);
    EXPECT_EQ(calls, 1);

    calls = 0;
    const auto cancelAtTwentieth = [&](const SearchProgress&) { return ++calls < 20; };
    result = findDividers(29999999, cancelAtTwentieth);
    EXPECT_EQ(result.outcome, SearchOutcome::Cancelled);
    EXPECT_FALSE(result.plan);
    EXPECT_EQ(calls, 20);
}

// A thorough one-off comparison: TARNWELL_LONG_ORACLE=1 (takes the better part of an hour).
TEST(DividerSearch, LongSweepOfWholeFrequencies) {
    if (!longSweepRequested())
        GTEST_SKIP() << "set TARNWELL_LONG_ORACLE=1 to run";
    expectAgreement("long: random whole frequencies",
                    randomFrequencies(1, 1000, 100, 900e6, Shape::Whole));
    expectAgreement("long: random whole frequencies above 1 MHz",
                    randomFrequencies(2, 500, 1e6, 812.5e6, Shape::Whole));
}

TEST(DividerSearch, LongSweepOfFractionalFrequencies) {
    if (!longSweepRequested())
        GTEST_SKIP() << "set TARNWELL_LONG_ORACLE=1 to run";
    expectAgreement("long: random fractional frequencies",
                    concat(concat(randomFrequencies(3, 150, 2e6, 812.5e6, Shape::Tenths),
                                  randomFrequencies(4, 150, 2e6, 812.5e6, Shape::Halves)),
                           randomFrequencies(5, 150, 2e6, 812.5e6, Shape::AsDrawn)));
    expectAgreement("long: primes without a setting",
                    {9999991, 5000011, 12345701, 19999999, 29999947});
}

}  // namespace
