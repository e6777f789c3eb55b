#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "FuzzTargets.h"

namespace tarnwell::fuzz {

// Names the target in test listings instead of dumping its bytes.
void PrintTo(const FuzzTarget& target, std::ostream* out) {
    *out << target.name;
}

namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = TARNWELL_FUZZ_CORPUS;

std::vector<fs::path> corpusFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::ranges::sort(files);
    return files;
}

std::vector<std::uint8_t> contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CorpusReplay : public ::testing::TestWithParam<FuzzTarget> {};

// Every input kept in a target's corpus holds its properties in a build without libFuzzer; a
// broken property aborts the program naming the file. A target that returned without checking
// anything would break nothing, so each input must have had properties checked.
TEST_P(CorpusReplay, EveryCorpusInputHoldsItsProperties) {
    const fs::path folder = kCorpus / std::string(GetParam().name);
    ASSERT_TRUE(fs::is_directory(folder)) << folder;
    const std::vector<fs::path> files = corpusFiles(folder);
    EXPECT_FALSE(files.empty()) << "an empty corpus replays nothing: " << folder;
    for (const fs::path& file : files) {
        // An exact-size copy, so that the sanitizers see a read past the end.
        const std::vector<std::uint8_t> input = contents(file);
        setReplayedInput(file.string());
        const std::size_t checkedBefore = checkedProperties();
        EXPECT_EQ(GetParam().entry(input.data(), input.size()), 0) << file;
        EXPECT_GT(checkedProperties(), checkedBefore) << "no property checked: " << file;
    }
    setReplayedInput({});
}

INSTANTIATE_TEST_SUITE_P(Fuzz, CorpusReplay,
                         ::testing::ValuesIn(fuzzTargets().begin(), fuzzTargets().end()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CorpusFolders, EachNamesATarget) {
    std::set<std::string> unknown;
    for (const auto& entry : fs::directory_iterator(kCorpus))
        if (entry.is_directory() && !fuzzTargetNamed(entry.path().filename().string()))
            unknown.insert(entry.path().filename().string());
    EXPECT_THAT(unknown, ::testing::IsEmpty());
}

}  // namespace
}  // namespace tarnwell::fuzz
