#include "shell/frmDbutility.h"

#include "data/Maintenance.h"
#include "platform/FileLocations.h"
#include "platform/Platform.h"
#include "shell/WindowChrome.h"
#include "shell/frmTransfer.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace tf {

namespace {

const QString kFilter = QStringLiteral("Database Files (*.mdb*)|*.mdb");

// The width every panel shares; the labels wrap inside it.
constexpr int kPanelWidth = 540;

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, bool wrap = true)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(wrap);
    return label;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &text)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    // Enter presses the focused button, as Space does: the window is not a dialog.
    button->setAutoDefault(true);
    return button;
}

QGroupBox *makePanel(QWidget *parent, const char *name, const QString &caption)
{
    auto *box = new QGroupBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

// The live file's size in the window's form, or "?" when it cannot be read.
QString liveSize()
{
    const QFileInfo live(programDatabasePath());
    return live.isFile() ? formatSize(live.size()) : QStringLiteral("?");
}

} // namespace

frmDbutility::frmDbutility(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmDbutility"));
    setWindowTitle(QStringLiteral(" Tallyfin Database Utility"));

    auto *title = makeLabel(this, "Label12", QStringLiteral("Database Maintenance"), false);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);

    // Which file the tasks work on: an installed program keeps it out of sight in the user's data folder.
    auto *where = makeLabel(this, "lblDiaryPath",
                            QStringLiteral("Your diary: %1").arg(QDir::toNativeSeparators(programDatabasePath())));
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *panelHost = new QWidget(this);
    panelHost->setFixedWidth(kPanelWidth);
    m_panels = new QStackedLayout(panelHost);
    m_panels->setContentsMargins(0, 0, 0, 0);
    m_panels->addWidget(buildDescription());
    m_panels->addWidget(buildBackup());
    m_panels->addWidget(buildRestore());
    m_panels->addWidget(buildRepair());
    jcTransfer = makeTransferPanel(this);
    m_panels->addWidget(jcTransfer);
    m_panels->setCurrentWidget(jcDescrip);

    // The tasks sit above the panels, where the description tells the user to look.
    auto *root = new QVBoxLayout(this);
    root->setSizeConstraint(QLayout::SetFixedSize);
    root->addWidget(title);
    root->addWidget(where);
    root->addWidget(buildTasks());
    root->addWidget(panelHost);

    setTabOrder(cmdDbackup, cmdDrestore);
    setTabOrder(cmdDrestore, cmdDrepair);
    setTabOrder(cmdDrepair, cmdDexport);
    setTabOrder(cmdDexport, cmdExit);
    setTabOrder(cmdExit, cmdBackup);
    setTabOrder(cmdBackup, cmdRestore);
    setTabOrder(cmdRestore, cmdRepair);

    Label8->setText(liveSize());
    applyProgramLook(this);
}

QGroupBox *frmDbutility::buildTasks()
{
    jcFrames5 = makePanel(this, "jcFrames5", QStringLiteral("Select a Task"));
    cmdDbackup = makeButton(jcFrames5, "cmdDbackup", QStringLiteral("Backup Database"));
    cmdDrestore = makeButton(jcFrames5, "cmdDrestore", QStringLiteral("Restore Database"));
    cmdDrepair = makeButton(jcFrames5, "cmdDrepair", QStringLiteral("Repair Database"));
    cmdDexport = makeButton(jcFrames5, "cmdDexport", QStringLiteral("Export / Import"));
    cmdExit = makeButton(jcFrames5, "cmdExit", QStringLiteral("    Exit"));

    auto *layout = new QHBoxLayout(jcFrames5);
    for (QPushButton *b : {cmdDbackup, cmdDrestore, cmdDrepair, cmdDexport, cmdExit})
        layout->addWidget(b);

    connect(cmdDbackup, &QPushButton::clicked, this, [this] { showTask(jcBackup, cmdBackup); });
    connect(cmdDrestore, &QPushButton::clicked, this, [this] { showTask(jcRestore, cmdRestore); });
    connect(cmdDrepair, &QPushButton::clicked, this, [this] { showTask(jcRepair, cmdRepair); });
    connect(cmdDexport, &QPushButton::clicked, this, [this] {
        m_panels->setCurrentWidget(jcTransfer);
        jcTransfer->findChild<QPushButton *>(QStringLiteral("cmdExportCsv"))->setFocus();
    });
    connect(cmdExit, &QPushButton::clicked, this, &QWidget::close);
    return jcFrames5;
}

QGroupBox *frmDbutility::buildDescription()
{
    jcDescrip = makePanel(this, "jcDescrip", QStringLiteral("Description"));
    auto *layout = new QVBoxLayout(jcDescrip);
    layout->addWidget(makeLabel(jcDescrip, "Label14", QStringLiteral("Begin by selecting a task from above.")));
    layout->addWidget(makeLabel(jcDescrip, "Label13",
                                QStringLiteral("This utility allows you to backup the database for future "
                                               "reinstallations, restore the backups, and compact and repair the "
                                               "database.")));
    layout->addStretch(1);
    return jcDescrip;
}

