#include "gui/wizard/CategoryPage.h"

#include "gui/app/LanguageTexts.h"
#include "gui/common/Icons.h"
#include "gui/common/MessageBox.h"
#include "gui/common/ScanChoice.h"
#include "gui/wizard/PasswordDialog.h"
#include "ui_CategoryPage.h"

#include <QGridLayout>
#include <QSignalBlocker>
#include <array>

namespace orvelle::gui {

namespace {

const QString kSection = QStringLiteral("PageSpecifyFile");
/// The password was left empty: ask again (OK) or go on without one.
const QString kEmptyPassword = QStringLiteral("MSG0301");
/// The password did not open the backup.
const QString kWrongPassword = QStringLiteral("MSG0302");

} // namespace

struct CategoryPage::State {
    explicit State(ScanChoice& c) : choice(c) {}
    ScanChoice& choice;
    Ui::CategoryPage ui;
    /// The options in the order of kCategories; null for a category the page does not offer.
    std::array<QCheckBox*, kCategories.size()> options{};
    /// How many categories the page offers.
    std::size_t offered = 0;
    /// Next was pressed and the scan has not answered yet.
    bool pending = false;
};

CategoryPage::CategoryPage(ScanChoice& choice, QWidget* parent)
    : QWidget(parent), m_state(std::make_unique<State>(choice)) {
    Ui::CategoryPage& ui = m_state->ui;
    ui.setupUi(this);

    for (QGridLayout* grid : {ui.PhotosLayout, ui.MessagesLayout})
        for (int column = 0; column < 4; ++column)
            grid->setColumnStretch(column, 1);

    for (std::size_t i = 0; i < kCategories.size(); ++i) {
        const CategoryInfo& category = kCategories[i];
        if (!onCategoryPage(category)) continue;
        ++m_state->offered;
        const QString name = QString::fromLatin1(category.optionControl.data(),
                                                 static_cast<qsizetype>(category.optionControl.size()));
        QCheckBox* option = findChild<QCheckBox*>(name);
        Q_ASSERT(option); // the form names every category
        option->setIcon(categoryIcon(category));
        connect(option, &QCheckBox::toggled, this, &CategoryPage::optionsChanged);
        m_state->options[i] = option;
    }
    // Only a click decides what "select all" does; its own state follows the options.
    connect(ui.ChkSelAll, &QCheckBox::clicked, this,
            [this] { setAllTicked(m_state->ui.ChkSelAll->checkState() != Qt::Unchecked); });
    connect(ui.BtnNext2, &QPushButton::clicked, this, &CategoryPage::next);
    connect(&LanguageTexts::instance(), &LanguageTexts::languageChanged, this, &CategoryPage::applyTexts);
    applyTexts();
    optionsChanged();
}

CategoryPage::~CategoryPage() = default;

void CategoryPage::applyTexts() {
    LanguageTexts::instance().applySection(kSection, this);
}

void CategoryPage::setAllTicked(bool ticked) {
    for (QCheckBox* option : m_state->options) {
        if (!option) continue;
        const QSignalBlocker blocker(option);
        option->setChecked(ticked);
    }
    optionsChanged();
}

void CategoryPage::optionsChanged() {
    std::size_t count = 0;
    for (std::size_t i = 0; i < m_state->options.size(); ++i) {
        if (!m_state->options[i]) continue;
        const bool ticked = m_state->options[i]->isChecked();
        m_state->choice.ticked[i] = ticked;
        count += ticked ? 1 : 0;
    }
    m_state->choice.includeUnoffered();
    QCheckBox* all = m_state->ui.ChkSelAll;
    const QSignalBlocker blocker(all);
    if (count == 0 || count == m_state->offered) {
        all->setCheckState(count == 0 ? Qt::Unchecked : Qt::Checked);
        // Not tri-state, so a click from "none" goes straight to "all".
        all->setTristate(false);
    } else {
        all->setCheckState(Qt::PartiallyChecked); // a click from here ticks all
    }
    m_state->ui.BtnNext2->setEnabled(count > 0 && !m_state->pending);
}

void CategoryPage::enableNext() {
    m_state->pending = false;
    optionsChanged();
}

void CategoryPage::next() {
    if (m_state->pending) return;
    m_state->pending = true;
    m_state->ui.BtnNext2->setEnabled(false);
    if (!askForPassword()) {
        enableNext();
        return;
    }
    emit scanRequested();
}

void CategoryPage::passwordWasWrong() {
    m_state->pending = true;
    m_state->ui.BtnNext2->setEnabled(false);
    showMessageBox(window(), MessageKind::Information, messageText(kWrongPassword));
    if (!askForPassword()) {
        enableNext();
        return;
    }
    emit scanRequested();
}

bool CategoryPage::askForPassword() {
    ScanChoice& choice = m_state->choice;
    if (!choice.backup.encrypted) {
        choice.password.clear(); // a plain backup needs none; forget an earlier one
        return true;
    }
    for (;;) {
        const std::optional<QString> password = askPassword(window());
        if (!password) return false;
        if (!password->isEmpty()) {
            choice.password = *password;
            return true;
        }
        // An empty password is refused once; insisting passes it on, and the
        // scan then reports it as wrong.
        if (showMessageBox(window(), MessageKind::Warning, messageText(kEmptyPassword)) != kAnswerOk) {
            choice.password.clear();
            return true;
        }
    }
}

} // namespace orvelle::gui
