#include "gui/results/ResultsView.h"

#include "gui/app/LanguageTexts.h"
#include "gui/common/Icons.h"
#include "gui/common/ScanChoice.h"
#include "gui/preview/PreviewPane.h"
#include "gui/results/CategoryTreeModel.h"
#include "gui/results/ItemListModel.h"
#include "gui/results/ResultsShared.h"
#include "scan/DeletedOnlyFilter.h"
#include "scan/DisplayText.h"
#include "scan/ScanRun.h"

#include "ui_ResultsView.h"

#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTimer>

#include <algorithm>
#include <map>

namespace orvelle::gui {

namespace {

/// How long the search waits after the last key before it filters.
constexpr int kSearchDelayMs = 150;
/// How often a running scan is checked for a pause.
constexpr int kReadabilityPollMs = 250;

QString number(std::uint64_t value) {
    return QString::number(value);
}

QString sizeString(std::uint64_t bytes) {
    return QString::fromStdString(sizeText(static_cast<std::int64_t>(bytes)));
}

/// A two-state icon from the switch pictures (empty while they are missing).
QIcon switchIcon(QSize size) {
    const QIcon on = skinIcon(QStringLiteral("switch-on"));
    const QIcon off = skinIcon(QStringLiteral("switch-off"));
    if (on.isNull() && off.isNull()) return {};
    QIcon icon;
    for (const qreal ratio : {1.0, 2.0}) {
        icon.addPixmap(skinPixmap(QStringLiteral("switch-off"), size, ratio), QIcon::Normal, QIcon::Off);
        icon.addPixmap(skinPixmap(QStringLiteral("switch-on"), size, ratio), QIcon::Normal, QIcon::On);
    }
    return icon;
}

} // namespace

struct ResultsView::State {
    Ui::ResultsView ui;
    CategoryTreeModel tree;
    ItemListModel list;
    PreviewPane* preview = nullptr;
    ScanRun* run = nullptr;
    std::map<ItemKind, bool> deletedOnly; ///< the switch, remembered per category
    ItemKind shown = ItemKind::None;
    const void* openedApp = nullptr; ///< the app whose files are listed
    QTimer searchTimer;
    QTimer readabilityTimer; ///< notices pause and resume while a scan runs
    bool tallyWasReadable = false;
};

ResultsView::ResultsView(QWidget* parent) : QWidget(parent), m_state(std::make_unique<State>()) {
    State& s = *m_state;
    s.ui.setupUi(this);
    s.ui.NodeTree->setModel(&s.tree);
    s.ui.DataList->setModel(&s.list);
    s.ui.DataList->header()->setStretchLastSection(true);
    s.ui.DataList->header()->setSectionsMovable(false);
    s.ui.DataList->viewport()->installEventFilter(this);
    s.preview = new PreviewPane(s.ui.PreviewLayout);
    s.preview->setObjectName(QStringLiteral("PreviewPane"));
    s.ui.PreviewLayout->layout()->addWidget(s.preview);
    const QIcon switches = switchIcon(QSize(39, 19));
    s.ui.OptOnOffFilter->setIcon(switches);
    s.ui.OptOnOffPreview->setIcon(switches);
    if (!switches.isNull()) s.ui.OptOnOffPreview->setToolButtonStyle(Qt::ToolButtonIconOnly);
    s.ui.BtnBackAppDir->setIcon(skinIcon(QStringLiteral("back")));
    s.ui.EditSearch->addAction(skinIcon(QStringLiteral("search")), QLineEdit::LeadingPosition);
    s.searchTimer.setSingleShot(true);
    s.searchTimer.setInterval(kSearchDelayMs);
    // Tick boxes and the switch work while the scan is paused or over; the
    // scan page pauses without telling the views, so they look now and then.
    s.readabilityTimer.setInterval(kReadabilityPollMs);
    connect(&s.readabilityTimer, &QTimer::timeout, this, [this] {
        if (!m_state->run || m_state->run->scanFinished()) m_state->readabilityTimer.stop();
        if (m_state->tallyWasReadable != tallyReadable(m_state->run)) refreshStatistics();
    });

    connect(s.ui.NodeTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { showCategoryOf(current); });
    connect(s.ui.DataList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { previewRow(current.row()); });
    connect(s.ui.DataList, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { openApp(index.row()); });
    connect(s.ui.DataList, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
        if (m_state->list.level() == ItemListModel::Level::Apps) openApp(index.row());
    });
    connect(s.ui.BtnBackAppDir, &QPushButton::clicked, this, [this] { backToApps(); });
    connect(s.ui.OptOnOffFilter, &QPushButton::toggled, this, [this](bool on) { switchDeletedOnly(on); });
    connect(s.ui.OptOnOffPreview, &QToolButton::toggled, s.ui.PreviewLayout, &QWidget::setVisible);
    connect(s.ui.EditSearch, &QLineEdit::textChanged, &s.searchTimer, qOverload<>(&QTimer::start));
    connect(&s.searchTimer, &QTimer::timeout, this, [this] { applySearch(); });
    connect(s.ui.EditSearch, &QLineEdit::returnPressed, this, [this] { applySearch(); }); // no need to wait
    connect(&s.tree, &CategoryTreeModel::ticksChanged, this, [this](ItemKind kind) {
        if (kind == m_state->list.kind()) m_state->list.refreshTicks();
        ticksChanged();
    });
    connect(&s.list, &ItemListModel::ticksChanged, this, [this](ItemKind kind) {
        m_state->tree.refreshTicks(kind);
        ticksChanged();
    });
    connect(&LanguageTexts::instance(), &LanguageTexts::languageChanged, this, [this] { applyTexts(); });

