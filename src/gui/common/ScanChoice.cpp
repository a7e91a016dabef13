#include "gui/common/ScanChoice.h"

namespace orvelle::gui {

bool ScanChoice::isTicked(const CategoryInfo& category) const {
    for (std::size_t i = 0; i < kCategories.size(); ++i)
        if (kCategories[i].kind == category.kind) return ticked[i];
    return false;
}

void ScanChoice::includeUnoffered() {
    for (std::size_t i = 0; i < kCategories.size(); ++i) {
        if (onCategoryPage(kCategories[i])) continue;
        bool groupTicked = false;
        for (std::size_t j = 0; j < kCategories.size(); ++j)
            groupTicked = groupTicked || (ticked[j] && onCategoryPage(kCategories[j]) &&
                                          kCategories[j].group == kCategories[i].group);
        ticked[i] = groupTicked;
    }
}

ScanRequest ScanChoice::request() const {
    ScanRequest request;
    request.backup = backup;
    request.password = password.toStdString();
    for (std::size_t i = 0; i < kCategories.size(); ++i)
        if (ticked[i] && kCategories[i].kind != ItemKind::None) request.categories.insert(kCategories[i].kind);
    return request;
}

} // namespace orvelle::gui
