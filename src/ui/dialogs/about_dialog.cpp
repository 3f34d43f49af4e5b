#include "ui/dialogs/about_dialog.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialogs/contact.h"
#include "ui/dialogs/dialog_look.h"
#include "ui/dialogs/notice_layout.h"
#include "ui/images.h"

namespace datrevo::ui {

AboutDialog::AboutDialog(QWidget* parent, LinkActions links)
    : QDialog(parent), links_(std::move(links)) {
    ApplyDialogLook(*this);
    setWindowTitle(QStringLiteral("About Vantorrel Datrevo"));
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(16, 16, 20, 14);
    outer->setSpacing(18);
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(LoadPixmap(image::kWindowIcon)
                        .scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    outer->addWidget(icon, 0, Qt::AlignTop);
    auto* column = new QVBoxLayout;
    column->setSpacing(6);
    outer->addLayout(column, 1);

    QLabel* version = TextLine(
        QStringLiteral("Vantorrel Datrevo Version - %1").arg(QLatin1String(kProductVersion)), 0,
        this);
    version->setObjectName(QStringLiteral("version"));
    QFont bold = version->font();
    bold.setBold(true);
    version->setFont(bold);
    column->addWidget(version);
    QLabel* notice = TextLine(
        QStringLiteral("Copyright \u00A9 2009-2026 Vantorrel. All rights reserved."), 0, this);
    notice->setObjectName(QStringLiteral("notice"));
    column->addWidget(notice);
    column->addSpacing(6);
    LinkLabel* mail = TextWithLink(*column, QStringLiteral("Email : "),
                                   QString::fromLatin1(kSupportAddress), 0, this);
    mail->setObjectName(QStringLiteral("mailLink"));
    connect(mail, &LinkLabel::clicked, this, [this] { links_.contactSupport(); });
    LinkLabel* web = Link(QString::fromLatin1(kWebPage), 0, this);
    web->setObjectName(QStringLiteral("webLink"));
    connect(web, &LinkLabel::clicked, this, [this] { links_.openWebPage(); });
    column->addWidget(web);
    QPushButton* ok = DialogButton(QStringLiteral("OK"), 0, this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ButtonRow(*column, ok);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace datrevo::ui
