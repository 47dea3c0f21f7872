// Each installed man page is the one source of its program's documentation: every option,
// command, action, exit status and wait that the program's own --help names is on its page, and
// every --json it prints has its shape there.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "JsonShape.h"
#include "RunProgram.h"

using tavtest::ReadFileText;

namespace {

std::string Help(const std::string& program, const std::vector<std::string>& args, bool onStderr = false) {
    const tavtest::ProgramResult r = tavtest::RunProgram(program, args, {}, ::testing::TempDir());
    EXPECT_EQ(r.status, 0) << program;
    return onStderr ? r.err : r.out;
}

// Every match of the pattern's first group in the text.
std::set<std::string> Words(const std::string& text, const char* pattern) {
    std::set<std::string> out;
    const std::regex re(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
        out.insert((*it)[1]);
    return out;
}

} // namespace

TEST(ManPages, WhatTheHelpNamesIsOnThePage) {
    const std::string roff = ReadFileText(MAN_DIR "tavctl.1");
    const std::string page = tavtest::ManPageWords(roff);
    const auto shapes = tavtest::ManPageJsonShapes(roff);
    for (const char* command : {"", "query", "set", "default", "check", "test-print", "backup", "restore",
                                "firmware", "flash", "psforms", "psflash", "psfs", "devices"}) {
        SCOPED_TRACE(command);
        std::string help = Help(TAVCTL_SHIPPED_PATH, *command ? std::vector<std::string>{command, "--help"}
                                                              : std::vector<std::string>{"--help"});
        help = help.substr(0, help.find("\nSettings and their keywords")); // the page points to set --help
        const size_t exit = help.find("Exit status:");
        const std::string statuses =
            exit == std::string::npos ? "" : help.substr(exit, help.find("\n\n", exit) - exit);
        // Options, the commands and actions a help lists first on its lines, the waits.
        for (const std::string& w : Words(help, R"((?:^|[\s\[|(,])(--?[a-z][a-z-]*))"))
            EXPECT_NE(page.find(w), std::string::npos) << w;
        for (const std::string& w : Words(help, R"(\n  ([a-z][a-z-]+)\b)"))
            EXPECT_NE(page.find(w), std::string::npos) << w;
        for (const std::string& w : Words(help, R"(\b(\d+ seconds))"))
            EXPECT_NE(page.find(w), std::string::npos) << w;
        for (const std::string& w : Words(statuses, R"([:;,]\s+(\d) [a-z])"))
            EXPECT_NE(page.find("\n.B " + w + "\n"), std::string::npos) << "exit status " << w;
        if (*command && help.find("--json") != std::string::npos) {
            const auto shape = shapes.lower_bound(command);
            EXPECT_TRUE(shape != shapes.end() && shape->first.rfind(command, 0) == 0) << "no JSON shape";
        }
    }
    // The simulator's options and faults.
    const std::string sim = tavtest::ManPageWords(ReadFileText(MAN_DIR "tavsim.1"));
    const std::string usage = Help(TAVSIM_PATH, {"--help"}, true);
    std::set<std::string> said = Words(usage, R"((--[a-z][a-z-]*))");
    const std::set<std::string> faults =
        Words(usage.substr(usage.find("faults:")), R"(([a-z][a-z-]+)(?:=[A-Z]+)?[,;])");
    said.insert(faults.begin(), faults.end());
    EXPECT_GE(faults.size(), 10u);
    for (const std::string& w : said)
        EXPECT_NE(sim.find(w), std::string::npos) << w;
}