QGroupBox *frmDbutility::buildBackup()
{
    jcBackup = makePanel(this, "jcBackup", QStringLiteral("Database Backup"));
    cmdBackup = makeButton(jcBackup, "cmdBackup", QStringLiteral("Backup"));
    auto *layout = new QVBoxLayout(jcBackup);
    layout->addWidget(makeLabel(jcBackup, "Label2",
                                QStringLiteral("You should always backup the database after adding a lot of new "
                                               "information or deleting several logs. If you have just viewed your "
                                               "information, then there is no need to do a backup.")));
    layout->addWidget(makeLabel(jcBackup, "Label1",
                                QStringLiteral("When you click the Backup button, a Folder Dialog box appears. Just "
                                               "navigate to the folder, floppy drive, USB drive, or wherever you want "
                                               "to save the backup and then click the \"Save\" button. The file will "
                                               "be saved as \"tfn5\".")));
    layout->addStretch(1);
    layout->addWidget(cmdBackup, 0, Qt::AlignHCenter);
    connect(cmdBackup, &QPushButton::clicked, this, &frmDbutility::backup);
    return jcBackup;
}

QGroupBox *frmDbutility::buildRestore()
{
    jcRestore = makePanel(this, "jcRestore", QStringLiteral("Restore Backup"));
    cmdRestore = makeButton(jcRestore, "cmdRestore", QStringLiteral("Restore"));
    auto *layout = new QVBoxLayout(jcRestore);
    layout->addWidget(makeLabel(jcRestore, "Label10",
                                QStringLiteral("This will restore a previously saved backup of your database.")));
    layout->addWidget(makeLabel(
        jcRestore, "Label5",
        QStringLiteral("Clicking the \"Restore\" button opens a Folder Dialog box. Navigate to the folder, floppy "
                       "disk, or wherever you saved your backup database and select the \"tfn5\" file. Click the "
                       "\"Open\" button and your backup will be restored to the program. Restart Tallyfin and your "
                       "backed up information will be displayed.")));
    layout->addStretch(1);
    layout->addWidget(cmdRestore, 0, Qt::AlignHCenter);
    connect(cmdRestore, &QPushButton::clicked, this, &frmDbutility::restore);
    return jcRestore;
}

QGroupBox *frmDbutility::buildRepair()
{
    jcRepair = makePanel(this, "jcRepair", QStringLiteral("Database Repair"));
    cmdRepair = makeButton(jcRepair, "cmdRepair", QStringLiteral("Repair"));

    Frame1 = makePanel(jcRepair, "Frame1", QStringLiteral("Database Size"));
    Label8 = makeLabel(Frame1, "Label8", QString(), false);
    Label9 = makeLabel(Frame1, "Label9", QStringLiteral("?"), false);
    auto *sizes = new QGridLayout(Frame1);
    sizes->addWidget(makeLabel(Frame1, "Label6", QStringLiteral("Current Size:"), false), 0, 0);
    sizes->addWidget(Label8, 0, 1);
    sizes->addWidget(makeLabel(Frame1, "Label7", QStringLiteral("After Repair:"), false), 1, 0);
    sizes->addWidget(Label9, 1, 1);
    sizes->setColumnStretch(1, 1);

    auto *layout = new QVBoxLayout(jcRepair);
    layout->addWidget(makeLabel(jcRepair, "Label4",
                                QStringLiteral("If Tallyfin has been closed by accident, such as a crash or computer "
                                               "malfunction, you should immediately do a Repair before using the "
                                               "program again.")));
    layout->addWidget(makeLabel(jcRepair, "Label3",
                                QStringLiteral("The \"Repair\" button not only fixes a damaged database, it also "
                                               "compresses or get rids of the empty records that remain when you "
                                               "delete items.")));
    layout->addWidget(makeLabel(jcRepair, "Label11",
                                QStringLiteral("Do a Repair at least once or twice a year. This will keep the "
                                               "database in good shape and at a minimum size.")));
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(Frame1, 1);
    bottom->addWidget(cmdRepair, 0, Qt::AlignBottom);
    layout->addStretch(1);
    layout->addLayout(bottom);
    connect(cmdRepair, &QPushButton::clicked, this, &frmDbutility::repair);
    return jcRepair;
}

void frmDbutility::showTask(QGroupBox *panel, QPushButton *action)
{
    m_panels->setCurrentWidget(panel);
    // Keyboard users go straight on to the task's own button.
    action->setFocus(Qt::OtherFocusReason);
}

