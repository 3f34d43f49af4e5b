#include "ui/dialogs/info_dialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialogs/contact.h"
#include "ui/dialogs/dialog_look.h"
#include "ui/dialogs/notice_layout.h"
#include "ui/images.h"

namespace datrevo::ui {
namespace {

constexpr int kTextWidth = 560;

QLabel* Paragraph(const QString& text, QWidget* parent) {
    QLabel* label = TextLine(text, 0, parent, true);
    label->setFixedWidth(kTextWidth - 24);
    return label;
}

}  // namespace

NoDiskDialog::NoDiskDialog(std::function<bool()> retry, QWidget* parent,
                           std::function<void()> endProgram, LinkActions links)
    : QDialog(parent),
      retry_(std::move(retry)),
      endProgram_(std::move(endProgram)),
      links_(std::move(links)) {
    if (!endProgram_) endProgram_ = [] { QCoreApplication::exit(0); };
    ApplyDialogLook(*this);
    QVBoxLayout* column = PictureAndColumn(*this, image::kNotice);
    QLabel* headline = Headline(QStringLiteral("Could not find any iPod or other Removable Storage "
                                               "Device Connected to your Computer."),
                                1137, this);
    headline->setFixedWidth(kTextWidth);
    column->addWidget(headline);
    QLabel* reason =
        TextLine(QStringLiteral("Either you have not connected iPod to your Computer or "
                                "iTunes preferences configuration of your PC is not "
                                "allowing direct access to your iPod Storage."),
                 0, this, true);
    reason->setFixedWidth(kTextWidth);
    column->addWidget(reason);

    auto* methods = new QGroupBox(this);
    auto* inside = new QVBoxLayout(methods);
    inside->setSpacing(6);
    inside->addWidget(Paragraph(QStringLiteral("Please use any of the following methods to recover "
                                               "data from your iPod:"),
                                methods));
    inside->addWidget(
        Paragraph(QStringLiteral(
                      "1. Temporarily uninstall the iTunes software from your computer so that it "
                      "may not block data recovery software to access your iPod storage to perform "
                      "data recovery search on it. After uninstalling iTunes, re-connect iPod to "
                      "your Computer."),
                  methods));
    inside->addWidget(
        Paragraph(QStringLiteral("2. OR, alternatively if you do not want to uninstall "
                                 "iTunes, you can also enable storage mode of your iPod "
                                 "from iTunes."),
                  methods));
    LinkLabel* steps =
        Link(QStringLiteral("Follow these steps to \u2018Enable disk use\u2019 of your "
                            "iPod from iTunes."),
             1191, methods);
    connect(steps, &LinkLabel::clicked, this, [this] { links_.ipodHelp(this); });
    auto* stepsRow = new QHBoxLayout;
    stepsRow->addSpacing(14);
    stepsRow->addWidget(steps);
    stepsRow->addStretch(1);
    inside->addLayout(stepsRow);
    inside->addWidget(Paragraph(QStringLiteral("3. OR, Try Vantorrel Datrevo software on another "
                                               "machine where iTunes is not installed. "),
                                methods));
    column->addWidget(methods);

    LinkLabel* contact = TextWithLink(*column,
                                      QStringLiteral("For any type of technical help in recovering "
                                                     "your Data, "),
                                      QStringLiteral("click here to contact us..."), 1140, this);
    connect(contact, &LinkLabel::clicked, this, [this] { links_.contactSupport(); });
    LinkLabel* web = Link(QString::fromLatin1(kWebPage), 1141, this);
    connect(web, &LinkLabel::clicked, this, [this] { links_.openWebPage(); });
    column->addWidget(web);

    QPushButton* retryButton = DialogButton(QStringLiteral("Retry"), 1139, this);
    QPushButton* exitButton = DialogButton(QStringLiteral("Exit"), 1125, this);
    // Neither button takes Enter.
    retryButton->setAutoDefault(false);
    exitButton->setAutoDefault(false);
    connect(retryButton, &QPushButton::clicked, this, &NoDiskDialog::retryClicked);
    connect(exitButton, &QPushButton::clicked, this, &NoDiskDialog::exitClicked);
    ButtonRow(*column, retryButton, exitButton);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void NoDiskDialog::retryClicked() {
    if (retry_ && retry_()) accept();
}

void NoDiskDialog::exitClicked() {
    links_.openWebPage();
    done(QDialog::Rejected);
    endProgram_();
}

void NoDiskDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape: event->accept(); return;
        default: QDialog::keyPressEvent(event);
    }
}

void NoDiskDialog::closeEvent(QCloseEvent* event) {
    // Closing the window is leaving the program, the same as "Exit".
    event->accept();
    links_.openWebPage();
    done(QDialog::Rejected);
    endProgram_();
}

}  // namespace datrevo::ui
