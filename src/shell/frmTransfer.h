#pragma once

// The database utility's Export / Import task: the diary to a folder of CSV
// files, such a folder back in, and a log kept elsewhere brought in after its
// columns are mapped onto the log's.

#include "data/LogImport.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace tf {

// The task's panel, in the utility's style; its buttons carry the names
// cmdExportCsv, cmdImportCsv and cmdImportLog.
QGroupBox *makeTransferPanel(QWidget *parent);

class frmImportLog : public QDialog
{
    Q_OBJECT
public:
    frmImportLog(const QString &databasePath, ForeignFile file, const QString &fileName, QWidget *parent = nullptr);

    // Checks the lines as mapped now and shows the report; false when the file
    // cannot be used as mapped.
    bool check();
    // Asks where needed, then adds the accepted lines.
    void import();

private:
    void fillPreview();
    LogImportOptions options() const;

    QString m_database;
    ForeignFile m_file;
    QCheckBox *chkHeadings = nullptr;
    QCheckBox *chkStop = nullptr;
    QTableWidget *grdPreview = nullptr;
    QPlainTextEdit *txtReport = nullptr;
    QPushButton *cmdCheck = nullptr;
    QPushButton *cmdImport = nullptr;
    QList<QComboBox *> m_mapping;
};

} // namespace tf
