#include "shell/frmTransfer.h"

#include "data/DiaryTransfer.h"
#include "data/Schema.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tf {

namespace {

constexpr int kPreviewLines = 8;

QPushButton *taskButton(QWidget *parent, const char *name, const QString &text)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(true);
    return b;
}

QString documentsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

// A progress window that appears after a moment and whose Cancel stops the work.
class Progress
{
public:
    Progress(QWidget *parent, const QString &text) : m_dialog(text, QStringLiteral("Cancel"), 0, 1000, parent)
    {
        m_dialog.setWindowTitle(kProgramTitle);
        m_dialog.setWindowModality(Qt::WindowModal);
        m_dialog.setMinimumDuration(400);
        m_dialog.setAutoClose(false);
        m_dialog.setAutoReset(false);
    }
    ~Progress() { m_dialog.close(); }
    bool step(qint64 done, qint64 total)
    {
        m_dialog.setValue(total > 0 ? int(done * 1000 / total) : 0);
        QApplication::processEvents();
        return !m_dialog.wasCanceled();
    }
    // Closed before any message, so the message can be answered.
    void close() { m_dialog.close(); }

private:
    QProgressDialog m_dialog;
};

// "1 row", "2 rows": the noun's plural is the noun with an s.
QString count(qint64 n, const QString &noun)
{
    return QStringLiteral("%1 %2%3").arg(n).arg(noun, n == 1 ? QString() : QStringLiteral("s"));
}

// A line may be refused for several reasons, each reported.
qint64 refusedLines(const LogImportResult &r)
{
    QSet<qsizetype> lines;
    for (const RefusedLine &line : r.refused)
        lines.insert(line.line);
    return lines.size();
}

QString rowsText(qint64 rows)
{
    return count(rows, QStringLiteral("row")) + (rows == 1 ? QStringLiteral(" was") : QStringLiteral(" were"));
}

// The tables ticked in the panel's list; all of them when the list could not be filled.
QStringList tickedTables(const QListWidget *list)
{
    QStringList tables;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked)
            tables << list->item(i)->text();
    return tables;
}

void exportDiaryTo(QWidget *parent, const QListWidget *list)
{
    const QStringList tables = tickedTables(list);
    if (list->count() > 0 && tables.isEmpty()) {
        showMessage(parent, MessageIcon::Exclamation, QStringLiteral("Tick the tables to export."));
        return;
    }
    FileDialogRequest request;
    request.title = QStringLiteral("Export the diary to a new folder");
    request.initialName = QStringLiteral("Tallyfin diary %1").arg(QDate::currentDate().toString(Qt::ISODate));
    request.initialFolder = documentsFolder();
    request.filter = QStringLiteral("Folder (*)|*");
    const std::optional<QString> chosen = platform().saveFileName(request, parent);
    if (!chosen)
        return;
    Progress progress(parent, QStringLiteral("Exporting the diary…"));
    const TransferResult r = exportDiary(programDatabasePath(), *chosen, tables,
                                         [&](qint64 done, qint64 total) { return progress.step(done, total); });
    progress.close();
    if (r.cancelled)
        return;
    if (!r.ok) {
        showMessage(parent, MessageIcon::Exclamation, QStringLiteral("The diary was not exported.\n") + r.error);
        return;
    }
    showMessage(parent, MessageIcon::Information,
                QStringLiteral("%1 exported to %2.").arg(rowsText(r.rows), QDir::toNativeSeparators(*chosen)));
}

