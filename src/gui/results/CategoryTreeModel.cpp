#include "gui/results/CategoryTreeModel.h"

#include "gui/app/LanguageTexts.h"
#include "gui/common/Icons.h"
#include "gui/common/PlainText.h"
#include "gui/results/ResultsShared.h"
#include "scan/ScanRun.h"

#include <QColor>
#include <QFont>

#include <algorithm>

namespace orvelle::gui {

namespace {

// Group rows carry this id; category rows carry their group's number plus one.
constexpr quintptr kGroupId = 0;

/// Where a category's operation stands in the scan's fixed order: once the
/// scan has results further on, every earlier category is final.
int scanStep(ItemKind kind) {
    switch (kind) {
    case ItemKind::CameraRoll:
    case ItemKind::PhotoStream: return 0;
    case ItemKind::Messages: return 1;
    case ItemKind::MessageAttachments: return 2;
    case ItemKind::Contacts: return 3;
    case ItemKind::CallHistory: return 4;
    case ItemKind::Notes: return 5;
    case ItemKind::AppPhotos:
    case ItemKind::AppVideos: return 6;
    case ItemKind::WhatsApp: return 7;
    case ItemKind::WhatsAppAttachments: return 8;
    case ItemKind::Reminder: return 9;
    case ItemKind::Calendar: return 10;
    case ItemKind::SafariBookmark: return 11;
    case ItemKind::QQ:
        return 12;
    case ItemKind::WeChat:
        return 13;
    default: return -1;
    }
}

/// Categories whose count stays 0 until their completion step has run (it is
/// taken from the tally or from the chat summaries, both made at the end);
/// the others count their container while the worker is still filling it.
bool countedAtCompletion(ItemKind kind) {
    switch (kind) {
    case ItemKind::CameraRoll:
    case ItemKind::PhotoStream:
    case ItemKind::AppPhotos:
    case ItemKind::AppVideos:
    case ItemKind::Messages:
    case ItemKind::WhatsApp:
    case ItemKind::QQ:
    case ItemKind::WeChat:
        return true;
    default: return false;
    }
}

int groupOf(const CategoryInfo& category) {
    return category.group == CategoryGroup::PhotosAndVideos ? 0 : 1;
}

} // namespace

CategoryTreeModel::CategoryTreeModel(QObject* parent) : QAbstractItemModel(parent) {}

void CategoryTreeModel::setScan(ScanRun* run, const std::array<bool, kCategories.size()>& ticked) {
    beginResetModel();
    m_run = run;
    m_completeKinds.clear();
    for (auto& nodes : m_nodes) nodes.clear();
    for (std::size_t i = 0; i < kCategories.size(); ++i)
        if (ticked[i]) m_nodes[static_cast<std::size_t>(groupOf(kCategories[i]))].push_back(Node{i, 0, false});
    endResetModel();
}

void CategoryTreeModel::clear() {
    beginResetModel();
    m_run = nullptr;
    m_completeKinds.clear();
    for (auto& nodes : m_nodes) nodes.clear();
    endResetModel();
}

void CategoryTreeModel::markComplete(ItemKind kind) {
    if (kind != ItemKind::None && !isComplete(kind)) m_completeKinds.push_back(kind);
}

bool CategoryTreeModel::isComplete(ItemKind kind) const {
    return std::find(m_completeKinds.begin(), m_completeKinds.end(), kind) != m_completeKinds.end();
}

bool CategoryTreeModel::refreshCounts() {
    if (!m_run) return false;
    const bool finished = m_run->scanFinished();
    // The furthest category with results tells how far the worker got.
    int furthest = -1;
    for (const CategoryInfo& category : kCategories)
        if (category.kind != ItemKind::None && m_run->count(category.kind) > 0)
            furthest = std::max(furthest, scanStep(category.kind));
    bool changed = false;
    for (int group = 0; group < kGroups; ++group) {
        auto& nodes = m_nodes[static_cast<std::size_t>(group)];
        for (std::size_t row = 0; row < nodes.size(); ++row) {
            Node& node = nodes[row];
            const ItemKind kind = kCategories[node.category].kind;
            if (kind == ItemKind::None) continue;
            const std::uint32_t count = m_run->count(kind);
            const bool complete = finished || isComplete(kind) || (countedAtCompletion(kind) && count > 0) ||
                                  scanStep(kind) < furthest;
            if (complete) markComplete(kind);
            if (count == node.count && complete == node.complete) continue;
            node.count = count;
            node.complete = complete;
            const QModelIndex at = createIndex(static_cast<int>(row), 0, static_cast<quintptr>(group + 1));
            emit dataChanged(at, at);
            changed = true;
        }
    }
    return changed;
}

void CategoryTreeModel::refreshTicks(ItemKind kind) {
    const QModelIndex at = indexOf(kind);
    if (at.isValid()) emit dataChanged(at, at, {Qt::CheckStateRole});
}

void CategoryTreeModel::refreshAll() {
    for (int group = 0; group < kGroups; ++group) {
        const QModelIndex groupIndex = index(group, 0);
        emit dataChanged(groupIndex, groupIndex);
        const int rows = rowCount(groupIndex);
        if (rows > 0) emit dataChanged(index(0, 0, groupIndex), index(rows - 1, 0, groupIndex));
    }
}

QModelIndex CategoryTreeModel::indexOf(ItemKind kind) const {
    if (kind == ItemKind::None) return {};
    for (int group = 0; group < kGroups; ++group) {
        const auto& nodes = m_nodes[static_cast<std::size_t>(group)];
        for (std::size_t row = 0; row < nodes.size(); ++row)
            if (kCategories[nodes[row].category].kind == kind)
                return createIndex(static_cast<int>(row), 0, static_cast<quintptr>(group + 1));
    }
    return {};
}

const CategoryTreeModel::Node* CategoryTreeModel::nodeAt(const QModelIndex& index) const {
    if (!index.isValid() || index.internalId() == kGroupId || index.model() != this) return nullptr;
    const auto& nodes = m_nodes[static_cast<std::size_t>(index.internalId() - 1)];
    return index.row() < static_cast<int>(nodes.size()) ? &nodes[static_cast<std::size_t>(index.row())] : nullptr;
}

ItemKind CategoryTreeModel::kindAt(const QModelIndex& index) const {
    const Node* node = nodeAt(index);
    return node ? kCategories[node->category].kind : ItemKind::None;
}

bool CategoryTreeModel::rowIsShown(const QModelIndex& index) const {
    const Node* node = nodeAt(index);
    return node && (node->count > 0 || unreadable(kCategories[node->category].kind));
}

bool CategoryTreeModel::isReadable(const QModelIndex& index) const {
    const Node* node = nodeAt(index);
    return node && node->count > 0 && node->complete;
}

QModelIndex CategoryTreeModel::firstReadable() const {
    for (int group = 0; group < kGroups; ++group) {
        const auto& nodes = m_nodes[static_cast<std::size_t>(group)];
        for (std::size_t row = 0; row < nodes.size(); ++row)
            if (nodes[row].count > 0 && nodes[row].complete)
                return createIndex(static_cast<int>(row), 0, static_cast<quintptr>(group + 1));
    }
    return {};
}

QModelIndex CategoryTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column != 0) return {};
    if (!parent.isValid()) return row < kGroups ? createIndex(row, 0, kGroupId) : QModelIndex();
    if (parent.internalId() != kGroupId || parent.row() >= kGroups) return {};
    const auto& nodes = m_nodes[static_cast<std::size_t>(parent.row())];
    if (row >= static_cast<int>(nodes.size())) return {};
    return createIndex(row, 0, static_cast<quintptr>(parent.row() + 1));
}

