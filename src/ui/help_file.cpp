#include "ui/help_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include "ui/dialogs/contact.h"

namespace datrevo::ui {

QString HelpFilePath() {
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(kHelpFileName);
}

bool OpenHelpFile(QWidget* parent, const Opener& open) {
    return OpenHelpFileAt(parent, HelpFilePath(), open);
}

bool OpenHelpFileAt(QWidget* parent, const QString& path, const Opener& open) {
    if (!QFileInfo(path).isFile()) {
        QMessageBox::critical(parent, QString::fromLatin1(kProductName),
                              QStringLiteral("The help file \"%1\" could not be found.")
                                  .arg(QDir::toNativeSeparators(path)));
        return false;
    }
    return open(QUrl::fromLocalFile(path));
}

}  // namespace datrevo::ui
