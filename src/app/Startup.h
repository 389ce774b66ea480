#pragma once

class QWidget;

namespace tf {

// The start-up steps, in order: the look of the controls and the program's
// pictures, the help file and its F1 key, the windows the menus know, the
// database of a first start, and the control panel, shown centred. Returns the
// panel. Needs a QApplication and an installed platform.
QWidget *startProgram();

} // namespace tf
