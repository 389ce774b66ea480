#pragma once

// Reads a table's rows straight from the pages of a database file, for a repair
// whose table cannot be walked through the engine any more (a damaged root or
// interior page hides leaf pages that still hold every row).
//
// The file is read as the engine lays it out: every b-tree named in the schema
// and the free list are walked to learn which page belongs where. A table's rows
// come from the leaf pages its own tree still reaches and from leaf pages that no
// tree and no free list explains, when every cell of such a page decodes to a
// record with exactly the table's number of columns. Pages of the free list are
// never read for rows: they hold deleted rows.

#include <QString>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

namespace tf {

// One b-tree named in the file's schema.
struct BTreeRoot
{
    QString name;
    qint64 rootPage = 0;
    bool isTable = true; // a table (rows) rather than an index
    int columns = 0;     // a table's columns, the key column included
};

struct PageRow
{
    qint64 rowid = 0;
    // The record's values in the order of the table's columns: qint64, double,
    // QString (text), QByteArray (blob) or invalid (NULL). The key column is
    // stored as NULL; its value is the rowid.
    std::vector<QVariant> values;
};

struct LeafRows
{
    std::vector<PageRow> rows; // in no particular order, each rowid once
    // Cells of the table's leaf pages that do not decode: rows known to be lost.
    qint64 unreadableCells = 0;
    // Pages nothing explains (not a tree's, not free, not a leaf of the table):
    // damaged pages that may have held rows of any table. Zero means every row
    // the file holds for the table is in rows.
    qint64 unexplainedPages = 0;
};

class PageReader
{
public:
    PageReader();
    ~PageReader();
    PageReader(const PageReader &) = delete;
    PageReader &operator=(const PageReader &) = delete;

    // Maps the file and walks every tree and the free list. False (with why)
    // for a file whose header cannot be read.
    bool open(const QString &path, const std::vector<BTreeRoot> &trees, QString *error = nullptr);

    // The rows of a table named in trees. Nothing when the table is unknown, or
    // when a leaf page outside every tree could belong to it or to another table
    // with as many columns whose tree is damaged too: such a page is never given
    // to either.
    std::optional<LeafRows> tableRows(const QString &table) const;

private:
    struct File;
    std::unique_ptr<File> m_file;
};

} // namespace tf
