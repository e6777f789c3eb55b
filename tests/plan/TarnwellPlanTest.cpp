#include "PlanCommand.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

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

TEST(TarnwellPlan, RefusesWhatIsNotAPositiveNumberAfterAnsweringTheRest) {
    const Answers r =
        run({"abc", "123", "-5", "0", "1,5", "inf", "nan", "1e999", "--bogus", "123"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "123: not found\n123: not found\n");
    std::istringstream complaints(r.err);
    std::vector<std::string> lines;
    for (std::string line; std::getline(complaints, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 8u) << r.err;
    EXPECT_EQ(lines.front(), "tarnwell-plan: \"abc\" is not a positive frequency in Hz");
    EXPECT_EQ(lines.back(), "tarnwell-plan: \"--bogus\" is not a positive frequency in Hz");

    const Answers noSerial = run({"1e7", "--serial"});
    EXPECT_EQ(noSerial.status, 2);
    EXPECT_EQ(noSerial.out.substr(0, 5), "1e7: ");
    EXPECT_EQ(noSerial.err, "tarnwell-plan: --serial needs a serial number\n");

    const Answers nothing = run({});
    EXPECT_EQ(nothing.status, 2);
    EXPECT_EQ(nothing.out, "");
    EXPECT_NE(nothing.err, "");
}

TEST(TarnwellPlan, ExplainsItself) {
    const Answers r = run({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("Usage: tarnwell-plan [--serial SERIAL] HZ...", 0), 0u);
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

}  // namespace
