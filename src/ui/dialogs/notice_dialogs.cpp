#include "ui/dialogs/notice_dialogs.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "search/notices.h"
#include "ui/dialogs/contact.h"
#include "ui/dialogs/dialog_look.h"
#include "ui/dialogs/notice_layout.h"
#include "ui/images.h"

namespace datrevo::ui {
namespace {

QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

const QString kImportant = QStringLiteral("Important:");
const QString kAllowCompletion = QStringLiteral(
    "2. It is strongly recommended that you should allow every process to be completed 100%.");
const QString kAssistance =
    QStringLiteral("For further technical assistance in recovering your data,");
const QString kContactUs = QStringLiteral("click here to contact us...");

}  // namespace

StandardNothingFoundNotice::StandardNothingFoundNotice(QWidget* parent, LinkActions links)
    : QDialog(parent), links_(std::move(links)) {
    ApplyDialogLook(*this);
    QVBoxLayout* column = PictureAndColumn(*this, image::kNotice);
    column->addWidget(Headline(FromView(kStandardNothingFoundNotice), 1154, this));
    column->addSpacing(6);
    column->addWidget(Headline(kImportant, 1155, this));
    // The three lines of the first point keep their breaks.
    auto* point = new QVBoxLayout;
    point->setSpacing(0);
    point->addWidget(TextLine(QStringLiteral("1. Both the recovery modes (i.e. Standard Search and "
                                             "Advance Search) recover data using different"),
                              0, this));
    point->addWidget(TextLine(QStringLiteral(" Data Recovery Techniques in different cases of data "
                                             "loss. In most of the data loss cases, at least "),
                              0, this));
    point->addWidget(TextLine(QStringLiteral("one recovery mode may work for you, even if another "
                                             "fails to recover data."),
                              0, this));
    column->addLayout(point);
    column->addWidget(TextLine(kAllowCompletion, 0, this));
    column->addSpacing(6);
    LinkLabel* contact =
        TextWithLink(*column, kAssistance + QLatin1Char(' '), kContactUs, 1169, this);
    connect(contact, &LinkLabel::clicked, this, [this] { links_.contactSupport(); });
    QPushButton* ok = DialogButton(QStringLiteral("OK"), 1008, this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ButtonRow(*column, ok);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

AdvanceNothingFoundNotice::AdvanceNothingFoundNotice(QWidget* parent, LinkActions links)
    : QDialog(parent), links_(std::move(links)) {
    ApplyDialogLook(*this);
    QVBoxLayout* column = PictureAndColumn(*this, image::kNotice);
    column->addWidget(Headline(FromView(kAdvanceNothingFoundNotice), 1156, this));
    column->addSpacing(6);
    column->addWidget(Headline(kImportant, 1157, this));
    QLabel* first = TextLine(QString(), 1159, this, true);
    first->setMinimumWidth(560);
    column->addWidget(first);
    column->addWidget(TextLine(kAllowCompletion, 0, this, true));
    LinkLabel* ipod =
        TextWithLink(*column, QStringLiteral("3. For Help on connecting iPod for recovery, "),
                     QStringLiteral("click here."), 1161, this);
    connect(ipod, &LinkLabel::clicked, this, [this] { links_.ipodHelp(this); });
    column->addSpacing(6);
    LinkLabel* contact =
        TextWithLink(*column, kAssistance + QLatin1Char(' '), kContactUs, 1158, this);
    connect(contact, &LinkLabel::clicked, this, [this] { links_.contactSupport(); });
    LinkLabel* web = Link(QString::fromLatin1(kWebPage), 1193, this);
    connect(web, &LinkLabel::clicked, this, [this] { links_.openWebPage(); });
    column->addWidget(web);
    QPushButton* ok = DialogButton(QStringLiteral("OK"), 1125, this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ButtonRow(*column, ok);
    // Set at start-up, as one paragraph.
    first->setText(QStringLiteral(
        "1. Both the recovery modes (i.e. Standard Search and Advance Search) recover data using "
        "different Data Recovery Techniques in different cases of data loss. In Most of the data "
        "loss cases, at least one recovery mode may work for you, even if another fails to recover "
        "data."));
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace datrevo::ui
