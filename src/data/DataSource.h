#pragma once

// A window's open record source on the database file: a keyset cursor. It keeps
// the ordered keys of its record source and reads the values of a row by key on
// demand, so a large table opens without reading its rows, the count is exact,
// bookmarks are keys, a saved new row stays where it was appended until the next
// requery, and a delete drops exactly one key.

#include "data/Schema.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3;

namespace tf {

class LikePattern;

class DataSource : public QObject
{
    Q_OBJECT
public:
    using Bookmark = qint64;
    enum class EditMode { None, Adding, Editing };

    explicit DataSource(QObject *parent = nullptr);
    ~DataSource() override;

    // Path first, then record source, then requery — as every window loads.
    bool open(const QString &path, const QString &recordSource);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    QString databasePath() const { return m_path; }
    QString errorText() const { return m_error; }
    // The engine's error from the first read of a row's values that failed
    // since the last open or requery (a damaged file); empty while reads are fine.
    QString readError() const { return m_readError; }
    // Rows left out of the keyset because they cannot be read (see readFailed).
    int unreadableRows() const { return m_unreadableRows; }

    // A bare table name or one of the program's SELECT texts. Takes effect at requery().
    bool setRecordSource(const QString &recordSource);
    QString recordSource() const { return m_recordSource; }
    QString tableName() const;
    bool requery();

    QStringList fieldNames() const;
    int fieldIndex(const QString &name) const; // case-insensitive, -1 when unknown

    // Rows.
    int recordCount() const { return int(m_keys.size()); }
    // Rows of the table in the file now, including other windows' changes since
    // the last requery (the filtered source counts its keyset).
    int tableRowCount() const;
    bool bof() const;
    bool eof() const;
    bool moveFirst();
    bool moveLast();
    bool moveNext();
    bool movePrevious();
    bool moveTo(int row);
    int currentRow() const; // -1 before first, recordCount() after last
    bool hasCurrent() const;

    // Values of the current row (of the pending row while adding or editing).
    QVariant value(const QString &field) const;
    QVariant value(int field) const;
    // A row whose values cannot be read gives an invalid QVariant, never a value
    // that looks empty, and readFailed() says why.
    // Any row by position, for grids; does not move the current row. *ok, when
    // given, tells a row that was read from one that could not be.
    QVariant valueAt(int row, int field, bool *ok = nullptr) const;

    std::optional<Bookmark> bookmark() const;
    bool setBookmark(Bookmark b);
    std::optional<Bookmark> lastModified() const { return m_lastModified; }
    int rowOfBookmark(Bookmark b) const; // -1 when not in the keyset

    // Editing.
    EditMode editMode() const { return m_mode; }
    bool addNew();
    bool edit();
    bool setValue(const QString &field, const QVariant &v);
    bool setValue(int field, const QVariant &v);
    bool update();
    void cancelUpdate();
    bool deleteCurrent();

    // Criterion form: "Notes LIKE '*bass*'" or "[Best Lure] LIKE '*spin*'".
    // Returns false with errorText() for a criterion that cannot be read;
    // noMatch() tells whether the last find found nothing (the row stays).
    bool findFirst(const QString &criterion);
    bool findNext(const QString &criterion);
    bool noMatch() const { return m_noMatch; }

    // Writes a compacted copy of a closed database file to a new file.
    // Fails when the destination exists (even empty) or the source is held open.
    static Status compact(const QString &source, const QString &destination);
    // How many data sources of this process have the file open.
    static int openCount(const QString &path);

signals:
    // Each change is announced before and after, so item models stay consistent.
    void rowsAboutToReset();
    void rowsReset(); // requery, open, close
    void rowAboutToBeAppended(int row);
    void rowAboutToBeRemoved(int row);
    void rowAppended(int row);    // a new row saved
    void rowRemoved(int row);     // a row deleted
    void rowChanged(int row);     // a row's values rewritten
    void currentChanged(int row); // the current row moved
    void editModeChanged();
    // Reading a row's values failed: sent once after each open or requery, with
    // the engine's error text. It comes from the event loop, never from inside
    // the read (which may be a grid painting), so a window may show a message
    // box from it. databaseProblemText() words the message. A damaged file (not
    // a locked one) has its unreadable rows taken out of the keyset first, with
    // a reset, and the text says how many.
    void readFailed(const QString &error);

private:
    struct Query;
    bool fail(const QString &e) const;
    bool exec(const QString &sql);
    bool loadColumns();
    const std::vector<QVariant> *rowValues(int row) const;
    bool readBlock(int first, int last) const;
    void invalidateCache(Bookmark key) const;
    bool find(const QString &criterion, int from);
    bool loadKeys();
    void readFailure(const QString &error, int code) const;
    qint64 dataVersion() const;
    bool missingMeansDamage() const;
    void rowMissing() const;
    int dropUnreadableRows(); // how many rows it dropped
    void setCurrent(int row);
    bool refuseReplacedFile();

    sqlite3 *m_db = nullptr;
    QString m_path;
    QString m_canonicalPath;
    QString m_recordSource;
    std::unique_ptr<Query> m_query;
    QStringList m_fields;
    QHash<QString, int> m_fieldIndex; // lower-case name -> index
    std::vector<Bookmark> m_keys;
    mutable QHash<Bookmark, int> m_rowOfKey; // rebuilt lazily
    mutable bool m_rowOfKeyValid = false;
    int m_pos = -1;
    bool m_currentDeleted = false;
    EditMode m_mode = EditMode::None;
    std::vector<QVariant> m_pending;
    std::vector<bool> m_pendingTouched;
    std::optional<Bookmark> m_lastModified;
    bool m_noMatch = false;
    mutable QString m_error;
    int m_errorCode = 0; // the engine's code for m_error where it came from a read
    mutable QString m_readError;
    int m_unreadableRows = 0;
    QByteArray m_fileIdentity; // of the file at the path when it was opened
    qint64 m_keysVersion = -1; // the file's data version when the keys were read
    // Counts opens, closes and requeries, so a failure reported late is only
    // reported for the rows it was about.
    quint64 m_generation = 0;
    mutable QHash<Bookmark, std::vector<QVariant>> m_cache;
    struct FindCache;
    std::unique_ptr<FindCache> m_find;
};

// A diary replaced under an open connection (a restore or repair in another
// program, a copy put there by hand) leaves the connection on the old file,
// which is gone: whatever it writes is lost, yet every write succeeds. So a
// connection takes the file's identity (device and inode) when it opens, and
// compares it with the file at the path before it writes.

// The identity of the file at path now; empty when there is none.
QByteArray fileIdentity(const QString &path);
// Whether the file at path is still the one whose identity was taken. When it
// is not, the handler below hears of it (once per call).
bool isStillTheFileOpened(const QString &path, const QByteArray &identity);
// The part of the program that reopens windows on a replaced diary listens
// here; it may be told on any thread. An empty handler stops it.
void setReplacedFileHandler(std::function<void(const QString &path)> handler);
// Why a write was refused: the sentence for the end of a failure message.
QString replacedFileText(const QString &path);

// What an engine error says is wrong with the file: another program holds it,
// the system does not let us read it, or its contents are damaged. Only damage
// is mended by a repair; the other two are not the file's fault.
enum class DatabaseTrouble { Damaged, Locked, NoAccess };
DatabaseTrouble databaseTroubleOf(const QString &engineError);
// What the user can do about it, a sentence for the end of a message.
QString databaseAdvice(const QString &engineError);

// The message for a database file that cannot be opened or read: which file,
// the engine's error on a line of its own, and what the user can do.
QString databaseProblemText(const QString &path, const QString &engineError);

} // namespace tf
