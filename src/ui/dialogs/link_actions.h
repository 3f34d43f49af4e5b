// What the links of the dialogs do. Every address is opened through one
// opener (the desktop's default program by default); tests hand in their
// own so that nothing is launched.
#pragma once

#include <QUrl>
#include <functional>

class QWidget;

namespace datrevo::ui {

using Opener = std::function<bool(const QUrl&)>;

// Opens `url` with the desktop's default program (browser, mail, viewer).
bool OpenExternal(const QUrl& url);

struct LinkActions {
    Opener open = OpenExternal;
    // Shows the iPod-connection help over `parent` (IpodHelpDialog, modal).
    std::function<void(QWidget* parent)> showIpodHelp;

    void openWebPage() const;
    void contactSupport() const;
    void ipodHelp(QWidget* parent) const;
};

}  // namespace datrevo::ui
