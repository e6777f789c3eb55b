#include "PlanCommand.h"
#include "ToolJson.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "common/NumberText.h"
#include "planning/NearestExact.h"

namespace {

using tarnwell::plan::runPlan;

struct Answers {
    int status;
    std::string out;
    std::string err;
};

Answers run(std::vector<std::string_view> args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = runPlan(args, out, err);
    return {status, out.str(), err.str()};
}

TEST(TarnwellPlan, AnswersInArgumentOrderWithTheSerialsBandwidth) {
    const Answers r = run({"25000000", "--serial", "A3X", "123", "812.5e6"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "25000000: found preferred GPS=4687500 N31=5 N2_HS=11 N2_LS=480 N1_HS=11 NC1_LS=18 "
              "NC2_LS=18 BW=6 F3=937500 Fosc=4.95\n"
              "123: not found\n"
              "812.5e6: found wide GPS=4062500 N31=11 N2_HS=11 N2_LS=1600 N1_HS=4 NC1_LS=2 "
              "NC2_LS=2 BW=6 F3=369318 Fosc=6.5\n");
    EXPECT_NE(run({"--serial=B2", "1e7"}).out.find(" BW=15 "), std::string::npos);
    EXPECT_NE(run({"--serial", "7", "1e7"}).out.find(" BW=15 "), std::string::npos);
}

TEST(TarnwellPlan, RefusesWhatIsNotAFrequencyToSearchAfterAnsweringTheRest) {
    const Answers r = run({"abc", "1", "-5", "0", "0.5", "1,5", "inf", "nan", "1e999", "123"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "1: not found\n123: not found\n");
    std::istringstream complaints(r.err);
    std::vector<std::string> lines;
    for (std::string line; std::getline(complaints, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 8u) << r.err;
    EXPECT_EQ(lines.front(), "tarnwell-plan: \"abc\" is not a frequency in Hz of at least 1");
    EXPECT_EQ(lines.at(3), "tarnwell-plan: \"0.5\" is not a frequency in Hz of at least 1");
    EXPECT_EQ(lines.back(), "tarnwell-plan: \"1e999\" is not a frequency in Hz of at least 1");

    const Answers nothing = run({});
    EXPECT_EQ(nothing.status, 2);
    EXPECT_EQ(nothing.out, "");
    EXPECT_NE(nothing.err, "");
}

TEST(TarnwellPlan, ExplainsItself) {
    const Answers r = run({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("Usage: tarnwell-plan [--serial SERIAL] [--nearest] [--json] HZ...", 0),
              0u);
    // Every field of the answer line is explained.
    for (const char* explained : {"preferred, wide", "GPS", "N31", "N2_HS, N2_LS", "N1_HS, NC1_LS",
                                  "NC2_LS", "BW", "F3 ", "Fosc"})
        EXPECT_NE(r.out.find(std::string("\n  ") + explained), std::string::npos) << explained;
}

#ifndef _WIN32
// The built program: answers on stdout, complaints on stderr, the exit status.
TEST(TarnwellPlan, RunsAsAProgram) {
    const std::string command =
        std::string("'") + TARNWELL_PLAN_PROGRAM + "' 10000000 xyz 123 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        out += buffer;
    const int status = pclose(pipe);
    EXPECT_EQ(out,
              "10000000: found preferred GPS=4687500 N31=5 N2_HS=11 N2_LS=512 N1_HS=11 NC1_LS=48 "
              "NC2_LS=48 BW=15 F3=937500 Fosc=5.28\n"
              "123: not found\n");
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
}
#endif

// A frequency without a setting gets its neighbours and closest setting; one with a setting its
// found line; --json carries both kinds in one document.
TEST(TarnwellPlan, NearestAnswersWhatTheSearchCannot) {
    const Answers r = run({"--nearest", "9999991", "10000000"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("9999991: not found\n9999991: nearest below HZ=9999990 DIFF_HZ=-1 "
                         "DIFF_PPM=-0.1 preferred GPS=2962960 N31=3 "),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("9999991: nearest above HZ=9999992 DIFF_HZ=1 "), std::string::npos);
    EXPECT_NE(r.out.find("9999991: closest wide GPS=4748293 N31=68 N2_HS=7 N2_LS=13298 N1_HS=5 "
                         "NC1_LS=130 NC2_LS=130 BW=15 F3=69827 Fosc=6.4999 "
                         "OUT1=220999801099/22100 OUT1_HZ=9999990.99995475 ERROR_HZ=-4.52e-05 "
                         "ERROR_PPB=-0.00452\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\n10000000: found preferred GPS=4687500 "), std::string::npos);

    const std::string out = run({"--json", "9999991", "10000000"}).out;
    const tarnwell::Json json = tarnwell::Json::parse(out);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << "one line";
    const tarnwell::Json& inexact = json.at("frequencies").at(0);
    EXPECT_EQ(inexact.at("input"), "9999991");
    EXPECT_EQ(inexact.at("hz"), 9999991);
    EXPECT_TRUE(inexact.at("exact_setting").is_null());
    EXPECT_EQ(inexact.at("nearest_below").at("diff_hz"), -1);
    EXPECT_EQ(inexact.at("nearest_below").at("diff_ppm"), "-0.1");
    // Not exact in a double: the exact fraction, as text.
    EXPECT_EQ(inexact.at("closest").at("out1_hz"), "220999801099/22100");
    EXPECT_EQ(inexact.at("closest").at("out1_decimal"), "9999990.99995475");
    const tarnwell::Json& exact = json.at("frequencies").at(1).at("exact_setting");
    EXPECT_EQ(exact.at("pass"), "preferred");
    EXPECT_EQ(exact.at("GPS"), 4687500);
}

// A frequency out of reach gets the range instead of a look around it, and the nearer end.
TEST(TarnwellPlan, NearestTellsTheRangeForAFrequencyOutOfReach) {
    const tarnwell::WholeFrequencyRange range = tarnwell::reachableWholeFrequencies();
    const std::string lowest = tarnwell::formatNumber(range.lowest);
    const std::string highest = tarnwell::formatNumber(range.highest);
    const std::string out = run({"--nearest", "100", "1e9"}).out;
    EXPECT_NE(out.find("100: not found\n100: the clock reaches " + lowest + " to " + highest +
                       " Hz\n100: nearest above HZ=" + lowest + " "),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("1e9: nearest below HZ=" + highest + " "), std::string::npos) << out;
    EXPECT_EQ(out.find("closest"), std::string::npos) << out;

    const tarnwell::Json json = tarnwell::Json::parse(run({"--json", "100", "1e9"}).out);
    const tarnwell::Json& above = json.at("frequencies").at(1);
    EXPECT_EQ(above.at("reachable_hz"),
              (tarnwell::Json{{"lowest", range.lowest}, {"highest", range.highest}}));
    EXPECT_EQ(above.at("nearest_below").at("hz"), range.highest);
    EXPECT_TRUE(above.at("nearest_above").is_null());
    EXPECT_EQ(json.at("frequencies").at(0).at("nearest_above").at("hz"), range.lowest);
}

TEST(TarnwellPlan, DividersTellWhatASettingMakesAndBreaks) {
    const Answers good = run({"--dividers", "4687500", "5", "11", "512", "11", "48", "48"});
    EXPECT_EQ(good.out,
              "OUT1=10000000/1 (10000000.000000)\nOUT2=10000000/1 (10000000.000000)\n"
              "F3=937500/1 (937500.000)\nFosc=5280000000/1 (5280000000.000)\nLIMITS=ok\n"
              "WIDE=ok\nPREFERRED=ok\nACCEPTED=preferred\n");
    const Answers wideOnly = run({"--dividers", "4800000", "5", "11", "500", "11", "46", "46"});
    EXPECT_NE(wideOnly.out.find("PREFERRED=GPS a multiple of 48, NC1_LS not a multiple of 3\n"
                                "ACCEPTED=wide\n"),
              std::string::npos)
        << wideOnly.out;
    const Answers bad = run({"--dividers", "10000000", "1000", "10", "51233", "5", "100", "200"});
    EXPECT_NE(bad.out.find("OUT2=5123300/1 "), std::string::npos);
    EXPECT_NE(bad.out.find("LIMITS=N2_LS odd\n"), std::string::npos);
    EXPECT_NE(bad.out.find("WIDE=F3 below window, GPS not below 5000000, N31 above F3/1000, NC2_LS "
                           "differs from NC1_LS\n"),
              std::string::npos);
    EXPECT_NE(bad.out.find("ACCEPTED=none"), std::string::npos);
    EXPECT_EQ(run({"--dividers", "1", "2"}).status, 2);
    EXPECT_EQ(run({"--dividers", "1", "2", "x", "4", "5", "6", "7"}).status, 2);
}

// Both outputs: the joint setting when one exists, otherwise output 1's own with the output-2
// frequencies nearest to the one asked for; --json carries the same.
TEST(TarnwellPlan, Out2FindsASettingForBothOutputsOrTheNearestOutput2) {
    const Answers both = run({"10000000", "--out2", "25000000"});
    EXPECT_EQ(both.status, 0);
    EXPECT_EQ(both.out,
              "10000000 with out2 25000000: found preferred GPS=4687500 N31=11 N2_HS=11 "
              "N2_LS=1152 N1_HS=9 NC1_LS=60 NC2_LS=24 BW=15 F3=426136 Fosc=5.4\n");
    const Answers neither = run({"24576000", "--out2", "27000000"});
    EXPECT_EQ(neither.out,
              "24576000 with out2 27000000: not found: no setting makes both exactly\n"
              "24576000 with out2 27000000: output 1 found preferred GPS=4096000 N31=5 N2_HS=11 "
              "N2_LS=540 N1_HS=11 NC1_LS=18 NC2_LS=18 BW=15 F3=819200 Fosc=4.866\n"
              "24576000 with out2 27000000: out2 nearest below OUT2=24576000 NC2_LS=18 "
              "DIFF_HZ=-2424000 DIFF_PPM=-89777.7777777778\n"
              "24576000 with out2 27000000: out2 nearest above OUT2=27648000 NC2_LS=16 "
              "DIFF_HZ=648000 DIFF_PPM=24000\n");
    EXPECT_NE(run({"123", "--out2", "1000"}).out.find("output 1 alone not found"),
              std::string::npos);
    const tarnwell::Json json =
        tarnwell::Json::parse(run({"--json", "24576000", "--out2", "27000000"}).out);
    const tarnwell::Json& pair = json.at("pairs").at(0);
    EXPECT_TRUE(pair.at("setting").is_null());
    EXPECT_EQ(pair.at("out2_nearest_above").at("out2_hz"), 27648000);
    EXPECT_EQ(run({"1e7", "--out2", "-3"}).status, 2);
    EXPECT_EQ(run({"1e7", "--out2"}).status, 2);
}

}  // namespace
