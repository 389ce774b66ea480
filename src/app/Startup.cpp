#include "app/Startup.h"

#include "app/WindowCatalog.h"
#include "data/AutoBackup.h"
#include "data/Schema.h"
#include "platform/FileLocations.h"
#include "platform/Platform.h"
#include "shell/Art.h"
#include "shell/Help.h"
#include "shell/QtPlatform.h"
#include "shell/Resources.h"
#include "shell/WindowRegistry.h"
#include "shell/frmStart.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QSettings>
#include <QStandardPaths>
#include <memory>

namespace tf {

void useFileLayout()
{
    const FileLayout layout =
        chooseFileLayout(platform().programFolder(), QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                         kDatabaseFileName);
    // A portable program follows the platform's program folder, as tests move it.
    setFileLayout(layout.portable ? std::nullopt : std::optional<FileLayout>(layout));
    if (!layout.portable)
        QDir().mkpath(layout.dataFolder);
}

QWidget *startProgram()
{
    useFileLayout();
    // The common controls: one style everywhere, the compiled-in pictures and
    // the program's icon for every window.
    initResources();
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setWindowIcon(QIcon(art::appIcon()));

    Help::setFile(filePath(FileRole::Shipped, QStringLiteral("tfnhelp.chm")));
    Help::installKey();
    QtPlatform::setHelpHandler(&Help::showInViewer);

    registerWindows();
    return openFirstWindow();
}

namespace {

const QString kDiaryFolders = QStringLiteral("diaryFolders");

// Per user, beside the user's other settings: the program folder is the one
// place that may have lost its files.
std::unique_ptr<QSettings> userSettings()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, kProgramTitle, kProgramTitle);
}

QString folderKey(const QString &folder)
{
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

bool heldADiary(const QString &folder)
{
    return userSettings()->value(kDiaryFolders).toStringList().contains(folderKey(folder));
}

void rememberDiary(const QString &folder)
{
    const auto settings = userSettings();
    QStringList folders = settings->value(kDiaryFolders).toStringList();
    const QString key = folderKey(folder);
    if (folders.contains(key))
        return;
    folders << key;
    settings->setValue(kDiaryFolders, folders);
}

} // namespace

QWidget *openFirstWindow()
{
    const QString folder = fileLayout().dataFolder;
    const QDir dir(folder);
    if (QFileInfo::exists(dir.filePath(kDatabaseFileName))) {
        rememberDiary(folder);
    } else if (!QFileInfo::exists(dir.filePath(kRepairFileName)) && heldADiary(folder)) {
        // An empty log in place of years of trips would look like a first start;
        // the angler decides what happens instead.
        const QString text =
            QStringList{QStringLiteral("Your diary %1 is missing from %2, where Tallyfin has kept it before.")
                            .arg(kDatabaseFileName, QDir::toNativeSeparators(folder)),
                        QStringLiteral("Yes: restore a backup copy (the database utility opens)."),
                        QStringLiteral("No: start a new, empty diary."),
                        QStringLiteral("Cancel: close Tallyfin and change nothing.")}
                .join(QLatin1Char('\n'));
        const MessageAnswer answer =
            showMessage(nullptr, MessageIcon::Question, text, QString(), MessageButtons::YesNoCancel);
        if (answer == MessageAnswer::Yes) {
            if (QWidget *utility = WindowRegistry::open(QStringLiteral("frmDbutility")))
                return utility;
        }
        if (answer != MessageAnswer::No) {
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
            return nullptr;
        }
    }

    // A first start finds no database and gets a fresh one; anything else is
    // left as it is, and the panel says what is wrong with it.
    QString createError;
    const bool created = createDatabaseOnFirstStart(folder, &createError);
    if (created)
        rememberDiary(folder);

    auto *panel = WindowRegistry::open<frmStart>();
    if (panel && !createError.isEmpty())
        panel->setStartupProblem(createError);
    if (panel && created)
        panel->welcomeNewDiary();
    return panel;
}

void showRunningWindow()
{
    // The panel when it is there; else whichever window the program shows
    // (the database utility after Exit & Backup).
    QWidget *window = WindowRegistry::find(QStringLiteral("frmStart"));
    if (!window || !window->isVisible()) {
        window = nullptr;
        for (QWidget *w : WindowRegistry::openWindows())
            if (w->isVisible())
                window = w;
    }
    if (!window)
        return;
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

AutoBackupResult backupOnClose()
{
    // Every window lets go of the diary first: the copy is taken of a file nobody writes.
    WindowRegistry::closeAll();
    const AutoBackupResult result =
        makeAutomaticBackup(fileLayout().dataFolder, filePath(FileRole::Backups), platform().now());
    if (result.outcome == AutoBackupResult::Outcome::Failed)
        showMessage(nullptr, MessageIcon::Exclamation,
                    QStringList{QStringLiteral("Tallyfin could not make its automatic backup copy of your diary."),
                                result.error,
                                QStringLiteral("Your diary itself is unchanged. The next close tries again; "
                                               "\"Backup Database\" can copy it elsewhere.")}
                        .join(QLatin1Char('\n')));
    return result;
}

} // namespace tf
