#include "app/DiaryGuard.h"
#include "app/DiaryWatch.h"
#include "app/Startup.h"
#include "data/AutoBackup.h"
#include "data/Schema.h"
#include "platform/Platform.h"
#include "shell/QtPlatform.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {

// For the start-up benchmark only: ends the program once the control panel has
// been painted for the first time, so a harness can time a whole start. The
// program itself takes no arguments and reads no settings; nothing else looks
// at this.
class ExitWhenShown : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // After the paint has finished and reached the screen.
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(tf::kProgramTitle);
    tf::setPlatform(std::make_unique<tf::QtPlatform>());

    tf::useFileLayout();
    const QString diary = tf::programDatabasePath();
    tf::DiaryGuard guard(diary);
    switch (guard.claim()) {
    case tf::DiaryGuard::Claim::Ours:
        break;
    case tf::DiaryGuard::Claim::ShownElsewhere:
        return 0;
    case tf::DiaryGuard::Claim::Busy:
        tf::showMessage(nullptr, tf::MessageIcon::Exclamation, guard.errorText());
        return 1;
    }
    QObject::connect(&guard, &tf::DiaryGuard::showRequested, &tf::showRunningWindow);

    QWidget *panel = tf::startProgram();
    if (panel && qEnvironmentVariableIsSet("TALLYFIN_EXIT_WHEN_SHOWN"))
        panel->installEventFilter(new ExitWhenShown(panel));
    tf::DiaryWatch watch(diary);
    const int status = app.exec();
    tf::backupOnClose();
    return status;
}