    clear();
    applyTexts();
}

ResultsView::~ResultsView() = default;

void ResultsView::beginScan(ScanRun* run, const ScanChoice& choice) {
    State& s = *m_state;
    s.run = run;
    s.deletedOnly.clear();
    s.shown = ItemKind::None;
    s.openedApp = nullptr;
    s.tallyWasReadable = tallyReadable(run);
    s.list.setRun(run);
    s.tree.setScan(run, choice.ticked);
    s.preview->clear();
    s.preview->setSource(run ? run->source() : nullptr);
    updateTreeRows();
    resetControls();
    refreshStatistics();
    if (run && !run->scanFinished()) s.readabilityTimer.start();
}

void ResultsView::clear() {
    State& s = *m_state;
    s.run = nullptr;
    s.deletedOnly.clear();
    s.shown = ItemKind::None;
    s.openedApp = nullptr;
    s.tallyWasReadable = false;
    s.readabilityTimer.stop();
    s.list.setRun(nullptr);
    s.tree.clear();
    s.preview->clear();
    s.preview->setSource(nullptr);
    updateTreeRows();
    resetControls();
    refreshStatistics();
}

void ResultsView::resetControls() {
    State& s = *m_state;
    s.searchTimer.stop();
    {
        const QSignalBlocker block(s.ui.EditSearch);
        s.ui.EditSearch->clear();
    }
    {
        const QSignalBlocker block(s.ui.OptOnOffFilter);
        s.ui.OptOnOffFilter->setChecked(false);
    }
    s.ui.BtnBackAppDir->hide();
    s.ui.FilterToolBar->hide();
    s.ui.LblFilterCount->hide();
    s.ui.LblSearchCount->hide();
    s.ui.EditSearch->setEnabled(false);
    setPreviewShown(true);
}

void ResultsView::refreshCounts() {
    State& s = *m_state;
    if (!s.run) return;
    if (s.tree.refreshCounts()) updateTreeRows();
    refreshReadability();
}

void ResultsView::selectFirstCategory(ItemKind kind) {
    State& s = *m_state;
    if (!s.run) return;
    s.tree.markComplete(kind); // announced after the scan finished filling it
    refreshCounts();
    if (s.tree.isReadable(s.ui.NodeTree->currentIndex())) return;
    QModelIndex first = s.tree.indexOf(kind);
    if (!s.tree.isReadable(first)) first = s.tree.firstReadable();
    if (first.isValid()) s.ui.NodeTree->setCurrentIndex(first);
}

