// The file tests' fixture: each test writes in a folder of its own, naming
// files by their place in it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "tests/support/scratch_folder.h"

class ScratchTest : public ::testing::Test {
protected:
    std::string Path(const std::string &name) const { return (folder_ / name).string(); }
    void Put(const std::string &name, const std::string &text) const { scratch_.Put(name, text); }
    std::string Read(const std::string &name) const { return scratch_.Read(name); }
    // The names in the folder; links are listed, not followed.
    std::set<std::string> Held() const { return scratch_.Names(); }

    scratch::Folder scratch_;
    const std::filesystem::path folder_ = scratch_.Path();
};
