// The two PostScript pages: both edit whether PostScript errors are printed and print the font
// list. CPostS3 adds the flash directory print and flash format; CPostS4 the form list.
#pragma once
#include <string>

#include "pages/TavPage.h"
#include "storage/ListingCheck.h"

class QButtonGroup;
class QPushButton;
class QTreeWidget;

namespace tav {

class CPostS3 : public TavPage {
    Q_OBJECT
  public:
    explicit CPostS3(AppContext& ctx, QWidget* parent = nullptr);
    void LoadFromSettings() override;

    void OnErrorRadio();
    void OnPrintFontList();
    void OnPrintFlashDirectory();
    void OnFormatFlash();

  protected:
    void OnInitDialog() override;

  private:
    int m_errorIndex = 0;
    QButtonGroup* m_radios = nullptr;
};

class CPostS4 : public TavPage {
    Q_OBJECT
  public:
    explicit CPostS4(AppContext& ctx, QWidget* parent = nullptr);
    void LoadFromSettings() override;
    void OnSetActive() override;

    void OnErrorRadio();
    void OnRefresh();
    void OnAdd();
    void OnDeleteAll();
    void OnPrintFormList();
    void OnPrintFontList();
    QTreeWidget* FormList() const { return m_list; }

  protected:
    void OnInitDialog() override;

  private:
    void EnableButtons(bool add, bool deleteAll, bool fontList, bool formList);
    // The store's form listing in the list.
    void ShowForms();
    // The listing read after an action: shown, and what contradicts the action named with the
    // FMU text notTakenKey.
    void ShowConfirmed(const ListingCheck<std::string>& check, const char* notTakenKey);

    int m_errorIndex = 0;
    QButtonGroup* m_radios = nullptr;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_deleteAll = nullptr;
    QPushButton* m_formList = nullptr;
    QPushButton* m_fontList = nullptr;
};

} // namespace tav
