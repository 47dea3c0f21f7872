// Each installed man page is the one source of its program's documentation: every option,
// command, action, exit status and wait that the program's own --help names is on its page, and
// every --json it prints has its shape there.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <sstream>

#include "JsonShape.h"
#include "RunProgram.h"

namespace {

using Words = std::vector<std::string>;

// The words of a text, split at blanks and at the punctuation the helps list things with.
Words Split(const std::string& text) {
    std::string spaced = text;
    for (char& c : spaced)
        if (std::string_view("[]|(),;:").find(c) != std::string_view::npos) c = ' ';
    std::istringstream in(spaced);
    Words out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

// The words the page does not hold (as before + word + after), one a line.
std::string Missing(const std::string& page, const Words& words, const std::string& before = "",
                    const std::string& after = "") {
    std::string missing;
    for (const std::string& w : words)
        if (page.find(before + w + after) == std::string::npos) missing += w + "\n";
    return missing;
}

// What a help names: its options (--NAME, -h), the first words of its lines indented by two (the
// commands and actions), and its waits ("N seconds").
Words Named(const std::string& help) {
    Words out;
    const Words words = Split(help);
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w.size() > 1 && w[0] == '-' && std::islower(static_cast<unsigned char>(w.back())))
            out.push_back(w.substr(0, w.find('=')));
        if (i + 1 < words.size() && words[i + 1] == "seconds" && std::all_of(w.begin(), w.end(), ::isdigit))
            out.push_back(w + " seconds");
    }
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);)
        if (line.size() > 2 && line.rfind("  ", 0) == 0 && std::islower(static_cast<unsigned char>(line[2])))
            out.push_back(Split(line)[0]);
    return out;
}

std::string Help(const std::string& program, const Words& args) {
    const tavtest::ProgramResult r = tavtest::RunProgram(program, args, {}, ::testing::TempDir());
    EXPECT_EQ(r.status, 0) << program;
    return r.out + r.err;
}

// The text from start up to the end (or the text's end).
std::string Between(const std::string& text, const std::string& start, const std::string& end) {
    const size_t at = std::min(text.find(start), text.size());
    return text.substr(at, text.find(end, at) - at);
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
        EXPECT_EQ(Missing(page, Named(help)), "");
        Words statuses;
        for (const std::string& w : Split(Between(help, "Exit status:", "\n\n")))
            if (w.size() == 1 && std::isdigit(static_cast<unsigned char>(w[0]))) statuses.push_back(w);
        EXPECT_EQ(Missing(page, statuses, "\n.B ", "\n"), "") << "exit statuses";
        const auto shape = shapes.lower_bound(command);
        EXPECT_TRUE(command.empty() || help.find("--json") == std::string::npos ||
                    (shape != shapes.end() && shape->first.rfind(command, 0) == 0))
            << "no JSON shape";
    }
    // The simulator's options and faults, which it lists on standard error.
    const std::string sim = tavtest::ManPageWords(tavtest::ReadFileText(MAN_DIR "tavsim.1"));
    const std::string usage = Help(TAVSIM_PATH, {"--help"});
    EXPECT_EQ(Missing(sim, Named(usage)), "");
    Words faults = Split(Between(usage, "faults:", "aimed"));
    faults.erase(faults.begin());
    for (std::string& f : faults)
        f = f.substr(0, f.find('='));
    EXPECT_GE(faults.size(), 10u);
    EXPECT_EQ(Missing(sim, faults), "");
}
