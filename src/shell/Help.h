#pragma once

// The program's help: the help file set at start-up, F1 in every window through
// one application-wide key handler, and the help window that shows the file.

#include <QString>

class QWidget;

namespace tf::Help {

// The application help file (the start-up sets it to the program folder's tfnhelp.chm).
void setFile(const QString &path);
QString file();

// Makes F1 open the help file in every window of the program, present and
// future: one filter on the application sees the key wherever it is pressed.
void installKey();

// The page for a window: "<window name>.html" (the viewer falls back to the
// default page when the file has none of that name).
QString pageFor(const QWidget *window);

// Opens help for `window` through the platform: the help file at its page.
bool showFor(QWidget *window);

// Shows the help file in the program's own help window, at `page` when the file
// holds it, else at its default page. False (after saying so) when the file
// cannot be read. This is what the real platform does for help.
bool showInViewer(const QString &helpFile, const QString &page, QWidget *parent);

} // namespace tf::Help
