#pragma once
/// The selection tally: which scanned items are ticked and which are hidden
/// by the deleted-only filter, with counters per category (and per app) and
/// the byte sums shown in the statistics line.
///
/// Keys. An item is identified by the address of its record in the scan's
/// result containers (for Messages and WhatsApp: the chat summary, so a
/// ticked item is a whole chat); a category or an app is identified by the
/// address of its container (the list, the summary list, the app map, or one
/// app's list inside the map). Lookups go through those addresses, so the
/// containers of a category must stay untouched while it is in the tally.
///
/// Order. Category nodes sit under the root in ItemKind order, app nodes in
/// app-name order, and the item entries of a node in container order. A walk
/// of the tally (categories, then apps, then items) therefore meets the
/// records in the order their containers hold them.
///
/// Counters. Every node keeps total >= selected, hidden, selectedHidden >= 0;
/// each change is carried from the item's node up to the root with the same
/// caps and floors, so the root always holds the sums of its categories.

#include "core/Categories.h"

#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

namespace orvelle {

struct ScanResults;
struct TallyNode;

/// One item, or the group entry of a category or an app.
struct TallyEntry {
    const void* key = nullptr; ///< record address (item) or container address (group)
    bool isGroup = false;
    bool selected = true;           ///< ticked; every entry starts ticked
    std::uint32_t tag = 0;          ///< deleted flag of database records; 0 for files and groups
    const void* hiddenBy = nullptr; ///< the filter that hides the item; null when visible
    ItemKind kind = ItemKind::None;
    std::uint64_t size = 0;            ///< item: record size raised to at least 1024; group: 0
    std::vector<TallyEntry*> children; ///< group: its app groups or items
    TallyNode* node = nullptr;         ///< item: the node counting it; group: the node it stands for
};

/// Counters of the root, a category or an app.
struct TallyNode {
    std::uint32_t total = 0;
    std::uint32_t selected = 0;
    std::uint32_t hidden = 0;
    std::uint32_t selectedHidden = 0;
    TallyNode* parent = nullptr;
    ItemKind kind = ItemKind::None;
    std::string appName;              ///< app nodes only
    const void* container = nullptr;  ///< null for the root
    TallyEntry* group = nullptr;      ///< the node's group entry; null for the root
    std::vector<TallyNode*> children; ///< categories (root) or apps
    std::vector<TallyEntry*> items;   ///< item entries counted directly by this node, in container order
};

/// How a category's or an app's tick box looks.
enum class TickState { Unticked, Partial, Ticked };

/// The tick box state of `node`: ticked when all its items are ticked, partial
/// when some are, unticked when none (or when it has no items).
TickState tickState(const TallyNode& node);

class SelectionTally {
public:
    SelectionTally();
    SelectionTally(const SelectionTally&) = delete;
    SelectionTally& operator=(const SelectionTally&) = delete;

    /// Removes every entry and node and zeroes both sums; a fresh root remains.
    void clear();

    /// Adds the category `kind` with every item of its container in `results`
    /// (a node and a group entry; for App Photos and App Videos also one per
    /// app). Every item starts ticked. False (nothing added) for a kind no scan
    /// fills or one that is already in the tally. Chat summaries and the app
    /// split must be prepared first (ScanResults::prepare).
    bool addCategory(ItemKind kind, const ScanResults& results);

    /// Ticks or unticks the item or group whose key is `key`. A group ticks or
    /// unticks everything below it. False when the key is unknown.
    bool select(const void* key, bool ticked);

    /// Hides the item `key` behind `filter`, or shows it again with null.
    /// False when the key is unknown or names a group.
    bool setHidden(const void* key, const void* filter);

    /// The entry of an item or group key, or null.
    const TallyEntry* lookup(const void* key) const;
    /// The node of a container (category list or map, or one app's list), or null.
    const TallyNode* nodeOf(const void* container) const;
    /// The node of a category, or null when it is not in the tally.
    const TallyNode* categoryNode(ItemKind kind) const;

    const TallyNode& root() const { return *m_root; }
    /// Sum of the sizes of all items.
    std::uint64_t totalSize() const { return m_totalSize; }
    /// Sum of the sizes of the ticked, visible items.
    std::uint64_t selectedSize() const { return m_selectedSize; }
    /// Ticked items that are not hidden (root selected minus selectedHidden, never below 0).
    std::uint32_t selectedVisibleCount() const;

    /// True when `key` is an item that is ticked and visible: what export and print take.
    bool isTickedAndVisible(const void* key) const;

private:
    TallyNode* newNode(TallyNode* parent, ItemKind kind, const void* container);
    template <typename Record>
    void addItems(TallyNode* node, ItemKind kind, const std::vector<Record>& records);
    void selectItem(TallyEntry& entry, bool ticked);
    void addSelectedSize(std::uint64_t size, bool add);

    std::deque<TallyNode> m_nodes;
    std::deque<TallyEntry> m_entries;
    std::unordered_map<const void*, TallyEntry*> m_entryByKey;
    std::unordered_map<const void*, TallyNode*> m_nodeByContainer;
    TallyNode* m_root = nullptr;
    std::uint64_t m_totalSize = 0;
    std::uint64_t m_selectedSize = 0;
};

} // namespace orvelle
