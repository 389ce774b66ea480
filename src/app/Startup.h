#pragma once

class QWidget;

namespace tf {

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

} // namespace tf