void frmDbutility::backup()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Save Database Backup");
    request.initialName = kDatabaseFileName;
    request.filter = kFilter;
    request.overwritePrompt = true;
    const std::optional<QString> chosen = platform().saveFileName(request, this);
    if (!chosen)
        return;

    // Only the folder of the chosen path counts; the copy is always named tfn5.mdb.
    WaitPointer wait;
    const Status done = backupDatabase(fileLayout().dataFolder, QFileInfo(*chosen).absolutePath());
    wait.end();
    if (done)
        showMessage(this, MessageIcon::Information, QStringLiteral("Backup has been saved."));
    else
        // A backup that silently did not happen is worse than none: the user
        // would go on believing in it.
        showMessage(this, MessageIcon::Exclamation,
                    QStringLiteral("Backup has not been saved.") + QLatin1Char('\n') + done.error);
}

void frmDbutility::restore()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Restore Backup Database");
    request.filter = kFilter;
    request.existingOnly = true;
    // The automatic copies are the ones most often restored.
    if (const QString backups = filePath(FileRole::Backups); QFileInfo(backups).isDir())
        request.initialFolder = backups;
    const std::optional<QString> chosen = platform().openFileName(request, this);

    Status done = Status::failure(QString());
    if (chosen) {
        WaitPointer wait;
        done = restoreDatabase(fileLayout().dataFolder, QFileInfo(*chosen).absolutePath());
    }
    if (done) {
        showMessage(this, MessageIcon::Information,
                    QStringLiteral("Your backup copy of the database has been restored !"));
        return;
    }
    QString text = QStringLiteral("Database has not been restored.");
    if (!done.error.isEmpty())
        text += QLatin1Char('\n') + done.error;
    showMessage(this, MessageIcon::Exclamation, text);
}

namespace {

// What a repair of a damaged file saved, a line for each table it found rows of
// (or lost rows of).
QStringList rescueLines(const RepairResult &result)
{
    QStringList lines{QStringLiteral("The database was damaged. What could still be read was saved:")};
    for (const TableRescue &t : result.tables) {
        if (t.saved == 0 && t.lost == 0 && !t.lostUnknown)
            continue;
        QString line = t.saved == 0 ? QStringLiteral("%1: no row could be read.").arg(t.table)
                                    : QStringLiteral("%1: %2 rows saved").arg(t.table).arg(t.saved);
        if (t.saved > 0) {
            if (t.lost > 0)
                line += QStringLiteral(", up to %1 could not be read").arg(t.lost);
            if (t.lostUnknown)
                line += QStringLiteral(", some at the end could not be read");
            line += QLatin1Char('.');
        }
        lines << line;
    }
    lines << QStringLiteral("The damaged file has been kept as \"%1\".").arg(result.keptOriginal);
    return lines;
}

} // namespace

void frmDbutility::repair()
{
    WaitPointer wait;
    const RepairResult result = repairDatabase(fileLayout().dataFolder);
    const QString programFolder = fileLayout().dataFolder;
    auto notFound = [&](const QString &reason) {
        QString text = QStringLiteral("Can't find database.") + QLatin1Char('\n') +
                       QStringLiteral("Please make sure that Tallyfin is not running.");
        if (!reason.isEmpty())
            text += QLatin1Char('\n') + reason;
        showMessage(this, MessageIcon::Exclamation, text, QStringLiteral("Database not found"));
    };
    if (result.nothingSaved) {
        // The file is there; saying it cannot be found would send the user looking for the wrong thing.
        wait.end();
        showMessage(this, MessageIcon::Exclamation,
                    QStringList{QStringLiteral("Nothing could be read from the damaged database, so it could not be "
                                               "repaired."),
                                result.status.error,
                                QStringLiteral("%1 has been left as it was. \"Restore Database\" can put a backup "
                                               "copy in its place.")
                                    .arg(kDatabaseFileName)}
                        .join(QLatin1Char('\n')),
                    QStringLiteral("Database not repaired"));
        return;
    }
    if (!result.status) {
        wait.end();
        notFound(result.status.error);
        return;
    }
    // The success message comes up before the pointer is restored, and the new
    // size follows it.
    QStringList text{QStringLiteral("DataBase has been repaired !")};
    if (result.rescued)
        text << rescueLines(result);
    if (!result.movedAside.isEmpty())
        text << QStringLiteral("The unfinished file %1 of an interrupted repair has been kept as \"%2\".")
                    .arg(kRepairFileName, result.movedAside);
    showMessage(this, MessageIcon::Information, text.join(QLatin1Char('\n')));
    if (result.newSize < 0) {
        wait.end();
        notFound(QStringLiteral("The size of %1 cannot be read.")
                     .arg(QDir::toNativeSeparators(QDir(programFolder).filePath(kDatabaseFileName))));
        return;
    }
    Label9->setText(formatSize(result.newSize));
}

void frmDbutility::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (m_closing)
        return;
    m_closing = true;
    // Whatever is still open goes too, and with it the program: the user starts
    // again to work with the file as it is now.
    QApplication::closeAllWindows();
    QCoreApplication::quit();
}

} // namespace tf
