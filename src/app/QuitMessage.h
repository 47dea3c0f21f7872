// The quit message "Quorvex PanelMgr": every running wintav32 listens on a local socket of its
// own, "Quorvex PanelMgr.<pid>" in the user's runtime folder, so copies started under other
// titles (other models) never take each other's socket away. Any program that connects to one
// makes that copy give back the port and end at once; a broadcast connects to them all.
#pragma once
#include <string>
#include <vector>

namespace tav {

inline constexpr const char* kQuitMessageName = "Quorvex PanelMgr";

// Full path of this process's socket.
std::string QuitMessagePath();
// The sockets of every copy that may be listening, this process's own included.
std::vector<std::string> QuitMessagePaths();
// Removes the sockets of copies that are no longer running (a copy that died leaves its socket).
void RemoveStaleQuitMessages();

} // namespace tav
