// Writing one value into the user's INI file: everything else stays as it was, and a failed
// write leaves the old file whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Ini.h"
#include "platform/IniWrite.h"

using namespace tav;
namespace fs = std::filesystem;

namespace {

class IniWriteTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("iniwrite-" + std::to_string(getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        path = (dir / "comtav.ini").string();
    }
    void TearDown() override {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }
    void Put(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    std::string Text() const {
        std::ifstream in(path, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    fs::path dir;
    std::string path;
};

} // namespace

TEST_F(IniWriteTest, SetsTheValueAndKeepsTheRestOfTheFile) {
    struct Case {
        const char* before;
        const char* section;
        const char* key;
        const char* after;
    } cases[] = {
        // The key as written in another case is replaced in place; comments and blanks stay.
        {"; model\n[common]\n deviceid = s \nUSB=1\n\n[TAB]\nAbout=1\n", "Common", "DeviceID",
         "; model\n[common]\nDeviceID=tcp://h\nUSB=1\n\n[TAB]\nAbout=1\n"},
        // A new key goes after the section's last key, before the blank line and the next section.
        {"[Common]\nUSB=1\n\n[TAB]\nAbout=1\n", "COMMON", "DeviceID",
         "[Common]\nUSB=1\nDeviceID=tcp://h\n\n[TAB]\nAbout=1\n"},
        // A missing section is appended after a blank line.
        {"[TAB]\nAbout=1", "Common", "DeviceID", "[TAB]\nAbout=1\n\n[Common]\nDeviceID=tcp://h\n"},
        // The same key in a later section of another name is not touched.
        {"[Other]\nDeviceID=x\n[Common]\n", "Common", "DeviceID",
         "[Other]\nDeviceID=x\n[Common]\nDeviceID=tcp://h\n"},
        // CR LF files keep CR LF.
        {"[Common]\r\nDeviceID=s\r\nUSB=0\r\n", "Common", "DeviceID",
         "[Common]\r\nDeviceID=tcp://h\r\nUSB=0\r\n"},
        // A commented-out key is a comment, not the key.
        {"[Common]\n;DeviceID=old\n", "Common", "DeviceID", "[Common]\n;DeviceID=old\nDeviceID=tcp://h\n"},
    };
    for (const Case& c : cases) {
        Put(c.before);
        std::string error;
        ASSERT_TRUE(WriteIniString(path, c.section, c.key, "tcp://h", &error)) << error;
        EXPECT_EQ(Text(), c.after) << c.before;
        EXPECT_EQ(ReadIniString(path, "Common", "DeviceID", "", 31),
                  c.section == std::string("Common") || c.section == std::string("COMMON") ? "tcp://h" : "s");
    }
}

TEST_F(IniWriteTest, CreatesAPrivateFolderAndFileAndKeepsAnExistingFilesMode) {
    const std::string nested = (dir / "config" / "wintav32" / "comtav.ini").string();
    ASSERT_TRUE(WriteIniString(nested, "Common", "DeviceID", "usb:04f9:2042"));
    EXPECT_EQ(ReadIniString(nested, "Common", "DeviceID", "", 31), "usb:04f9:2042");
    struct stat st;
    ASSERT_EQ(stat((dir / "config" / "wintav32").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(stat(nested.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    Put("[Common]\n");
    chmod(path.c_str(), 0640);
    ASSERT_TRUE(WriteIniString(path, "Common", "DeviceID", "s"));
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // Nothing of the temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

TEST_F(IniWriteTest, RefusesWhatCannotBeStoredAndLeavesTheFileWhole) {
    const std::string before = "[Common]\nDeviceID=s\n";
    Put(before);
    std::string error;
    EXPECT_FALSE(WriteIniString(path, "Common", "DeviceID", "tcp://h\n[TAB]\nAbout=1", &error));
    EXPECT_NE(error.find("line break"), std::string::npos) << error;
    EXPECT_FALSE(WriteIniString(path, "Common", "DeviceID", std::string("a\0b", 3), &error));
    EXPECT_FALSE(WriteIniString(path, "Com]mon", "DeviceID", "x", &error));
    EXPECT_FALSE(WriteIniString(path, "Common", "Device=ID", "x", &error));
    EXPECT_FALSE(WriteIniString(path, "", "DeviceID", "x", &error));
    EXPECT_EQ(Text(), before);

    if (geteuid() != 0) { // root writes anywhere; the folder's mode says nothing to it
        fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
        EXPECT_FALSE(WriteIniString(path, "Common", "DeviceID", "x", &error));
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_EQ(Text(), before);
    }
}
