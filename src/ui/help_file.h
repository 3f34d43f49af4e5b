// The user guide, "Software Guide.html", installed beside the program.
#pragma once

#include <QString>

#include "ui/dialogs/link_actions.h"

class QWidget;

namespace datrevo::ui {

inline constexpr const char* kHelpFileName = "Software Guide.html";

// The running program's folder followed by "/Software Guide.html".
QString HelpFilePath();

// Opens the guide with `open`; says so in a message box over `parent` when
// the file is missing. False when nothing was opened.
bool OpenHelpFile(QWidget* parent, const Opener& open = OpenExternal);
bool OpenHelpFileAt(QWidget* parent, const QString& path, const Opener& open);

}  // namespace datrevo::ui
