#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Platform.h"
#include "platform/UiHost.h"
#include "platform/UserFile.h"
#include "RecordingUiHost.h"

using namespace tav;

TEST(Platform, ProgramFolderFollowsTheOverride) {
    setenv("WINTAV32_HOME", "/opt/tav", 1);
    EXPECT_EQ(ProgramFolder(), "/opt/tav/");
    unsetenv("WINTAV32_HOME");
    std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(folder + "platform_test"));
}

TEST(Platform, RegistryStandInReadsByKeyPathAndValueName) {
    auto file = std::filesystem::temp_directory_path() / ("tav-reg-test-" + std::to_string(getpid()) + ".ini");
    std::ofstream(file) << "[Software\\QVPrint\\OEM1]\nTavCntCode=KR\nEmpty=\n";
    setenv("TAV_REGISTRY_CU", file.c_str(), 1);
    std::string v;
    EXPECT_TRUE(RegistryReadString(RegistryRoot::CurrentUser, "software\\qvprint\\oem1", "TavCntCode", v));
    EXPECT_EQ(v, "KR");
    EXPECT_TRUE(RegistryReadString(RegistryRoot::CurrentUser, "Software\\QVPrint\\OEM1", "Empty", v));
    EXPECT_EQ(v, "");
    EXPECT_FALSE(RegistryReadString(RegistryRoot::CurrentUser, "Software\\QVPrint\\OEM2", "TavCntCode", v));
    // The two roots are separate files.
    setenv("TAV_REGISTRY_LM", "/nonexistent/registry.ini", 1);
    EXPECT_FALSE(RegistryReadString(RegistryRoot::LocalMachine, "Software\\QVPrint\\OEM1", "TavCntCode", v));
    unsetenv("TAV_REGISTRY_LM");
    unsetenv("TAV_REGISTRY_CU");
    std::filesystem::remove(file);
}

TEST(Platform, SingleInstanceHeldUntilReleasedAndFreedByADeadHolder) {
    const std::string name = "Tav Test Instance " + std::to_string(getpid());
    {
        SingleInstance first(name);
        EXPECT_FALSE(first.AlreadyExists());
        SingleInstance second(name);
        EXPECT_TRUE(second.AlreadyExists());
        // Another process sees it too.
        pid_t pid = fork();
        if (pid == 0) _exit(SingleInstance(name).AlreadyExists() ? 0 : 1);
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    // A holder killed outright frees the name.
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t holder = fork();
    if (holder == 0) {
        SingleInstance held(name);
        char c = held.AlreadyExists() ? 'n' : 'y';
        (void)!write(ready[1], &c, 1);
        pause();
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    EXPECT_EQ(c, 'y');
    EXPECT_TRUE(SingleInstance(name).AlreadyExists());
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    EXPECT_FALSE(SingleInstance(name).AlreadyExists());
    close(ready[0]);
    close(ready[1]);
}

TEST(Platform, PrivateTempFolderIsOnlyOurs) {
    std::string dir = PrivateTempFolder();
    ASSERT_FALSE(dir.empty());
    struct stat st;
    ASSERT_EQ(stat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(PrivateTempFolder(), dir);
    std::ofstream(dir + "fmutmp.pba") << "text";

    // A forked child's exit leaves the folder alone; a child's own folder goes with its exit.
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const std::string own = PrivateTempFolder();
        std::ofstream(own + "fmutmp.pba") << "text";
        const bool written = write(pipeFds[1], own.data(), own.size()) == static_cast<ssize_t>(own.size());
        std::exit(written && own != dir ? 0 : 1);
    }
    close(pipeFds[1]);
    char childDir[4096] = {};
    const ssize_t n = read(pipeFds[0], childDir, sizeof childDir - 1);
    close(pipeFds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0);
    ASSERT_GT(n, 0);
    EXPECT_FALSE(std::filesystem::exists(childDir)) << childDir;
    EXPECT_TRUE(std::filesystem::exists(dir + "fmutmp.pba"));
    RemovePrivateTempFolder();
    EXPECT_FALSE(std::filesystem::exists(dir));
}

TEST(Platform, SafeFileNameKeepsNamesInsideTheFolder) {
    EXPECT_EQ(SafeFileName("../../etc/passwd"), "_.._.._etc_passwd");
    EXPECT_EQ(SafeFileName("Quorvex Panel"), "Quorvex_Panel");
    EXPECT_EQ(SafeFileName(""), "_");
}

TEST(Platform, DebugOutGoesToTheNamedFileVerbatim) {
    auto file = std::filesystem::temp_directory_path() / ("tav-debug-" + std::to_string(getpid()) + ".log");
    setenv("TAV_DEBUG_FILE", file.c_str(), 1);
    DebugOut("100% %s %n\n");
    unsetenv("TAV_DEBUG_FILE");
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "100% %s %n");
    std::filesystem::remove(file);
}

TEST(UiHost, RecordingHostAnswersFromItsScriptAndNeverSaysYesUnasked) {
    RecordingUiHost ui;
    EXPECT_EQ(ui.MessageBox("q", "t", MsgIcon::Question, MsgButtons::YesNo), MsgResult::No);
    ui.answers.push_back(MsgResult::Yes);
    EXPECT_EQ(ui.MessageBox("q", "t", MsgIcon::Question, MsgButtons::YesNo), MsgResult::Yes);
    EXPECT_EQ(ui.MessageBox("i", "t", MsgIcon::None, MsgButtons::Ok), MsgResult::Ok);
    {
        WaitCursor w(ui);
        ui.Wait(40000);
        EXPECT_EQ(ui.waitCursorDepth, 1);
    }
    EXPECT_EQ(ui.waitCursorDepth, 0);
    EXPECT_EQ(ui.Waits(), std::vector<unsigned>{40000});
    EXPECT_EQ(ui.Messages().size(), 3u);
}

// Every path a user names is opened through this; a FIFO without a writer would block a plain
// open for ever, and a device node must not be opened at all.
TEST(Platform, OnlyRegularFilesAreReadAndNoOpenWaits) {
    const std::string dir = std::filesystem::temp_directory_path() / ("tav-userfile-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir + "/font.bin") << "abc";
    std::ofstream(dir + "/big.bin") << std::string(100, 'x');
    ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);
    std::filesystem::create_symlink(dir + "/fifo", dir + "/link-to-fifo");
    struct Row {
        std::string path;
        bool read;
        UserFileError error;
    } rows[] = {
        {dir + "/font.bin", true, UserFileError::None},
        {dir + "/big.bin", false, UserFileError::TooLarge},
        {dir + "/absent.bin", false, UserFileError::Missing},
        {"", false, UserFileError::Missing},
        {dir, false, UserFileError::NotRegular},
        {dir + "/fifo", false, UserFileError::NotRegular},
        {dir + "/link-to-fifo", false, UserFileError::NotRegular},
        {"/dev/null", false, UserFileError::NotRegular},
    };
    for (const Row& row : rows) {
        std::string contents = "stale";
        UserFileError error = UserFileError::None;
        EXPECT_EQ(ReadRegularFile(row.path, contents, 50, error), row.read) << row.path;
        EXPECT_EQ(error, row.error) << row.path;
        EXPECT_EQ(contents, row.read ? "abc" : "") << row.path;
    }
    RegularFile file(dir + "/font.bin");
    ASSERT_TRUE(file.IsOpen());
    EXPECT_EQ(file.Size(), 3u);
    char buf[8] = {};
    EXPECT_EQ(file.Read(buf, sizeof buf), 3u);
    std::filesystem::remove_all(dir);
}