void importDiaryFrom(QWidget *parent)
{
    FileDialogRequest request;
    request.title = QStringLiteral("Choose the README.txt of an exported diary");
    request.initialFolder = documentsFolder();
    request.filter = QStringLiteral("Exported diary (README.txt)|README.txt");
    request.existingOnly = true;
    const std::optional<QString> chosen = platform().openFileName(request, parent);
    if (!chosen)
        return;
    const QString folder = QFileInfo(*chosen).absolutePath();
    const QStringList doubled = tablesAlreadyHolding(programDatabasePath(), folder);
    if (!doubled.isEmpty() &&
        showMessage(parent, MessageIcon::Question,
                    QStringLiteral("The diary already holds the rows of %1.\nImporting them again would double "
                                   "them. Import anyway?")
                        .arg(doubled.join(QStringLiteral(", "))),
                    QStringLiteral("Import"), MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
    Progress progress(parent, QStringLiteral("Importing the diary…"));
    const TransferResult r = importDiary(programDatabasePath(), folder, {},
                                         [&](qint64 done, qint64 total) { return progress.step(done, total); });
    progress.close();
    if (r.cancelled)
        return;
    if (!r.ok) {
        showMessage(parent, MessageIcon::Exclamation, r.error);
        return;
    }
    QStringList lines{QStringLiteral("%1 added to the diary.").arg(rowsText(r.rows))};
    lines << r.notes;
    showMessage(parent, MessageIcon::Information, lines.join(QLatin1Char('\n')));
}

void importLogFrom(QWidget *parent)
{
    FileDialogRequest request;
    request.title = QStringLiteral("Import a log from elsewhere");
    request.initialFolder = documentsFolder();
    request.filter = QStringLiteral("Comma-separated values (*.csv)|*.csv|Text files (*.txt)|*.txt");
    request.existingOnly = true;
    const std::optional<QString> chosen = platform().openFileName(request, parent);
    if (!chosen)
        return;
    ForeignFile file = readForeignFile(*chosen);
    if (!file.error.isEmpty()) {
        showMessage(parent, MessageIcon::Exclamation, file.error);
        return;
    }
    if (file.encoding == csv::Encoding::Latin1 &&
        showMessage(parent, MessageIcon::Question,
                    QStringLiteral("The file is not UTF-8 text; it looks like Latin-1 (Western European).\n"
                                   "Read it as Latin-1?"),
                    QStringLiteral("Import"), MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
    frmImportLog dialog(programDatabasePath(), std::move(file), QFileInfo(*chosen).fileName(), parent);
    dialog.exec();
}

} // namespace

QGroupBox *makeTransferPanel(QWidget *parent)
{
    auto *box = new QGroupBox(QStringLiteral("Export / Import"), parent);
    box->setObjectName(QStringLiteral("jcTransfer"));
    auto *layout = new QVBoxLayout(box);
    auto *about = new QLabel(QStringLiteral("Export writes the ticked tables of the diary to a new folder of CSV files "
                                            "that spreadsheets read, with a README.txt saying what each holds. "
                                            "Import adds the rows of such a folder to this diary, or brings in "
                                            "trips from a log kept elsewhere."),
                             box);
    about->setWordWrap(true);
    about->setTextFormat(Qt::PlainText);
    layout->addWidget(about);
    // Which tables Export writes: all of them unless the user unticks some.
    auto *list = new QListWidget(box);
    list->setObjectName(QStringLiteral("lstExportTables"));
    list->setAccessibleName(QStringLiteral("Tables to export"));
    list->setFlow(QListView::TopToBottom);
    list->setWrapping(true);
    list->setResizeMode(QListView::Adjust);
    list->setFixedHeight(4 * list->fontMetrics().height() + 16);
    for (const QString &table : diaryTables(programDatabasePath())) {
        auto *item = new QListWidgetItem(table, list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Checked);
    }
    layout->addWidget(new QLabel(QStringLiteral("Tables to export:"), box));
    layout->addWidget(list);
    auto *exportButton = taskButton(box, "cmdExportCsv", QStringLiteral("Export to CSV…"));
    auto *importButton = taskButton(box, "cmdImportCsv", QStringLiteral("Import an exported diary…"));
    auto *logButton = taskButton(box, "cmdImportLog", QStringLiteral("Import a log from elsewhere…"));
    for (QPushButton *b : {exportButton, importButton, logButton})
        layout->addWidget(b);
    layout->addStretch(1);
    QObject::connect(exportButton, &QPushButton::clicked, box, [box, list] { exportDiaryTo(box->window(), list); });
    QObject::connect(importButton, &QPushButton::clicked, box, [box] { importDiaryFrom(box->window()); });
    QObject::connect(logButton, &QPushButton::clicked, box, [box] { importLogFrom(box->window()); });
    return box;
}

frmImportLog::frmImportLog(const QString &databasePath, ForeignFile file, const QString &fileName, QWidget *parent)
    : QDialog(parent), m_database(databasePath), m_file(std::move(file))
{
    setObjectName(QStringLiteral("frmImportLog"));
    setWindowTitle(QStringLiteral("Import %1").arg(fileName));
    auto *layout = new QVBoxLayout(this);
    auto *hint = new QLabel(QStringLiteral("Choose for each column of the file the column of the log it fills. "
                                           "Date and Lake / River are needed; dates are read in the order of %1, "
                                           "or day first when a date of the file can only be so (31.12.2025).")
                                .arg(QLocale().dateFormat(QLocale::ShortFormat)),
                            this);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    chkHeadings = new QCheckBox(QStringLiteral("The first line names the columns"), this);
    chkHeadings->setObjectName(QStringLiteral("chkHeadings"));
    layout->addWidget(chkHeadings);
    grdPreview = new QTableWidget(this);
    grdPreview->setObjectName(QStringLiteral("grdPreview"));
    grdPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdPreview->setMinimumSize(640, 260);
    layout->addWidget(grdPreview, 1);
    chkStop = new QCheckBox(QStringLiteral("Stop at the first refused line and import nothing"), this);
    chkStop->setObjectName(QStringLiteral("chkStop"));
    layout->addWidget(chkStop);
    txtReport = new QPlainTextEdit(this);
    txtReport->setObjectName(QStringLiteral("txtReport"));
    txtReport->setReadOnly(true);
    txtReport->setMinimumHeight(120);
    layout->addWidget(txtReport);
    auto *buttons = new QDialogButtonBox(this);
    cmdCheck = buttons->addButton(QStringLiteral("Check"), QDialogButtonBox::ActionRole);
    cmdCheck->setObjectName(QStringLiteral("cmdCheck"));
    cmdImport = buttons->addButton(QStringLiteral("Import"), QDialogButtonBox::AcceptRole);
    cmdImport->setObjectName(QStringLiteral("cmdImport"));
    cmdImport->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    connect(cmdCheck, &QPushButton::clicked, this, &frmImportLog::check);
    connect(cmdImport, &QPushButton::clicked, this, &frmImportLog::import);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    // A first line that reads as a date is data, not headings.
    const std::vector<QStringList> first = previewLines(m_file, 1);
    chkHeadings->setChecked(first.empty() || storedDate(first.front().value(0), QLocale()).isEmpty());
    connect(chkHeadings, &QCheckBox::toggled, this, &frmImportLog::fillPreview);
    fillPreview();

    // Wide enough for the file's columns, as far as the screen allows: a mapping is checked at a glance.
    int wanted = grdPreview->verticalHeader()->sizeHint().width() + 2 * grdPreview->frameWidth() + 40;
    for (int c = 0; c < grdPreview->columnCount(); ++c)
        wanted += grdPreview->columnWidth(c);
    const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const int room = screen ? screen->availableGeometry().width() * 9 / 10 : wanted;
    resize(qBound(sizeHint().width(), wanted, qMax(sizeHint().width(), room)), sizeHint().height());
}

void frmImportLog::fillPreview()
{
    QString error;
    std::vector<QStringList> lines = previewLines(m_file, kPreviewLines + 1, &error);
    const int columns = lines.empty() ? 0 : int(lines.front().size());
    QStringList headings;
    if (chkHeadings->isChecked() && !lines.empty()) {
        headings = lines.front();
        lines.erase(lines.begin());
    } else {
        for (int i = 1; i <= columns; ++i)
            headings << QStringLiteral("Column %1").arg(i);
    }
    const QStringList guess = guessMapping(m_database, chkHeadings->isChecked() ? headings : QStringList(columns, {}));
    grdPreview->clear();
    grdPreview->setColumnCount(columns);
    grdPreview->setRowCount(int(lines.size()) + 1);
    grdPreview->setHorizontalHeaderLabels(headings);
    QStringList vertical{QStringLiteral("Log column")};
    m_mapping.clear();
    QStringList targets{QStringLiteral("(leave out)")};
    targets << findTable(QStringLiteral("Log"))->columns;
    for (int c = 0; c < columns; ++c) {
        auto *combo = new QComboBox(grdPreview);
        combo->setObjectName(QStringLiteral("cboColumn%1").arg(c + 1));
        combo->addItems(targets);
        combo->setCurrentIndex(std::max(0, int(targets.indexOf(guess.value(c)))));
        grdPreview->setCellWidget(0, c, combo);
        m_mapping << combo;
    }
    for (int r = 0; r < int(lines.size()); ++r) {
        vertical << QString::number(r + 1);
        for (int c = 0; c < columns && c < lines[size_t(r)].size(); ++c)
            grdPreview->setItem(r + 1, c, new QTableWidgetItem(lines[size_t(r)][c].left(200)));
    }
    grdPreview->setVerticalHeaderLabels(vertical);
    grdPreview->resizeColumnsToContents();
    txtReport->setPlainText(error);
}

LogImportOptions frmImportLog::options() const
{
    LogImportOptions o;
    for (const QComboBox *c : m_mapping)
        o.mapping << (c->currentIndex() > 0 ? c->currentText() : QString());
    o.headings = chkHeadings->isChecked();
    o.stopAtRefusal = chkStop->isChecked();
    return o;
}

bool frmImportLog::check()
{
    const LogImportResult r = checkLog(m_database, m_file, options());
    QStringList report;
    if (!r.ok) {
        report << r.error;
    } else {
        const qint64 lines = refusedLines(r);
        report << QStringLiteral("%1 can be added; %2 %3 refused.")
                      .arg(count(r.accepted, QStringLiteral("trip")), count(lines, QStringLiteral("line")),
                           lines == 1 ? QStringLiteral("is") : QStringLiteral("are"));
        if (r.alreadyInDiary)
            report << QStringLiteral("These trips seem to be in the diary already: importing them would double them.");
        for (const RefusedLine &line : r.refused)
            report << QStringLiteral("Line %1%2: %3")
                          .arg(line.line)
                          .arg(line.column.isEmpty() ? QString() : QStringLiteral(", ") + line.column, line.reason);
    }
    txtReport->setPlainText(report.join(QLatin1Char('\n')));
    return r.ok;
}

void frmImportLog::import()
{
    const LogImportOptions o = options();
    const LogImportResult checked = checkLog(m_database, m_file, o);
    check();
    if (!checked.ok) {
        showMessage(this, MessageIcon::Exclamation, checked.error);
        return;
    }
    if (checked.alreadyInDiary &&
        showMessage(this, MessageIcon::Question,
                    QStringLiteral("These trips seem to be in the diary already.\nImporting them again would double "
                                   "them. Import anyway?"),
                    QStringLiteral("Import"), MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
    Progress progress(this, QStringLiteral("Importing trips…"));
    const LogImportResult r =
        importLog(m_database, m_file, o, [&](qint64 done, qint64 total) { return progress.step(done, total); });
    progress.close();
    if (r.cancelled)
        return;
    if (!r.ok) {
        showMessage(this, MessageIcon::Exclamation, r.error);
        return;
    }
    QString text = QStringLiteral("%1 %2 added to the log.")
                       .arg(count(r.accepted, QStringLiteral("trip")),
                            r.accepted == 1 ? QStringLiteral("was") : QStringLiteral("were"));
    if (const qint64 lines = refusedLines(r); lines > 0)
        text +=
            QStringLiteral("\n%1 %2 refused: the report lists them.")
                .arg(count(lines, QStringLiteral("line")), lines == 1 ? QStringLiteral("was") : QStringLiteral("were"));
    showMessage(this, MessageIcon::Information, text);
    for (auto it = checked.newNames.cbegin(); it != checked.newNames.cend(); ++it) {
        const QString list = it.value().mid(0, 12).join(QStringLiteral(", ")) +
                             (it.value().size() > 12 ? QStringLiteral(", …") : QString());
        if (showMessage(this, MessageIcon::Question,
                        QStringLiteral("The trips name %1 not in the list %2:\n%3\nAdd them to the list?")
                            .arg(it.value().size())
                            .arg(it.key(), list),
                        QStringLiteral("Import"), MessageButtons::YesNo) == MessageAnswer::Yes) {
            QString error;
            if (!addLookupNames(m_database, it.key(), it.value(), &error))
                showMessage(this, MessageIcon::Exclamation, QStringLiteral("The list was not changed: ") + error);
        }
    }
    // Keep the report of refused lines in view; the user closes the window.
    cmdImport->setEnabled(false);
}

} // namespace tf
