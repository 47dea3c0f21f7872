#include "Nux.h"

#include <algorithm>
#include <cstring>

namespace tavsim {

NuxPanel::NuxPanel(const NuxMenu& menu) : m_menu(menu) {}

void NuxPanel::SetMode(bool on) {
    m_mode = on;
    m_cursor = -1;
    m_editing = false;
    m_showAction = false;
}

const std::vector<int>& NuxPanel::Siblings(int node) const {
    int parent = m_menu.nodes[size_t(node)].parent;
    return parent < 0 ? m_menu.top : m_menu.nodes[size_t(parent)].children;
}

bool NuxPanel::Press(int key) {
    if (key < 1 || key > 5) return false;
    if (!m_mode) return true;
    if (m_cursor < 0) {
        // From the home screen Menu and Enter open the menu; the other keys do nothing.
        if ((key == 1 || key == 3) && !m_menu.top.empty()) m_cursor = m_menu.top[0];
        return true;
    }
    NuxNode& node = m_menu.nodes[size_t(m_cursor)];
    switch (key) {
        case 1:
            SetMode(true);
            break;
        case 2:
        case 4: {
            int step = key == 4 ? 1 : -1;
            m_showAction = false;
            if (m_editing) {
                size_t n = node.values.size();
                m_editIndex = (m_editIndex + n + size_t(step)) % n;
                break;
            }
            const auto& sib = Siblings(m_cursor);
            size_t pos = 0;
            while (pos < sib.size() && sib[pos] != m_cursor) ++pos;
            m_cursor = sib[(pos + sib.size() + size_t(step)) % sib.size()];
            break;
        }
        case 3:
            if (m_editing) {
                node.selected = m_editIndex;
            } else if (!node.children.empty()) {
                m_cursor = node.children[0];
            } else if (!node.values.empty()) {
                m_editing = true;
                m_editIndex = node.selected;
            } else if (!node.action.empty()) {
                m_showAction = true;
            }
            break;
        case 5:
            if (m_editing || m_showAction) {
                m_editing = false;
                m_showAction = false;
            } else {
                m_cursor = node.parent;  // from the top level back to the home screen
            }
            break;
    }
    return true;
}

std::string NuxPanel::Line1() const {
    if (m_cursor < 0) return m_menu.home1;
    const NuxNode& node = m_menu.nodes[size_t(m_cursor)];
    if (m_editing || m_showAction) return node.name;
    return node.parent < 0 ? m_menu.title : m_menu.nodes[size_t(node.parent)].name;
}

std::string NuxPanel::Line2() const {
    if (m_cursor < 0) return m_menu.home2;
    const NuxNode& node = m_menu.nodes[size_t(m_cursor)];
    if (m_editing) return (m_editIndex == node.selected ? "*" : "") + node.values[m_editIndex];
    if (m_showAction) return node.action;
    return node.name;
}

std::array<uint8_t, kNuxReplyLen> NuxPanel::Reply(const std::string& idleLine) const {
    std::array<uint8_t, kNuxReplyLen> out{};
    out[0] = m_mode ? 0x01 : 0x00;
    std::string l1 = m_mode ? Line1() : idleLine;
    std::string l2 = m_mode ? Line2() : std::string();
    std::memcpy(&out[1], l1.data(), std::min<size_t>(l1.size(), 16));
    std::memcpy(&out[17], l2.data(), std::min<size_t>(l2.size(), 16));
    return out;
}

}  // namespace tavsim
