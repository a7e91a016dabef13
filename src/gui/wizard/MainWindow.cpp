#include "gui/wizard/MainWindow.h"

#include "backup/BackupStore.h"
#include "gui/app/LanguageTexts.h"
#include "gui/common/Icons.h"
#include "gui/common/ScanChoice.h"
#include "gui/results/ScanPage.h"
#include "gui/wizard/AboutDialog.h"
#include "gui/wizard/BackupListPage.h"
#include "gui/wizard/CategoryPage.h"
#include "platform/ProgramFolder.h"
#include "ui_MainWindow.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QScreen>
#include <QUrl>

#include <filesystem>
#include <system_error>

namespace orvelle::gui {

namespace {

constexpr int kWizardPage = 0;
constexpr int kScanPage = 1;

const char* kBandStyle = R"(
#TitleBand { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #2a6fbd, stop:1 #1f5fa8); }
#TitleBand QLabel#LblProductName { color: white; font-size: 18pt; font-weight: bold; }
#TitleBand QToolButton { color: #d6e6f7; border: none; padding: 6px 10px; font-size: 10pt; }
#TitleBand QToolButton:checked { color: white; border-bottom: 3px solid #f5b041; }
#TitleBand QToolButton::menu-indicator { image: none; width: 0px; }
#TitleBand QToolButton:disabled { color: #9dbbe0; }
#TitleBand QToolButton:hover:!checked { color: white; }
#LblFooter { color: #6b7785; background: #f3f6fa; border-top: 1px solid #dde4ec; }
)";

/// A file that ships beside the program, as a link the system opens.
QUrl shippedFile(const QString& relative) {
    const std::filesystem::path file = platform::executableFolder() / relative.toStdString();
    return QUrl::fromLocalFile(QString::fromStdString(file.string()));
}

} // namespace

struct MainWindow::State {
    explicit State(BackupStore& s) : store(s) {}
    BackupStore& store;
    Ui::MainWindow ui;
    ScanChoice choice;
    BackupListPage* backupList = nullptr;
    CategoryPage* categories = nullptr;
    ScanPage* scan = nullptr;
    QMenu* assistMenu = nullptr;
    QMenu* languageMenu = nullptr;
    QActionGroup* languageGroup = nullptr;
};

