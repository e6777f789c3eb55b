// Replacing a file as root may: only a regular file is replaced, and nothing planted in the
// folder (a link at the target or at any predictable temporary name) redirects the write.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "hostio/FileReplace.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace tarnwell {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

std::string contents(const fs::path& file) {
    std::stringstream text;
    text << std::ifstream(file, std::ios::binary).rdbuf();
    return text.str();
}

struct Row {
    std::string name;
    // Puts something at the target (and around it) in the folder.
    std::function<void(const fs::path& folder, const fs::path& target)> plant;
    std::string refusal;  // empty: the target ends up holding the new text
};

TEST(FileReplace, WritesOnlyARegularFileAndNeverThroughAPlantedLink) {
    const fs::path folder =
        fs::temp_directory_path() / ("tarnwell-replace-" + std::to_string(std::random_device{}()));
    const auto victim = [&folder] { return folder / "victim"; };
    const std::vector<Row> rows = {
        {"new file", [](auto&, auto&) {}, ""},
        {"old file", [](auto&, auto& target) { std::ofstream(target) << "old, longer text"; }, ""},
        {"folder at the target", [](auto&, auto& target) { fs::create_directory(target); },
         "it is a directory, not a regular file"},
        {"no folder", [](auto& f, auto&) { fs::remove_all(f); },
         "cannot create a temporary file beside"},
#ifndef _WIN32
        {"link at the target", [&](auto&, auto& target) { fs::create_symlink(victim(), target); },
         "it is a symbolic link, not a regular file"},
        {"links at predictable names",
         [&](auto& f, auto&) {
             for (const char* name : {"m.prom.tmp", ".m.prom.tmp", ".m.prom.XXXXXX", "m.prom~"})
                 fs::create_symlink(victim(), f / name);
         },
         ""},
        {"FIFO at the target",
         [](auto&, auto& target) { ASSERT_EQ(::mkfifo(target.c_str(), 0600), 0); },
         "it is a FIFO, not a regular file"},
#endif
    };
    for (const Row& row : rows) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        std::ofstream(victim()) << "secret";
        const fs::path target = folder / "m.prom";
        row.plant(folder, target);
        std::string error;
        const bool replaced = replaceFile(target.string(), "new\n", error);
        EXPECT_EQ(replaced, row.refusal.empty()) << row.name << ": " << error;
        EXPECT_THAT(error, HasSubstr(row.refusal)) << row.name;
        if (!fs::exists(folder))
            continue;
        EXPECT_EQ(contents(victim()), "secret") << row.name;
        if (replaced) {
            EXPECT_EQ(contents(target), "new\n") << row.name;
#ifndef _WIN32
            EXPECT_EQ(fs::status(target).permissions(),
                      fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                          fs::perms::others_read)
                << row.name << ": readable by a collector running as another user";
#endif
        }
        for (const auto& entry : fs::directory_iterator(folder))
            EXPECT_FALSE(entry.path().filename().string().starts_with(".m.prom.") &&
                         !entry.is_symlink())
                << row.name << ": temporary file left behind: " << entry.path();
    }
    fs::remove_all(folder);
}

}  // namespace
}  // namespace tarnwell
