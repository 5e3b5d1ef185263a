#include "platform/ui/icon.h"

#include "tests/platform/ui/ico_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

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
    // The image runs past the end of the file; type 2 is a cursor file; no images; no bytes.
    std::vector<unsigned char> cut = good, cursor = good, none = good;
    cut.pop_back(), cursor[2] = 2, none[4] = 0;
    for (const auto& bytes : {cut, cursor, none, std::vector<unsigned char>()})
        EXPECT_TRUE(load(bytes).IsEmpty()) << bytes.size();
    std::remove(path.c_str());
    for (const std::string& missingOrEndless : {path, std::string(), std::string("/dev/zero")})
        EXPECT_TRUE(ui::LoadIconFromFile(missingOrEndless).IsEmpty()) << missingOrEndless;
}
