// The exposition text as promtool reads it.
#include "PrometheusMetrics.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace tarnwell::ctl {
namespace {

const ClockMetrics kClocks[] = {
    {"T5240342", std::nullopt, InputStatus{3, false, true}, "1.12", 10000000, 4687500},
    {"ODD\"NAME\\", "permission denied", {}, {}, 0, 0},
};

TEST(PrometheusMetrics, GivesEveryClockItsGaugesAndPassesPromtool) {
    const std::string text = prometheusText(
        kClocks, std::chrono::system_clock::time_point(std::chrono::seconds(1700000000)));
    for (const char* line :
         {"tarnwell_clock_up{serial=\"T5240342\"} 1\n",
          "tarnwell_clock_up{serial=\"ODD\\\"NAME\\\\\"} 0\n",
          "tarnwell_clock_failure_info{serial=\"ODD\\\"NAME\\\\\",reason=\"permission denied\"} "
          "1\n",
          "tarnwell_pll_locked{serial=\"T5240342\"} 0\n",
          "tarnwell_gps_signal_losses{serial=\"T5240342\"} 3\n",
          "tarnwell_textfile_written_timestamp_seconds 1700000000\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << text;
    EXPECT_EQ(text.find("tarnwell_pll_locked{serial=\"ODD"), std::string::npos);
    EXPECT_EQ(prometheusText({}), "");

#ifdef TARNWELL_PROMTOOL
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / "tarnwell-test.prom";
    std::ofstream(file) << text;
    const std::string command =
        std::string(TARNWELL_PROMTOOL) + " check metrics < '" + file.string() + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string said;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        said += buffer;
    EXPECT_EQ(pclose(pipe), 0) << said;
    EXPECT_EQ(said, "");  // promtool names each convention a metric breaks
    std::filesystem::remove(file);
#else
    GTEST_SKIP() << "promtool (Debian package prometheus) is not installed";
#endif
}

}  // namespace
}  // namespace tarnwell::ctl