ItemKind ResultsView::currentCategory() const {
    return m_state->shown;
}

bool ResultsView::deletedOnly() const {
    const auto found = m_state->deletedOnly.find(m_state->shown);
    return found != m_state->deletedOnly.end() && found->second;
}

PreviewPane* ResultsView::previewPane() const {
    return m_state->preview;
}

void ResultsView::refreshStatistics() {
    State& s = *m_state;
    refreshReadability();
    const QString format = messageOr("MSG0513", "Selected: %s (%d items)    Total: %s (%d items)");
    if (!s.run || tallyReadable(s.run)) {
        std::uint64_t selectedSize = 0, totalSize = 0;
        std::uint32_t selected = 0, total = 0;
        if (s.run) {
            const SelectionTally& tally = s.run->tally();
            selectedSize = tally.selectedSize();
            totalSize = tally.totalSize();
            selected = tally.selectedVisibleCount();
            total = tally.root().total;
        }
        s.ui.LblStatistics->setText(
            formatMessage(format, {sizeString(selectedSize), number(selected), sizeString(totalSize), number(total)}));
    } else if (s.ui.LblStatistics->text().isEmpty()) {
        // The worker is still adding to the tally: the figures follow when it ends or pauses.
        s.ui.LblStatistics->setText(formatMessage(format, {sizeString(0), number(0), sizeString(0), number(0)}));
    }
    updateFilterCount();
}

void ResultsView::applyTexts() {
    State& s = *m_state;
    LanguageTexts::instance().applySection(QStringLiteral("PageScan"), this);
    s.list.applyTexts();
    s.tree.refreshAll();
    s.ui.LblStatistics->clear();
    refreshStatistics();
    updateSearchCount();
}

// --- private ---

void ResultsView::refreshReadability() {
    State& s = *m_state;
    const bool readable = tallyReadable(s.run);
    s.ui.OptOnOffFilter->setEnabled(readable);
    if (readable == s.tallyWasReadable) return;
    s.tallyWasReadable = readable;
    s.tree.refreshAll();
    s.list.refreshTicks();
}

void ResultsView::updateTreeRows() {
    State& s = *m_state;
    QTreeView* view = s.ui.NodeTree;
    for (int group = 0; group < s.tree.rowCount(); ++group) {
        const QModelIndex groupIndex = s.tree.index(group, 0);
        bool anyShown = false;
        for (int row = 0; row < s.tree.rowCount(groupIndex); ++row) {
            const bool shown = s.tree.rowIsShown(s.tree.index(row, 0, groupIndex));
            view->setRowHidden(row, groupIndex, !shown);
            anyShown = anyShown || shown;
        }
        view->setRowHidden(group, QModelIndex(), !anyShown);
    }
    view->expandAll();
}

void ResultsView::showCategoryOf(const QModelIndex& node) {
    State& s = *m_state;
    if (!s.tree.isReadable(node)) return; // a group, or a category the scan is still filling
    showCategory(s.tree.kindAt(node));
}

void ResultsView::showCategory(ItemKind kind) {
    State& s = *m_state;
    s.shown = kind;
    s.openedApp = nullptr;
    s.list.showCategory(kind);
    s.list.setDeletedOnly(deletedOnly());
    s.preview->clear();
    s.searchTimer.stop();
    {
        const QSignalBlocker block(s.ui.EditSearch);
        s.ui.EditSearch->clear();
    }
    s.ui.EditSearch->setEnabled(true);
    updateSearchCount();
    applyColumnWidths();
    s.ui.BtnBackAppDir->hide();

    const bool filterBar = hasDeletedFlag(kind);
    s.ui.FilterToolBar->setVisible(filterBar);
    {
        const QSignalBlocker block(s.ui.OptOnOffFilter);
        s.ui.OptOnOffFilter->setChecked(filterBar && deletedOnly());
    }
    switch (kind) {
    case ItemKind::AppPhotos:
    case ItemKind::AppVideos:
    case ItemKind::Contacts: // shown when a contact is selected
    case ItemKind::CallHistory:
    case ItemKind::Reminder: // every field stands in the list
    case ItemKind::Calendar:
    case ItemKind::SafariBookmark: setPreviewShown(false); break;
    default: setPreviewShown(true); break;
    }
    refreshStatistics();
    selectRow(0);
}

