#include "app/Startup.h"

#include "app/WindowCatalog.h"
#include "data/Schema.h"
#include "platform/Platform.h"
#include "shell/Art.h"
#include "shell/Help.h"
#include "shell/QtPlatform.h"
#include "shell/Resources.h"
#include "shell/WindowRegistry.h"
#include "shell/frmStart.h"

#include <QApplication>
#include <QIcon>

namespace tf {

QWidget *startProgram()
{
    // The common controls: one style everywhere, the compiled-in pictures and
    // the program's icon for every window.
    initResources();
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setWindowIcon(QIcon(art::appIcon()));

    Help::setFile(programFile(QStringLiteral("tfnhelp.chm")));
    Help::installKey();
    QtPlatform::setHelpHandler(&Help::showInViewer);

    registerWindows();

    // A first start finds no database and gets a fresh one; anything else is
    // left as it is, and the panel says what is wrong with it.
    QString createError;
    createDatabaseOnFirstStart(platform().programFolder(), &createError);

    auto *panel = WindowRegistry::open<frmStart>();
    if (panel && !createError.isEmpty())
        panel->setStartupProblem(createError);
    return panel;
}

} // namespace tf
