// The PostScript font and form manager: fonts and forms kept as files in the printer's memory or
// on its hard disk. Downloads, lists, deletes, sizes and the storage report; the printer traffic
// is FmuProtocol's.
#pragma once
#include <string>
#include <vector>

#include "pages/TavPage.h"
#include "storage/FmuProtocol.h"
#include "storage/ListingCheck.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QListWidget;
class QTreeWidget;

namespace tav {

enum FmuDataFilter { FMU_SELECTED_DATA_ALL = 0, FMU_SELECTED_DATA_FONT = 1, FMU_SELECTED_DATA_FORM = 2 };

class CFMUTab : public TavPage {
    Q_OBJECT
  public:
    explicit CFMUTab(AppContext& ctx, QWidget* parent = nullptr);
    ~CFMUTab() override;

    void LoadFromSettings() override;
    void OnSetActive() override;

    // Handlers, public so tests drive them as the controls do.
    void OnFmuButtonFiledialog();
    void OnFmuButtonDownload();
    void OnFmuButtonReset();
    void OnFmuRadioAll() { SelectFilter(FMU_SELECTED_DATA_ALL); }
    void OnFmuRadioFont() { SelectFilter(FMU_SELECTED_DATA_FONT); }
    void OnFmuRadioForm() { SelectFilter(FMU_SELECTED_DATA_FORM); }
    void OnFmuRadioMemory() { SelectTarget(FMU_SELECTED_TARGET_DIMM); }
    void OnFmuRadioHdd() { SelectTarget(FMU_SELECTED_TARGET_HDD); }
    void OnFmuButtonDelete();
    void OnFmuButtonRefresh();
    void OnFmuButtonReport();
    void OnPs3Fontlist();
    int UpdateMemoryStatus();

    void AddItemToListCtrl(const std::string& name, int32_t type);
    void DeleteItemFromListCtrl(const std::string& name, int32_t type);
    void RefreshListCtrl();

    const std::vector<FmuFileEntry>& Entries() const { return m_rFontInfo; }
    int DataType() const { return m_nDataType; }
    int TargetType() const { return m_nTargetType; }
    // How the download reaches the printer; the progress dialog unless set.
    void SetFileSender(FmuFileSender sender) { m_sender = std::move(sender); }

  protected:
    void OnInitDialog() override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void InitializeUI();
    void LoadUIString();
    void EnableManager(bool on);
    void SelectFilter(int filter);
    void SelectTarget(int target);
    // One download; returns false when the run is to stop.
    bool DownloadOne(const std::string& path, int& downloaded, int count);
    // Reads the lists after deletions: they become what the page shows, and what is still there is named.
    void ConfirmDeleted(const std::vector<FmuFileEntry>& deleted);
    // The lists read after an action become what the page shows; what contradicts the action is
    // named with the FMU text notTakenKey. True when they show the action done.
    bool ShowListing(const ListingCheck<FmuFileEntry>& check, std::vector<FmuFileEntry>& listing,
                     const char* notTakenKey);

    FmuLog m_log;
    FmuProtocol m_proto;
    FmuFileSender m_sender;
    std::vector<FmuFileEntry> m_rFontInfo;
    int m_nDataType = FMU_SELECTED_DATA_ALL;
    int m_nTargetType = FMU_SELECTED_TARGET_DIMM;
    int m_errorPrint = 0;
    bool m_columnMade = false;

    QButtonGroup* m_dataGroup = nullptr;
    QButtonGroup* m_targetGroup = nullptr;
    QButtonGroup* m_errorGroup = nullptr;
    QListWidget* m_pending = nullptr;
    QTreeWidget* m_list = nullptr;
    QGroupBox* m_listBox = nullptr;
    QGroupBox* m_sizeBox = nullptr;
    QLabel* m_total = nullptr;
    QLabel* m_used = nullptr;
    QLabel* m_available = nullptr;
};

} // namespace tav
