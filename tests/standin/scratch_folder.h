// A fresh folder for each test of files, holding what the test puts there.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

class ScratchFolder : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::temp_directory_path() /
                  ("standin_" + std::string(test->test_suite_name()) + "_" + test->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string Path(const std::string &name) const { return (folder_ / name).string(); }

    void Put(const std::string &name, const std::string &text) const {
        std::ofstream(Path(name), std::ios::binary) << text;
    }

    std::string Read(const std::string &name) const {
        std::ifstream file(Path(name), std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    // The names in the folder; links are listed, not followed.
    std::vector<std::string> Held() const {
        std::vector<std::string> names;
        for (const auto &entry : std::filesystem::directory_iterator(folder_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::filesystem::path folder_;
};