void ResultsView::applyColumnWidths() {
    State& s = *m_state;
    QHeaderView* header = s.ui.DataList->header();
    const int columns = s.list.columnCount();
    if (columns < 2) return;
    // The category's widths, narrowed in proportion when the list is too
    // narrow for them and a readable last column.
    constexpr int kLastColumnMinimum = 110, kColumnMinimum = 60;
    int fixed = 0;
    for (int column = 0; column + 1 < columns; ++column) fixed += s.list.columnWidth(column);
    const int room = s.ui.DataList->viewport()->width() - kLastColumnMinimum;
    const double scale = fixed > room && fixed > 0 ? std::max(0.0, double(room) / fixed) : 1.0;
    for (int column = 0; column + 1 < columns; ++column) {
        const int width = s.list.columnWidth(column);
        if (width > 0) header->resizeSection(column, std::max(kColumnMinimum, int(width * scale)));
    }
}

bool ResultsView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_state->ui.DataList->viewport() && event->type() == QEvent::Resize) applyColumnWidths();
    return QWidget::eventFilter(watched, event);
}

void ResultsView::selectRow(int row) {
    State& s = *m_state;
    if (s.list.rowCount() == 0) {
        s.preview->clear();
        return;
    }
    if (row < 0 || row >= s.list.rowCount()) row = 0;
    const QModelIndex index = s.list.index(row, 0);
    s.ui.DataList->setCurrentIndex(index);
    s.ui.DataList->scrollTo(index);
}

void ResultsView::setPreviewShown(bool shown) {
    State& s = *m_state;
    s.ui.OptOnOffPreview->setChecked(shown);
    s.ui.PreviewLayout->setVisible(shown);
}

void ResultsView::previewRow(int row) {
    State& s = *m_state;
    const void* record = s.list.recordAt(row);
    if (!record || !s.run) return;
    PreviewPane& pane = *s.preview;
    pane.setSource(s.run->source());
    const ScanResults& results = s.run->results();
    auto showMedia = [&](const std::string& storedPath, const std::string& name) {
        setPreviewShown(true);
        pane.showMedia(storedPath, name);
    };
    switch (s.list.kind()) {
    case ItemKind::CameraRoll:
    case ItemKind::PhotoStream:
    case ItemKind::WhatsAppAttachments: {
        const auto* file = static_cast<const MediaFileRecord*>(record);
        showMedia(file->storedPath, file->name);
        break;
    }
    case ItemKind::MessageAttachments: {
        const auto* file = static_cast<const AttachmentRecord*>(record);
        showMedia(file->storedPath, file->name);
        break;
    }
    case ItemKind::AppPhotos:
    case ItemKind::AppVideos:
        if (s.list.level() == ItemListModel::Level::AppFiles) {
            const auto* file = static_cast<const AppFileRecord*>(record);
            showMedia(file->storedPath, file->name);
        }
        break;
    case ItemKind::Messages: {
        const auto chat = results.messageChats.find(static_cast<const MessageRecord*>(record)->handleId);
        if (chat == results.messageChats.end()) {
            pane.clear();
            break;
        }
        setPreviewShown(true);
        pane.showConversation(chat->second);
        break;
    }
    case ItemKind::WhatsApp: {
        const auto chat = results.whatsAppChats.find(static_cast<const WhatsAppMessageRecord*>(record)->chatKey);
        if (chat == results.whatsAppChats.end()) {
            pane.clear();
            break;
        }
        setPreviewShown(true);
        pane.showWhatsAppConversation(chat->second);
        break;
    }
    case ItemKind::QQ:
    case ItemKind::WeChat: {
        const auto* summary = static_cast<const MessengerChatSummary*>(record);
        const AccountChatMap& chats = results.messengerChats(s.list.kind());
        const auto account = chats.find(summary->account);
        const auto chat = account == chats.end() ? PartnerChatMap::const_iterator()
                                                 : account->second.find(summary->partner);
        if (account == chats.end() || chat == account->second.end()) {
            pane.clear();
            break;
        }
        setPreviewShown(true);
        pane.showConversation(chat->second);
        break;
    }
    case ItemKind::Contacts:
        setPreviewShown(true);
        pane.showContact(*static_cast<const ContactRecord*>(record));
        break;
    case ItemKind::Notes:
        setPreviewShown(true);
        pane.showNote(*static_cast<const NoteRecord*>(record));
        break;
    default: break; // calls, reminders, events and bookmarks have nothing to preview
    }
}

