// The quit message "Quorvex PanelMgr": a local socket of that name in the user's runtime folder.
// Any program that connects to it makes a running wintav32 give back the port and end at once.
#pragma once
#include <string>

namespace tav {

inline constexpr const char* kQuitMessageName = "Quorvex PanelMgr";

// Full path of the socket.
std::string QuitMessagePath();

} // namespace tav