QModelIndex CategoryTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == kGroupId) return {};
    return createIndex(static_cast<int>(child.internalId() - 1), 0, kGroupId);
}

int CategoryTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return kGroups;
    if (parent.column() != 0 || parent.internalId() != kGroupId) return 0;
    return static_cast<int>(m_nodes[static_cast<std::size_t>(parent.row())].size());
}

int CategoryTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QString CategoryTreeModel::label(const Node& node) const {
    const CategoryInfo& category = kCategories[node.category];
    const QString fallback = QString::fromLatin1(category.treeLabel.data(), static_cast<qsizetype>(category.treeLabel.size()));
    const QString text = pageText(categoryNodeKey(category), fallback);
    return QStringLiteral("%1 (%2)").arg(text).arg(node.count);
}

bool CategoryTreeModel::unreadable(ItemKind kind) const {
    return m_run && kind != ItemKind::None && m_run->outcome(kind).state == CategoryState::unreadable;
}

QVariant CategoryTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.model() != this) return {};
    if (index.internalId() == kGroupId) {
        switch (role) {
        case Qt::DisplayRole:
            return index.row() == 0 ? pageText("NodeGroupPhotos", "Photos & Videos")
                                    : pageText("NodeGroupMessages", "Messages & Call logs");
        case Qt::FontRole: {
            QFont font;
            font.setBold(true);
            return font;
        }
        case Qt::DecorationRole: return skinIcon(QStringLiteral("group"));
        default: return {};
        }
    }
    const Node* node = nodeAt(index);
    if (!node) return {};
    const ItemKind kind = kCategories[node->category].kind;
    switch (role) {
    case Qt::DisplayRole: {
        if (!unreadable(kind)) return label(*node);
        return QStringLiteral("%1 \u2014 %2").arg(label(*node), pageText("NodeUnreadable", "could not be read"));
    }
    case Qt::ToolTipRole: {
        if (!unreadable(kind)) return {};
        const QString reason = QString::fromStdString(m_run->outcome(kind).reason);
        return plainToolTip(formatMessage(pageText("NodeUnreadableTip", "Could not be read: %s"), {reason}));
    }
    case Qt::ForegroundRole:
        if (unreadable(kind)) return QColor(Qt::red);
        return {};
    case Qt::DecorationRole: return categoryIcon(kCategories[node->category]);
    case KindRole: return static_cast<int>(kind);
    case CountRole: return node->count;
    case Qt::CheckStateRole: {
        if (kind == ItemKind::None || !tallyReadable(m_run)) return {};
        const TallyNode* tally = m_run->tally().categoryNode(kind);
        if (!tally) return {};
        switch (tickState(*tally)) {
        case TickState::Ticked: return Qt::Checked;
        case TickState::Partial: return Qt::PartiallyChecked;
        case TickState::Unticked: return Qt::Unchecked;
        }
        return {};
    }
    default: return {};
    }
}

bool CategoryTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const Node* node = nodeAt(index);
    if (!node || role != Qt::CheckStateRole || !tallyReadable(m_run)) return false;
    const ItemKind kind = kCategories[node->category].kind;
    const TallyNode* tally = m_run->tally().categoryNode(kind);
    if (!tally || !tally->group) return false;
    const bool ticked = value.toInt() != Qt::Unchecked;
    if (tickState(*tally) == (ticked ? TickState::Ticked : TickState::Unticked)) return true;
    if (!m_run->tally().select(tally->group->key, ticked)) return false;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    emit ticksChanged(kind);
    return true;
}

Qt::ItemFlags CategoryTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    if (index.internalId() == kGroupId) return Qt::ItemIsEnabled;
    const Node* node = nodeAt(index);
    if (!node || !(node->count > 0 && node->complete)) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    const ItemKind kind = kCategories[node->category].kind;
    if (tallyReadable(m_run) && m_run->tally().categoryNode(kind)) flags |= Qt::ItemIsUserCheckable;
    return flags;
}

} // namespace orvelle::gui
