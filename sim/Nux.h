// The operator panel in engine diagnostic mode: two 16-character lines driven by five keys
// (1 Menu, 2 left, 3 Enter, 4 right, 5 Upper Level) over the profile's menu tree.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "Profile.h"

namespace tavsim {

inline constexpr size_t kNuxReplyLen = 33;

class NuxPanel {
public:
    explicit NuxPanel(const NuxMenu& menu);
    void SetMode(bool on);
    bool Mode() const { return m_mode; }
    // Applies the key (false when the code is not one of the five) and returns the display.
    bool Press(int key);
    std::string Line1() const;
    std::string Line2() const;
    // Byte 0: 0x01 in diagnostic mode, 0x00 outside it; bytes 1-16 and 17-32 the lines, zero-filled.
    std::array<uint8_t, kNuxReplyLen> Reply(const std::string& idleLine) const;

private:
    const std::vector<int>& Siblings(int node) const;
    NuxMenu m_menu;
    bool m_mode = false;
    int m_cursor = -1;  // -1: the home screen
    bool m_editing = false;
    size_t m_editIndex = 0;
    bool m_showAction = false;
};

}  // namespace tavsim
