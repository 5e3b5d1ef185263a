#include "platform/ui/icon.h"

#include "ico_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace ui = platform::ui;

namespace {

std::string WriteFile(const std::string& name, const std::vector<unsigned char>& bytes)
{
    char pattern[] = "/tmp/kestrovane-icon-XXXXXX";
    const std::string path = std::string(mkdtemp(pattern)) + "/" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
}

}  // namespace

TEST(Icon, DamagedOrMissingFilesLoadAsNoIcon)
{
    const std::vector<unsigned char> good = MakeIcoFile(16, 200, 40, 40);
    EXPECT_FALSE(ui::LoadIconFromFile(WriteFile("good.ico", good)).IsEmpty());

    std::vector<unsigned char> truncated = good;  // the image runs past the end of the file
    truncated.resize(truncated.size() - 1);
    EXPECT_TRUE(ui::LoadIconFromFile(WriteFile("truncated.ico", truncated)).IsEmpty());

    std::vector<unsigned char> cursor = good;  // type 2 is a cursor file
    cursor[2] = 2;
    EXPECT_TRUE(ui::LoadIconFromFile(WriteFile("cursor.ico", cursor)).IsEmpty());

    std::vector<unsigned char> empty = good;  // no images
    empty[4] = 0;
    EXPECT_TRUE(ui::LoadIconFromFile(WriteFile("empty.ico", empty)).IsEmpty());

    EXPECT_TRUE(ui::LoadIconFromFile(WriteFile("zero.ico", {})).IsEmpty());
    EXPECT_TRUE(ui::LoadIconFromFile("/nonexistent/Kestrovane.ico").IsEmpty());
    EXPECT_TRUE(ui::LoadIconFromFile("").IsEmpty());
    EXPECT_TRUE(ui::LoadIconFromFile("/dev/zero").IsEmpty()) << "an endless device is not read";
}

TEST(Icon, RegisteredResourcesServeAsBuiltInIcons)
{
    EXPECT_TRUE(ui::LoadIconResource(9128).IsEmpty());
    ui::RegisterIconResource(9128, MakeIcoFile(32, 0, 0, 255));
    const ui::Icon icon = ui::LoadIconResource(9128);
    ASSERT_FALSE(icon.IsEmpty());
    EXPECT_EQ(icon.Origin(), "resource 9128");
    EXPECT_EQ(icon.Bytes(), MakeIcoFile(32, 0, 0, 255));
}