MainWindow::MainWindow(BackupStore& store, QWidget* parent)
    : QWidget(parent), m_state(std::make_unique<State>(store)) {
    auto& ui = m_state->ui;
    ui.setupUi(this);
    setWindowTitle(QStringLiteral("Free Orvelle"));
    setWindowIcon(skinIcon(QStringLiteral("logo")));
    setStyleSheet(QString::fromLatin1(kBandStyle));
    ui.Logo->setPixmap(skinPixmap(QStringLiteral("logo"), QSize(52, 52), devicePixelRatioF()));
    ui.OptStep1->setIcon(skinIcon(QStringLiteral("step-1")));
    ui.OptStep2->setIcon(skinIcon(QStringLiteral("step-2")));
    ui.OptStep3->setIcon(skinIcon(QStringLiteral("step-3")));
    for (QToolButton* step : {ui.OptStep1, ui.OptStep2, ui.OptStep3}) step->setIconSize(QSize(22, 22));
    ui.BtnAssist->setIcon(skinIcon(QStringLiteral("assist")));

    // The data folder's marker folder (the data folder itself is the store's).
    std::error_code ec;
    std::filesystem::create_directories(store.dataFolder() / "viewInstall", ec);

    m_state->backupList = new BackupListPage(store, m_state->choice, ui.TabPage);
    m_state->categories = new CategoryPage(m_state->choice, ui.TabPage);
    ui.TabPage->addWidget(m_state->backupList);
    ui.TabPage->addWidget(m_state->categories);
    ui.TabPage->addWidget(new QWidget(ui.TabPage)); // the third step has no page of its own
    m_state->scan = new ScanPage(store, ui.MainTabPage);
    ui.MainTabPage->addWidget(m_state->scan);
    ui.scanBandLayout->addWidget(m_state->scan->toolBand());

    connect(ui.OptStep1, &QToolButton::toggled, this, [this](bool on) { if (on) showStep(0); });
    connect(ui.OptStep2, &QToolButton::toggled, this, [this](bool on) { if (on) showStep(1); });
    connect(m_state->backupList, &BackupListPage::backupChosen, this, [this] { m_state->ui.OptStep2->setChecked(true); });
    connect(m_state->categories, &CategoryPage::scanRequested, this, [this] { m_state->scan->startScan(m_state->choice); });
    connect(m_state->scan, &ScanPage::scanOpened, this, [this] {
        m_state->categories->enableNext();
        m_state->ui.MainTabPage->setCurrentIndex(kScanPage);
        showScanBand(true);
    });
    connect(m_state->scan, &ScanPage::passwordNeeded, this, [this] { m_state->categories->passwordWasWrong(); });
    connect(m_state->scan, &ScanPage::scanEnded, this, [this] {
        // A scan that ended before the backup could be read leaves the wizard where it was.
        if (m_state->ui.MainTabPage->currentIndex() == kWizardPage) m_state->categories->enableNext();
    });
    connect(m_state->scan, &ScanPage::homeRequested, this, [this] {
        showScanBand(false);
        m_state->ui.MainTabPage->setCurrentIndex(kWizardPage);
        m_state->ui.OptStep1->setChecked(true);
        showStep(0);
    });

    buildAssistMenu();
    connect(&LanguageTexts::instance(), &LanguageTexts::languageChanged, this, &MainWindow::applyTexts);
    applyTexts();

    resize(1000, 665);
    if (const QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
}

MainWindow::~MainWindow() = default;

ScanPage* MainWindow::scanPage() const { return m_state->scan; }
BackupListPage* MainWindow::backupListPage() const { return m_state->backupList; }
CategoryPage* MainWindow::categoryPage() const { return m_state->categories; }

void MainWindow::showStep(int step) {
    m_state->ui.TabPage->setCurrentIndex(step);
}

void MainWindow::showScanBand(bool scanning) {
    m_state->ui.HorLayoutMain->setVisible(!scanning);
    m_state->ui.ScanBandHolder->setVisible(scanning);
}

void MainWindow::buildAssistMenu() {
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("menu_assist"));
    const auto addItem = [menu](const char* name, const char* text) {
        QAction* action = menu->addAction(QString::fromLatin1(text));
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    QAction* help = addItem("item_help", "Help");
    m_state->languageMenu = menu->addMenu(QStringLiteral("Language"));
    m_state->languageMenu->setObjectName(QStringLiteral("item_language"));
    QAction* faq = addItem("item_faq", "FAQ");
    menu->addSeparator();
    QAction* about = addItem("item_about", "About");
    QAction* support = addItem("item_support", "Support");
    menu->addSeparator();
    QAction* exit = addItem("item_exit", "Exit");

    m_state->languageGroup = new QActionGroup(this);
    for (const auto& [name, shown] : LanguageTexts::instance().languages()) {
        QAction* item = m_state->languageMenu->addAction(shown);
        item->setObjectName(QStringLiteral("item_language_") + name);
        item->setCheckable(true);
        item->setChecked(name == LanguageTexts::instance().currentLanguage());
        m_state->languageGroup->addAction(item);
        connect(item, &QAction::triggered, this, [name = name] { LanguageTexts::instance().setLanguage(name); });
    }

    const auto helpPage = [] {
        const bool chinese = LanguageTexts::instance().currentLanguage() == QStringLiteral("Chinese");
        return shippedFile(chinese ? QStringLiteral("help/index.zh.html") : QStringLiteral("help/index.html"));
    };
    connect(help, &QAction::triggered, this, [helpPage] { QDesktopServices::openUrl(helpPage()); });
    connect(faq, &QAction::triggered, this, [helpPage] {
        QUrl page = helpPage();
        page.setFragment(QStringLiteral("faq"));
        QDesktopServices::openUrl(page);
    });
    connect(about, &QAction::triggered, this, [this] { AboutDialog(this).exec(); });
    connect(support, &QAction::triggered, this, [] { QDesktopServices::openUrl(shippedFile(QStringLiteral("README.md"))); });
    connect(exit, &QAction::triggered, this, &QWidget::close);
    m_state->assistMenu = menu;
    m_state->ui.BtnAssist->setMenu(menu);
}

void MainWindow::applyTexts() {
    auto& texts = LanguageTexts::instance();
    texts.applySection(QStringLiteral("MainWnd"), this);
    texts.applySection(QStringLiteral("MenuWnd"), m_state->assistMenu);
    setWindowTitle(QStringLiteral("Free Orvelle"));
    for (QAction* item : m_state->languageGroup->actions())
        item->setChecked(item->objectName() == QStringLiteral("item_language_") + texts.currentLanguage());
}

void MainWindow::bringToFront() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!m_state->scan->confirmClose()) {
        event->ignore();
        return;
    }
    event->accept();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape reach no control and never close the window.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace orvelle::gui