void ResultsView::openApp(int row) {
    State& s = *m_state;
    if (s.list.level() != ItemListModel::Level::Apps) return;
    const void* app = s.list.recordAt(row);
    if (!s.list.openApp(row)) return;
    s.openedApp = app;
    s.searchTimer.stop();
    {
        const QSignalBlocker block(s.ui.EditSearch);
        s.ui.EditSearch->clear();
    }
    updateSearchCount();
    applyColumnWidths();
    s.ui.BtnBackAppDir->show();
    selectRow(0);
}

void ResultsView::backToApps() {
    State& s = *m_state;
    const void* app = s.openedApp;
    showCategory(s.shown);
    if (app) selectRow(s.list.rowOf(app));
}

void ResultsView::switchDeletedOnly(bool on) {
    State& s = *m_state;
    const ItemKind kind = s.shown;
    if (!hasDeletedFlag(kind) || !tallyReadable(s.run)) {
        const QSignalBlocker block(s.ui.OptOnOffFilter);
        s.ui.OptOnOffFilter->setChecked(deletedOnly());
        return;
    }
    setDeletedOnly(kind, on, s.run->results(), s.run->tally());
    s.deletedOnly[kind] = on;
    const void* current = s.list.recordAt(s.ui.DataList->currentIndex().row());
    s.list.setDeletedOnly(on);
    updateSearchCount();
    selectRow(s.list.rowOf(current));
    s.tree.refreshTicks(kind);
    refreshStatistics();
    emit tallyChanged();
}

void ResultsView::updateFilterCount() {
    State& s = *m_state;
    const bool on = hasDeletedFlag(s.shown) && deletedOnly();
    s.ui.LblFilterCount->setVisible(on);
    if (!on) return;
    std::uint32_t hidden = 0;
    if (tallyReadable(s.run))
        if (const TallyNode* node = s.run->tally().categoryNode(s.shown)) hidden = node->hidden;
    s.ui.LblFilterCount->setText(
        formatMessage(messageOr("MSG0550", "Files Filtered: %d item(s)"), {QString::number(hidden)}));
}

void ResultsView::applySearch() {
    State& s = *m_state;
    s.searchTimer.stop();
    const void* current = s.list.recordAt(s.ui.DataList->currentIndex().row());
    s.list.setSearch(s.ui.EditSearch->text());
    updateSearchCount();
    selectRow(s.list.rowOf(current));
}

void ResultsView::updateSearchCount() {
    State& s = *m_state;
    const bool searching = !s.list.search().isEmpty();
    s.ui.LblSearchCount->setVisible(searching);
    if (searching)
        s.ui.LblSearchCount->setText(formatMessage(messageOr("MSG0551", "Search: %d of %d shown"),
                                                   {QString::number(s.list.rowCount()),
                                                    QString::number(s.list.unfilteredCount())}));
}

void ResultsView::ticksChanged() {
    refreshStatistics();
    emit tallyChanged();
}

} // namespace orvelle::gui
