#include "gui/wizard/AboutDialog.h"

#include "gui/app/LanguageTexts.h"
#include "gui/common/Icons.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <libheif/heif.h>
#include <openssl/crypto.h>
#include <sqlite3.h>

namespace orvelle::gui {

QStringList AboutDialog::versionLines() {
    return {
        QStringLiteral("Orvelle %1").arg(QStringLiteral(ORVELLE_VERSION)),
        QStringLiteral("Qt %1").arg(QString::fromLatin1(qVersion())),
        QStringLiteral("SQLite %1").arg(QString::fromLatin1(sqlite3_libversion())),
        QString::fromLatin1(OpenSSL_version(OPENSSL_VERSION)),
        QStringLiteral("libplist %1").arg(QStringLiteral(ORVELLE_PLIST_VERSION)),
        QStringLiteral("libheif %1").arg(QString::fromLatin1(heif_get_version())),
    };
}

AboutDialog::AboutDialog(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("AboutWnd"));
    setWindowTitle(QStringLiteral("Free Orvelle"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* logo = new QLabel(this);
    logo->setPixmap(skinPixmap(QStringLiteral("logo"), QSize(64, 64), devicePixelRatioF()));
    auto* name = new QLabel(QStringLiteral("Free Orvelle"), this);
    name->setObjectName(QStringLiteral("LblAboutName"));
    name->setStyleSheet(QStringLiteral("font-size: 16pt; font-weight: bold; color: #1f5fa8;"));
    auto* about = new QLabel(this);
    about->setObjectName(QStringLiteral("LblAboutText"));
    about->setWordWrap(true);
    about->setText(QStringLiteral("Orvelle reads the backups iTunes and Finder keep of iPhones and iPads, "
                                  "and gets your data back out of them."));
    auto* heading = new QLabel(QStringLiteral("Components in use:"), this);
    heading->setObjectName(QStringLiteral("LblAboutComponents"));
    auto* versions = new QLabel(versionLines().join(u'\n'), this);
    versions->setObjectName(QStringLiteral("LblAboutVersions"));
    versions->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("BtnAboutOK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* top = new QHBoxLayout;
    top->addWidget(logo);
    top->addWidget(name, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->addLayout(top);
    layout->addWidget(about);
    layout->addSpacing(8);
    layout->addWidget(heading);
    layout->addWidget(versions);
    layout->addStretch(1);
    layout->addWidget(buttons);
    resize(460, 330);
    LanguageTexts::instance().applySection(QStringLiteral("AboutWnd"), this);
}

} // namespace orvelle::gui
