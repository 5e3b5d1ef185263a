#include "platform/ui/icon.h"

#include "tests/platform/ui/ico_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>

namespace ui = platform::ui;

TEST(Icon, DamagedMissingOrEndlessFilesLoadAsNoIcon)
{
    const std::vector<unsigned char> good = MakeIcoFile(16, 200, 40, 40);
    const std::string path = testing::TempDir() + "kestrovane-icon-test.ico";
    auto load = [&path](const std::vector<unsigned char>& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return ui::LoadIconFromFile(path);
    };
    EXPECT_FALSE(load(good).IsEmpty());
    const std::function<void(std::vector<unsigned char>&)> damages[] = {
        [](std::vector<unsigned char>& b) { b.pop_back(); },  // the image runs past the end of the file
        [](std::vector<unsigned char>& b) { b[2] = 2; },      // type 2 is a cursor file
        [](std::vector<unsigned char>& b) { b[4] = 0; },      // no images
        [](std::vector<unsigned char>& b) { b.clear(); },
    };
    for (const auto& damage : damages) {
        std::vector<unsigned char> bytes = good;
        damage(bytes);
        EXPECT_TRUE(load(bytes).IsEmpty()) << bytes.size();
    }
    std::remove(path.c_str());
    EXPECT_TRUE(ui::LoadIconFromFile(path).IsEmpty());
    EXPECT_TRUE(ui::LoadIconFromFile("").IsEmpty());
    EXPECT_TRUE(ui::LoadIconFromFile("/dev/zero").IsEmpty()) << "an endless device is not read";
}
