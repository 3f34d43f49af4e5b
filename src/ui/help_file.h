// The user guide, "Software Guide.html": beside the program in a build tree,
// in share/doc/datrevo once installed (bin/../share/doc/datrevo).
#pragma once

#include <QString>
#include <QStringList>

#include "ui/dialogs/link_actions.h"

class QWidget;

namespace datrevo::ui {

inline constexpr const char* kHelpFileName = "Software Guide.html";

// The places the guide is looked for, in order, for a program in `programDir`:
// beside it, then the installed documentation folder seen from it.
QStringList HelpFileCandidates(const QString& programDir);
// The first candidate that is a file; the first candidate (beside the
// program) when none is, so that the message names a place.
QString FindHelpFile(const QString& programDir);
// FindHelpFile for the running program's folder.
QString HelpFilePath();

// Opens the guide with `open`; says so in a message box over `parent` when
// the file is missing. False when nothing was opened.
bool OpenHelpFile(QWidget* parent, const Opener& open = OpenExternal);
bool OpenHelpFileAt(QWidget* parent, const QString& path, const Opener& open);

}  // namespace datrevo::ui
