#pragma once
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

// A test that works in a fresh folder, removed with everything in it afterwards.
class InTemporaryFolder : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = MakeTemporaryFolder("kestrovane-test-");
        ASSERT_FALSE(folder_.empty());
    }
    void TearDown() override { RemoveTree(folder_); }

    std::string PathOf(const std::string& name) const { return folder_ + "/" + name; }

    std::string WriteFile(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(PathOf(name), std::ios::binary | std::ios::trunc) << bytes;
        return PathOf(name);
    }

    static std::string ReadFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string folder_;
};
