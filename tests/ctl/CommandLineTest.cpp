// Both programs' command lines taken as a hostile or careless user gives them: the same rules for
// options in both, nothing typed becoming syntax in what they print, and output that cannot be
// written reported as a failure.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "CtlCommand.h"
#include "PlanCommand.h"
#include "sim/VirtualClockBackend.h"

namespace tarnwell {
namespace {

using ::testing::HasSubstr;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

enum class Program { Ctl, Plan };

Outcome run(Program program, std::vector<std::string_view> args) {
    std::ostringstream out;
    std::ostringstream err;
    VirtualClockBackend backend;
    const ctl::CtlTime time = ctl::CtlTime::real([] { return false; });
    const int status = program == Program::Ctl ? ctl::runCtl(args, backend, time, out, err)
                                               : plan::runPlan(args, out, err);
    return {status, out.str(), err.str()};
}

TEST(CommandLine, OptionsAreTakenAlikeAndNothingTypedBecomesSyntax) {
    struct Row {
        Program program;
        std::vector<std::string_view> args;
        int status;
        std::string message;  // on standard error, or standard output when the status is 0
    };
    const std::vector<Row> rows = {
        {Program::Ctl,
         {"udev-rule", "--group", "x\", RUN+=\"/tmp/evil"},
         2,
         "--group needs a name of letters, digits"},
        {Program::Ctl, {"udev-rule", "--group", "a\nRUN+=\"/tmp/evil\""}, 2, "\"a\\nRUN+="},
        {Program::Ctl, {"udev-rule", "--group", "-plugdev"}, 2, "not starting with '-'"},
        {Program::Ctl, {"udev-rule", "--group=plug_dev.1"}, 0, "GROUP=\"plug_dev.1\", MODE"},
        {Program::Ctl, {"--bogus", "list"}, 2, "not expected: --bogus"},
        {Program::Plan, {"--bogus", "1e7"}, 2, "not expected: --bogus; see tarnwell-plan --help"},
        {Program::Ctl, {"list", "-s", "A", "-s", "B"}, 2, "--serial: At Most 1"},
        {Program::Plan, {"--serial", "A", "--serial", "B", "1e7"}, 2, "--serial: At Most 1"},
        {Program::Plan, {"1e7", "--serial"}, 2, "--serial"},
        {Program::Plan, {"--out2=20000000", "10000000"}, 0, "10000000 with out2 20000000: found"},
        {Program::Plan, {"--serial=A3", "10000000"}, 0, " BW=6 "},
        {Program::Plan, {"--dividers", "1", "2"}, 2, "--dividers"},
        {Program::Plan, {"\x1b]0;title\a"}, 2, "\"\\x1b]0;title\\x07\" is not a frequency"},
        {Program::Ctl, {"status", "-s", "\x1b[2J"}, 3, "no clock with serial \\x1b[2J"},
        {Program::Ctl,
         {"program", "\x1b[2J", "5", "11", "512", "11", "48", "48"},
         2,
         "\"\\x1b[2J\""},
        {Program::Ctl, {"outputs", "--out1", "\x1b[2J"}, 2, "not \"\\x1b[2J\""},
        {Program::Ctl,
         {"program", "4687500", "5", "11", "512", "11", "48", "48", "--bw", "\x1b[2J"},
         2,
         "not \"\\x1b[2J\""},
    };
    for (const Row& row : rows) {
        const Outcome outcome = run(row.program, row.args);
        EXPECT_EQ(outcome.status, row.status) << row.message << "\n" << outcome.err;
        EXPECT_THAT(row.status == 0 ? outcome.out : outcome.err, HasSubstr(row.message));
    }
}

#ifndef _WIN32
// A full disk under standard output: nothing printed must not pass for success.
TEST(CommandLine, OutputThatCannotBeWrittenFailsTheProgram) {
    const std::string runner = TARNWELL_PROGRAM_RUNNER " ";
    const std::string ctl = runner + "'" + TARNWELL_CTL_PROGRAM + "' ";
    const std::string plan = runner + "'" + TARNWELL_PLAN_PROGRAM + "' ";
    for (const std::string& line :
         {ctl + "--help", ctl + "udev-rule", ctl + "list --json", plan + "10000000"}) {
        FILE* pipe = popen((line + " 2>&1 >/dev/full").c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string err;
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
            err += buffer;
        const int status = pclose(pipe);
        ASSERT_TRUE(WIFEXITED(status)) << line;
        EXPECT_EQ(WEXITSTATUS(status), 1) << line;
        EXPECT_THAT(err, HasSubstr(": cannot write standard output")) << line;
    }
}
#endif

}  // namespace
}  // namespace tarnwell
