#pragma once

class QWidget;

namespace tf {

struct AutoBackupResult;

// Chooses where the diary and the shipped files live for this program (portable
// beside the executable, or installed with the diary in the user's data folder)
// and creates the data folder of an installed program.
void useFileLayout();

// The start-up steps, in order: the look of the controls and the program's
// pictures, the help file and its F1 key, the windows the menus know, then
// openFirstWindow(). Returns the window it showed. Needs a QApplication and an
// installed platform.
QWidget *startProgram();

// The database step of the start and the first window. A first start (a folder
// that never held a diary) gets a fresh database and the control panel without
// a word. Where Tallyfin kept a diary before and tfn5.mdb is gone, the user is
// told and chooses: restore a backup (the database utility opens instead of the
// panel), start a new, empty diary, or stop (nothing is shown, nullptr, and the
// program ends once its event loop runs). Which folders held a diary is kept in
// the user's settings, never in the program folder.
QWidget *openFirstWindow();

// Brings the program's window to the front: a second start on the same diary asked for it.
void showRunningWindow();

// As the program ends: closes every window and makes the automatic backup of
// the diary when it changed. A failed copy is said once; closing goes on.
AutoBackupResult backupOnClose();

} // namespace tf
