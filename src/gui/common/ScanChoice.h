#pragma once
/// What the wizard hands to the scan page: the chosen backup, its password
/// and the category options ticked on the category page.

#include "backup/BackupInfo.h"
#include "core/Categories.h"
#include "scan/ScanRun.h"

#include <QString>

#include <array>

namespace orvelle::gui {

struct ScanChoice {
    BackupInfo backup;
    QString password;                        ///< empty for a plain backup
    std::array<bool, kCategories.size()> ticked{}; ///< by position in kCategories

    /// True when `category` is ticked (by its option, or with its group for QQ and WeChat).
    bool isTicked(const CategoryInfo& category) const;
    /// Ticks the categories the category page does not offer (QQ, WeChat)
    /// when any option of their group is ticked, and unticks them otherwise:
    /// they come with the other chats and call logs.
    void includeUnoffered();
    /// The engine's request for this choice.
    ScanRequest request() const;
};

} // namespace orvelle::gui
