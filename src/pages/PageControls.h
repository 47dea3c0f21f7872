// Small helpers the Config, Job and Color pages share for putting values into controls and
// reading them back, as a dialog's data exchange does.
#pragma once
#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QStringList>
#include <string>
#include <vector>

#include "pages/TavPage.h"

namespace tav {

// Selects item i, or nothing when i is not an item of the list.
inline void SetListIndex(QComboBox* list, int i) {
    list->setCurrentIndex(i >= 0 && i < list->count() ? i : -1);
}

// The checked button's id in the group, -1 when none is.
inline int CheckedIndex(const QButtonGroup* group) {
    return group->checkedId();
}

// Checks button i of the group, or none when i is not one of its ids.
inline void SetCheckedIndex(QButtonGroup* group, int i) {
    if (QAbstractButton* b = group->button(i)) {
        b->setChecked(true);
        return;
    }
    if (QAbstractButton* b = group->checkedButton()) {
        group->setExclusive(false);
        b->setChecked(false);
        group->setExclusive(true);
    }
}

inline void FillList(QComboBox* list, const std::vector<std::string>& texts) {
    list->clear();
    for (const std::string& t : texts)
        list->addItem(FromStd(t));
}

} // namespace tav
