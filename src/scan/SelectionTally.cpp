#include "scan/SelectionTally.h"

#include "scan/ScanResults.h"

#include <algorithm>

namespace orvelle {

namespace {

constexpr std::uint64_t kMinimumItemSize = 1024;

using Counter = std::uint32_t TallyNode::*;

/// Applies `delta` (+1 or -1) to `counter` of `node` and every ancestor, each
/// value kept within 0 .. total.
void carryUp(TallyNode* node, Counter counter, int delta) {
    for (TallyNode* n = node; n; n = n->parent) {
        std::uint32_t& value = n->*counter;
        if (delta > 0)
            value = std::min(n->total, value + 1);
        else if (value > 0)
            --value;
    }
}

template <typename Record> std::uint64_t itemSize(const Record& record) {
    if constexpr (requires { record.size; })
        return std::max<std::uint64_t>(record.size, kMinimumItemSize);
    else
        return kMinimumItemSize;
}

template <typename Record> std::uint32_t itemTag(const Record& record) {
    if constexpr (requires { record.deleted; })
        return record.deleted;
    else
        return 0;
}

void collectItems(TallyEntry& group, std::vector<TallyEntry*>& out) {
    for (TallyEntry* child : group.children) {
        if (child->isGroup)
            collectItems(*child, out);
        else
            out.push_back(child);
    }
}

void markGroups(TallyEntry& group, bool ticked) {
    group.selected = ticked;
    for (TallyEntry* child : group.children)
        if (child->isGroup) markGroups(*child, ticked);
}

} // namespace

TickState tickState(const TallyNode& node) {
    if (node.total == 0 || node.selected == 0) return TickState::Unticked;
    return node.selected >= node.total ? TickState::Ticked : TickState::Partial;
}

SelectionTally::SelectionTally() {
    clear();
}

void SelectionTally::clear() {
    m_entryByKey.clear();
    m_nodeByContainer.clear();
    m_entries.clear();
    m_nodes.clear();
    m_totalSize = 0;
    m_selectedSize = 0;
    m_root = &m_nodes.emplace_back();
}

TallyNode* SelectionTally::newNode(TallyNode* parent, ItemKind kind, const void* container) {
    TallyNode& node = m_nodes.emplace_back();
    node.parent = parent;
    node.kind = kind;
    node.container = container;
    TallyEntry& group = m_entries.emplace_back();
    group.key = container;
    group.isGroup = true;
    group.kind = kind;
    group.node = &node;
    node.group = &group;
    m_entryByKey[container] = &group;
    m_nodeByContainer[container] = &node;
    if (parent == m_root) {
        // Categories stay in ItemKind order whatever order they are added in.
        auto at = std::find_if(parent->children.begin(), parent->children.end(), [kind](const TallyNode* n) {
            return static_cast<int>(n->kind) > static_cast<int>(kind);
        });
        parent->children.insert(at, &node);
    } else {
        parent->children.push_back(&node);
        parent->group->children.push_back(&group);
    }
    return &node;
}

template <typename Record>
void SelectionTally::addItems(TallyNode* node, ItemKind kind, const std::vector<Record>& records) {
    node->items.reserve(records.size());
    for (const Record& record : records) {
        TallyEntry& entry = m_entries.emplace_back();
        entry.key = &record;
        entry.kind = kind;
        entry.tag = itemTag(record);
        entry.size = itemSize(record);
        entry.node = node;
        node->group->children.push_back(&entry);
        node->items.push_back(&entry);
        m_entryByKey[&record] = &entry;
        for (TallyNode* n = node; n; n = n->parent) {
            ++n->total;
            ++n->selected;
        }
        m_totalSize += entry.size;
        m_selectedSize += entry.size;
    }
}

bool SelectionTally::addCategory(ItemKind kind, const ScanResults& results) {
    if (categoryNode(kind)) return false;
    auto addList = [&](const auto& list) { addItems(newNode(m_root, kind, &list), kind, list); };
    auto addApps = [&](const AppFileMap& apps) {
        TallyNode* category = newNode(m_root, kind, &apps);
        for (const auto& [appName, files] : apps) {
            TallyNode* app = newNode(category, kind, &files);
            app->appName = appName;
            addItems(app, kind, files);
        }
    };
    switch (kind) {
    case ItemKind::CameraRoll:
        addList(results.cameraRoll);
        return true;
    case ItemKind::PhotoStream:
        addList(results.photoStream);
        return true;
    case ItemKind::AppPhotos:
        addApps(results.appPhotos);
        return true;
    case ItemKind::AppVideos:
        addApps(results.appVideos);
        return true;
    case ItemKind::Messages:
        addList(results.messageSummaries);
        return true;
    case ItemKind::MessageAttachments:
        addList(results.messageAttachments);
        return true;
    case ItemKind::Contacts:
        addList(results.contacts);
        return true;
    case ItemKind::CallHistory:
        addList(results.calls);
        return true;
    case ItemKind::Notes:
        addList(results.notes);
        return true;
    case ItemKind::WhatsApp:
        addList(results.whatsAppSummaries);
        return true;
    case ItemKind::WhatsAppAttachments:
        addList(results.whatsAppAttachments);
        return true;
    case ItemKind::Reminder:
        addList(results.reminders);
        return true;
    case ItemKind::Calendar:
        addList(results.events);
        return true;
    case ItemKind::SafariBookmark:
        addList(results.bookmarks);
        return true;
    case ItemKind::QQ:
    case ItemKind::WeChat:
        addList(results.messengerSummaries(kind));
        return true;
    case ItemKind::None:
        break;
    }
    return false;
}

void SelectionTally::addSelectedSize(std::uint64_t size, bool add) {
    if (add)
        m_selectedSize += size;
    else
        m_selectedSize = m_selectedSize > size ? m_selectedSize - size : 0;
}

void SelectionTally::selectItem(TallyEntry& entry, bool ticked) {
    if (entry.selected == ticked) return;
    entry.selected = ticked;
    const int delta = ticked ? 1 : -1;
    carryUp(entry.node, &TallyNode::selected, delta);
    // A hidden item's size is not in the selected sum; it counts as selected-and-hidden instead.
    if (entry.hiddenBy)
        carryUp(entry.node, &TallyNode::selectedHidden, delta);
    else
        addSelectedSize(entry.size, ticked);
}

bool SelectionTally::select(const void* key, bool ticked) {
    auto it = m_entryByKey.find(key);
    if (it == m_entryByKey.end()) return false;
    TallyEntry& entry = *it->second;
    if (!entry.isGroup) {
        selectItem(entry, ticked);
        return true;
    }
    std::vector<TallyEntry*> items;
    collectItems(entry, items);
    for (TallyEntry* item : items)
        selectItem(*item, ticked);
    markGroups(entry, ticked);
    return true;
}

bool SelectionTally::setHidden(const void* key, const void* filter) {
    auto it = m_entryByKey.find(key);
    if (it == m_entryByKey.end() || it->second->isGroup) return false;
    TallyEntry& entry = *it->second;
    const bool wasHidden = entry.hiddenBy != nullptr;
    entry.hiddenBy = filter;
    if (wasHidden == (filter != nullptr)) return true; // only the filter changed
    const int delta = filter ? 1 : -1;
    carryUp(entry.node, &TallyNode::hidden, delta);
    if (entry.selected) {
        carryUp(entry.node, &TallyNode::selectedHidden, delta);
        addSelectedSize(entry.size, !filter);
    }
    return true;
}

const TallyEntry* SelectionTally::lookup(const void* key) const {
    auto it = m_entryByKey.find(key);
    return it == m_entryByKey.end() ? nullptr : it->second;
}

const TallyNode* SelectionTally::nodeOf(const void* container) const {
    auto it = m_nodeByContainer.find(container);
    return it == m_nodeByContainer.end() ? nullptr : it->second;
}

const TallyNode* SelectionTally::categoryNode(ItemKind kind) const {
    for (const TallyNode* node : m_root->children)
        if (node->kind == kind) return node;
    return nullptr;
}

std::uint32_t SelectionTally::selectedVisibleCount() const {
    return m_root->selected > m_root->selectedHidden ? m_root->selected - m_root->selectedHidden : 0;
}

bool SelectionTally::isTickedAndVisible(const void* key) const {
    const TallyEntry* entry = lookup(key);
    return entry && !entry->isGroup && entry->selected && !entry->hiddenBy;
}

} // namespace orvelle
