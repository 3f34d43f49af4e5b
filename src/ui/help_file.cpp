#include "ui/help_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include "ui/dialogs/contact.h"

namespace datrevo::ui {

QStringList HelpFileCandidates(const QString& programDir) {
    const QDir dir(programDir);
    const QString name = QLatin1String(kHelpFileName);
    return {dir.filePath(name),
            QDir::cleanPath(dir.filePath(QStringLiteral(DATREVO_DOC_FROM_BIN "/") + name))};
}

QString FindHelpFile(const QString& programDir) {
    const QStringList candidates = HelpFileCandidates(programDir);
    for (const QString& path : candidates)
        if (QFileInfo(path).isFile()) return path;
    return candidates.front();
}

QString HelpFilePath() { return FindHelpFile(QCoreApplication::applicationDirPath()); }

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
