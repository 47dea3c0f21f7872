// Runs a built program in a child process with a chosen environment and collects what it wrote.
#pragma once
#include <map>
#include <string>
#include <vector>

namespace tavtest {

struct ProgramResult {
    int status = -1;  // exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
    // The waits the test build of tavctl was asked for, in order (milliseconds); none for others.
    std::vector<unsigned> waits;
    unsigned TotalWaitMs() const;
};

// Runs program with args; env entries are added to (or replace) the test's own environment. The
// waits are recorded in scratchDir unless env names a wait log of its own.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& env, const std::string& scratchDir);

std::string ReadFileText(const std::string& path);  // "" when it does not exist

}  // namespace tavtest
