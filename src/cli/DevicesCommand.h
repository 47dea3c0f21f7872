// tavctl devices: the printers this computer can reach, found without opening them.
#pragma once
#include <string>
#include <vector>

namespace tav::cli {

// Whether HOST (or HOST:PORT, 9100 by default) accepts a connection within timeoutMs.
bool AnswersOnPort(const std::string& hostAndPort, int timeoutMs);

// Runs "devices" with the arguments after the command; returns the exit status.
int RunDevicesCommand(const std::vector<std::string>& args);

} // namespace tav::cli
