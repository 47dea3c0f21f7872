// A model profile: everything a simulated printer knows at power-on.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "Ini.h"
#include "Settings.h"

namespace tavsim {

struct PsForm {
    std::string name;
    uint32_t size = 0;
};

struct InfoItem {
    uint8_t type = 0;
    std::string text;
};

struct StatusInfo {
    int code = 10001;
    std::string display = "READY";
    bool online = true;
};

// The engine diagnostic menu: a tree of named entries. An entry has children (a submenu),
// values (a setting chosen with left/right and stored with Enter), or an action text that
// Enter shows on the second line.
struct NuxNode {
    std::string name;
    int parent = -1;
    std::vector<int> children;
    std::vector<std::string> values;
    size_t selected = 0;
    std::string action;
};

struct NuxMenu {
    std::string home1 = "ENGINE MODE";
    std::string home2 = "READY";
    std::string title = "DIAG MENU";
    std::vector<NuxNode> nodes;
    std::vector<int> top;
};

struct Profile {
    std::string path;
    std::string model;
    ModelOptions options;
    SettingsState factory;
    std::vector<FlashFont> fonts;
    std::vector<uint16_t> macros;
    std::vector<PsForm> forms;
    std::vector<uint8_t> infoHeader = {0x00, 0x00};
    std::vector<InfoItem> info;
    StatusInfo status;
    std::vector<std::string> testPages;
    NuxMenu nux;
    IniFile ini;  // the whole file, for sections that commands read for themselves
};

bool LoadProfile(const std::string& path, Profile& out, std::string& error);
bool ParseProfile(const IniFile& ini, Profile& out, std::string& error);

// "01 0a ff" or "010aff"; false on anything but hex digit pairs and blanks.
bool ParseHexBytes(const std::string& text, std::vector<uint8_t>& out);

}  // namespace tavsim
