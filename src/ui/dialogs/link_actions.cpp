#include "ui/dialogs/link_actions.h"

#include <QDesktopServices>

#include "ui/dialogs/contact.h"
#include "ui/dialogs/ipod_connect.h"

namespace datrevo::ui {

bool OpenExternal(const QUrl& url) { return QDesktopServices::openUrl(url); }

void LinkActions::openWebPage() const { open(QUrl(QString::fromLatin1(kWebPage))); }

void LinkActions::contactSupport() const { open(QUrl(SupportMailUrl())); }

void LinkActions::ipodHelp(QWidget* parent) const {
    if (showIpodHelp) {
        showIpodHelp(parent);
        return;
    }
    IpodHelpDialog help(parent);
    help.exec();
}

}  // namespace datrevo::ui
