// The Check page: how far the replaceable parts have been used, read once from the printer's
// information report when the page is first shown.
#pragma once
#include <array>

#include "pages/TavPage.h"
#include "pjl/CheckInfo.h"

class QLineEdit;

namespace tav {

class CCheck : public TavPage {
    Q_OBJECT
  public:
    explicit CCheck(AppContext& ctx, QWidget* parent = nullptr);

    enum Row { Imaging, Belt, Fuser, Pickup, MpTray, Tray1, Tray2, RowCount };
    struct RowDef {
        int labelId;
        const char* labelKey;
        int valueId;
        unsigned itemType;
        int unitId;
        const char* unitKey;
        bool shown;
    };
    static const std::array<RowDef, RowCount>& Rows();

    // The value text of a row (what the page holds, whether or not the row is shown).
    const std::string& Value(Row row) const { return m_values[row]; }

  protected:
    void OnInitDialog() override;

  private:
    void ReadReport();
    std::array<std::string, RowCount> m_values;
    std::array<QLineEdit*, RowCount> m_edits{};
};

} // namespace tav
