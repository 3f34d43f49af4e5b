#include "ui/dialogs/contact.h"

#include <QStringList>

namespace datrevo::ui {

QString SupportMailUrl() {
    const QStringList body = {
        QStringLiteral("Dear Customer Support,"),
        QStringLiteral("I am having Difficulties in using Vantorrel Datrevo. "),
        QString(),
        QStringLiteral("My Operating system is: "),
        QString(),
        QStringLiteral("I am using following security/Antivirus/Firewall Software in My Machine: "),
        QString(),
        QStringLiteral("The Hardware Configuration details of My Machine in which I am running the "
                       "software are: "),
        QString(),
        QString(),
        QStringLiteral(
            "The details of my Storage media (from which I am trying to recover data) are "
            "as follows: "),
        QStringLiteral("Media Type: "),
        QStringLiteral("Storage Capacity: "),
        QStringLiteral("Manufacturer: "),
        QString(),
        QStringLiteral("Possible cause of Data Loss (if known): "),
        QStringLiteral("Error message (if any): "),
        QString(),
        QStringLiteral("More Details of problem with screenshot (if any): "),
    };
    return QStringLiteral("mailto:") + QLatin1String(kSupportAddress) +
           QStringLiteral("?subject=") + QLatin1String(kSupportSubject) + QStringLiteral("&body=") +
           body.join(QStringLiteral("%0A"));
}

}  // namespace datrevo::ui
