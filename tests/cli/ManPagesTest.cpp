// Each installed man page is the one source of its program's documentation: every option,
// command, action, exit status and wait that the program's own --help names is on its page, and
// every --json it prints has its shape there.
#include <gtest/gtest.h>

#include <regex>

#include "JsonShape.h"
#include "RunProgram.h"

namespace {

// The first group of every match of the pattern in the text that the page does not hold (as
// before + match + after), one a line.
std::string Missing(const std::string& page, const std::string& text, const char* pattern,
                    const std::string& before = "", const std::string& after = "") {
    std::string missing;
    const std::regex re(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
        if (page.find(before + (*it)[1].str() + after) == std::string::npos) missing += (*it)[1].str() + "\n";
    return missing;
}

std::string Help(const std::string& program, const std::vector<std::string>& args) {
    const tavtest::ProgramResult r = tavtest::RunProgram(program, args, {}, ::testing::TempDir());
    EXPECT_EQ(r.status, 0) << program;
    return r.out + r.err;
}

} // namespace

TEST(ManPages, WhatTheHelpNamesIsOnThePage) {
    const std::string roff = tavtest::ReadFileText(MAN_DIR "tavctl.1");
    const std::string page = tavtest::ManPageWords(roff);
    const auto shapes = tavtest::ManPageJsonShapes(roff);
    for (const std::string command :
         {"", "query", "set", "default", "check", "test-print", "backup", "restore", "firmware", "flash",
          "psforms", "psflash", "psfs", "devices"}) {
        SCOPED_TRACE(command);
        std::string help = Help(TAVCTL_SHIPPED_PATH, {command.empty() ? "--help" : command, "--help"});
        help = help.substr(0, help.find("\nSettings and their keywords")); // the page points to set --help
        const std::string exit = help.substr(std::min(help.find("Exit status:"), help.size()));
        EXPECT_EQ(Missing(page, help, R"((?:^|[\s\[|(,])(--?[a-z][a-z-]*))"), "") << "options";
        EXPECT_EQ(Missing(page, help, R"(\n  ([a-z][a-z-]+)\b)"), "") << "commands and actions";
        EXPECT_EQ(Missing(page, help, R"(\b(\d+ seconds))"), "") << "waits";
        EXPECT_EQ(Missing(page, exit.substr(0, exit.find("\n\n")), R"([:;,]\s+(\d) [a-z])", "\n.B ", "\n"),
                  "")
            << "exit statuses";
        const auto shape = shapes.lower_bound(command);
        EXPECT_TRUE(command.empty() || help.find("--json") == std::string::npos ||
                    (shape != shapes.end() && shape->first.rfind(command, 0) == 0))
            << "no JSON shape";
    }
    // The simulator's options and faults, which it lists on standard error.
    const std::string sim = tavtest::ManPageWords(tavtest::ReadFileText(MAN_DIR "tavsim.1"));
    const std::string usage = Help(TAVSIM_PATH, {"--help"});
    EXPECT_EQ(Missing(sim, usage, R"((--[a-z][a-z-]*))"), "");
    const std::string faults = usage.substr(usage.find("faults:"));
    EXPECT_EQ(Missing(sim, faults, R"(([a-z][a-z-]+)(?:=[A-Z]+)?[,;])"), "");
    EXPECT_GE(std::count(faults.begin(), faults.end(), ','), 9);
}
