#include "data/PageReader.h"

#include <QFile>
#include <QSet>
#include <algorithm>
#include <cstring>

namespace tf {

namespace {

// Page types of the file format (the first byte of a b-tree page's header).
constexpr uchar kIndexInterior = 0x02;
constexpr uchar kTableInterior = 0x05;
constexpr uchar kIndexLeaf = 0x0A;
constexpr uchar kTableLeaf = 0x0D;

constexpr int kUnclaimed = -1;
constexpr int kFreeList = -2;
constexpr int kOtherTable = -3; // outside every tree, but holding rows of another table

quint32 u16(const uchar *p)
{
    return quint32(p[0]) << 8 | p[1];
}

quint32 u32(const uchar *p)
{
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3];
}

// The format's variable-length integer: up to nine bytes, big-endian, seven
// bits a byte and all eight of the ninth.
bool varint(const uchar *&p, const uchar *end, qint64 *out)
{
    quint64 v = 0;
    for (int i = 0; i < 9; ++i) {
        if (p >= end)
            return false;
        const uchar b = *p++;
        if (i == 8) {
            *out = qint64(v << 8 | b);
            return true;
        }
        v = v << 7 | (b & 0x7f);
        if (!(b & 0x80)) {
            *out = qint64(v);
            return true;
        }
    }
    return false;
}

bool isBTreePage(uchar type)
{
    return type == kIndexInterior || type == kTableInterior || type == kIndexLeaf || type == kTableLeaf;
}

// A cell's payload: where its first part lies and where the rest continues.
struct Payload
{
    qint64 size = 0;
    const uchar *local = nullptr;
    qint64 localSize = 0;
    quint32 overflow = 0;
};

} // namespace

struct PageReader::File
{
    QFile file;
    const uchar *data = nullptr;
    qint64 pageSize = 0;
    qint64 usable = 0;
    qint64 pages = 0;   // whole pages present in the file
    qint64 missing = 0; // pages the header counts beyond the end of the file
    std::vector<BTreeRoot> trees;
    std::vector<int> owner; // per page (index 0 unused): tree index or one of the marks above
    std::vector<bool> complete;
    std::vector<std::vector<qint64>> leaves; // each tree's leaf pages

    const uchar *page(qint64 n) const { return data + (n - 1) * pageSize; }
    static int headerOffset(qint64 n) { return n == 1 ? 100 : 0; }
    bool valid(qint64 n) const { return n >= 1 && n <= pages; }

    qint64 localSize(qint64 payload, bool table) const
    {
        const qint64 maxLocal = table ? usable - 35 : (usable - 12) * 64 / 255 - 23;
        const qint64 minLocal = (usable - 12) * 32 / 255 - 23;
        if (payload <= maxLocal)
            return payload;
        const qint64 k = minLocal + (payload - minLocal) % (usable - 4);
        return k <= maxLocal ? k : minLocal;
    }

    // Reads the payload part of the cell at p (just past the key or child).
    bool payloadAt(const uchar *p, const uchar *end, qint64 size, bool table, Payload *out) const
    {
        if (size < 0 || size > (qint64(1) << 31))
            return false;
        out->size = size;
        out->local = p;
        out->localSize = localSize(size, table);
        if (end - p < out->localSize)
            return false;
        if (out->localSize < size) {
            if (end - p < out->localSize + 4)
                return false;
            out->overflow = u32(p + out->localSize);
        }
        return true;
    }

    // The overflow pages of a payload, in order; false when the chain is broken.
    bool overflowPages(const Payload &pl, std::vector<qint64> *chain) const
    {
        qint64 left = pl.size - pl.localSize;
        qint64 next = pl.overflow;
        while (left > 0) {
            if (!valid(next) || qint64(chain->size()) > pages)
                return false;
            chain->push_back(next);
            left -= usable - 4;
            next = u32(page(next));
        }
        return true;
    }

    QByteArray assemble(const Payload &pl, const std::vector<qint64> &chain) const
    {
        QByteArray bytes(reinterpret_cast<const char *>(pl.local), pl.localSize);
        qint64 left = pl.size - pl.localSize;
        for (const qint64 n : chain) {
            const qint64 take = std::min(left, usable - 4);
            bytes.append(reinterpret_cast<const char *>(page(n) + 4), take);
            left -= take;
        }
        return bytes;
    }

    // The cells of a b-tree page: their offsets within the page, or false when
    // the header or the pointer array does not fit.
    bool cellOffsets(qint64 n, std::vector<qint64> *offsets) const
    {
        const uchar *p = page(n);
        const int h = headerOffset(n);
        const uchar type = p[h];
        const int headerSize = type == kTableInterior || type == kIndexInterior ? 12 : 8;
        const qint64 cells = u16(p + h + 3);
        const qint64 arrayEnd = h + headerSize + 2 * cells;
        if (arrayEnd > usable)
            return false;
        offsets->clear();
        for (qint64 i = 0; i < cells; ++i) {
            const qint64 off = u16(p + h + headerSize + 2 * i);
            if (off < arrayEnd || off >= usable)
                return false;
            offsets->push_back(off);
        }
        return true;
    }

    // A cell's payload and overflow, for whichever kind of page holds it.
    bool cellPayload(qint64 n, qint64 off, Payload *pl, qint64 *rowid, quint32 *child) const
    {
        const uchar *p = page(n) + off;
        const uchar *end = page(n) + usable;
        const uchar type = page(n)[headerOffset(n)];
        qint64 size = 0;
        if (type == kTableInterior || type == kIndexInterior) {
            if (end - p < 4)
                return false;
            *child = u32(p);
            p += 4;
            if (type == kTableInterior)
                return varint(p, end, rowid);
        }
        if (!varint(p, end, &size))
            return false;
        if (type == kTableLeaf && !varint(p, end, rowid))
            return false;
        return payloadAt(p, end, size, type == kTableLeaf, pl);
    }

    void claim(qint64 n, int mark) { owner[size_t(n)] = mark; }

    // Walks one tree from its root, claiming its pages and their overflow pages.
    // A page that cannot be read, or one another tree holds, stops that branch
    // and marks the tree as damaged.
    void walk(int tree)
    {
        std::vector<qint64> stack{trees[size_t(tree)].rootPage};
        std::vector<qint64> offsets;
        while (!stack.empty()) {
            const qint64 n = stack.back();
            stack.pop_back();
            if (!valid(n) || owner[size_t(n)] != kUnclaimed || !isBTreePage(page(n)[headerOffset(n)]) ||
                !cellOffsets(n, &offsets)) {
                complete[size_t(tree)] = false;
                continue;
            }
            claim(n, tree);
            const uchar type = page(n)[headerOffset(n)];
            if (type == kTableLeaf || type == kIndexLeaf)
                leaves[size_t(tree)].push_back(n);
            for (const qint64 off : offsets) {
                Payload pl;
                qint64 rowid = 0;
                quint32 child = 0;
                if (!cellPayload(n, off, &pl, &rowid, &child)) {
                    complete[size_t(tree)] = false;
                    continue;
                }
                if (child)
                    stack.push_back(child);
                std::vector<qint64> chain;
                if (pl.size > pl.localSize) {
                    const bool whole = overflowPages(pl, &chain);
                    for (const qint64 o : chain)
                        if (owner[size_t(o)] == kUnclaimed)
                            claim(o, tree);
                    if (!whole)
                        complete[size_t(tree)] = false;
                }
            }
            if (type == kTableInterior || type == kIndexInterior)
                stack.push_back(u32(page(n) + headerOffset(n) + 8));
        }
    }

    void walkFreeList(qint64 trunk)
    {
        const qint64 perTrunk = usable / 4 - 2;
        while (valid(trunk) && owner[size_t(trunk)] == kUnclaimed) {
            claim(trunk, kFreeList);
            const uchar *p = page(trunk);
            const qint64 count = u32(p + 4);
            for (qint64 i = 0; i < std::min(count, perTrunk); ++i)
                if (const qint64 leaf = u32(p + 8 + 4 * i); valid(leaf) && owner[size_t(leaf)] == kUnclaimed)
                    claim(leaf, kFreeList);
            trunk = u32(p);
        }
    }

    struct DecodedPage
    {
        std::vector<PageRow> rows;
        std::vector<qint64> overflow;
        qint64 failed = 0;
        int columns = -1; // the one column count of every record, -1 when they differ
    };

    // Every cell of a table leaf page as a record.
    DecodedPage decodeLeaf(qint64 n) const
    {
        DecodedPage out;
        std::vector<qint64> offsets;
        if (!cellOffsets(n, &offsets)) {
            out.failed = 1;
            return out;
        }
        bool first = true;
        for (const qint64 off : offsets) {
            Payload pl;
            PageRow row;
            quint32 child = 0;
            std::vector<qint64> chain;
            if (!cellPayload(n, off, &pl, &row.rowid, &child) || !overflowPages(pl, &chain) ||
                !decodeRecord(assemble(pl, chain), &row.values)) {
                ++out.failed;
                out.columns = -1;
                first = false;
                continue;
            }
            const int columns = int(row.values.size());
            if (first)
                out.columns = columns;
            else if (columns != out.columns)
                out.columns = -1;
            first = false;
            out.overflow.insert(out.overflow.end(), chain.begin(), chain.end());
            out.rows.push_back(std::move(row));
        }
        return out;
    }

    static bool decodeRecord(const QByteArray &bytes, std::vector<QVariant> *values)
    {
        const auto *begin = reinterpret_cast<const uchar *>(bytes.constData());
        const uchar *end = begin + bytes.size();
        const uchar *p = begin;
        qint64 headerSize = 0;
        if (!varint(p, end, &headerSize) || headerSize < 1 || headerSize > end - begin)
            return false;
        const uchar *headerEnd = begin + headerSize;
        std::vector<qint64> types;
        while (p < headerEnd) {
            qint64 t = 0;
            if (!varint(p, headerEnd, &t) || t == 10 || t == 11 || t < 0)
                return false;
            types.push_back(t);
        }
        if (p != headerEnd)
            return false;
        const uchar *body = headerEnd;
        values->clear();
        for (const qint64 t : types) {
            static constexpr int kIntSize[] = {0, 1, 2, 3, 4, 6, 8, 8, 0, 0};
            const qint64 size = t >= 12 ? (t - 12) / 2 : kIntSize[t];
            if (end - body < size)
                return false;
            if (t == 0) {
                values->emplace_back();
            } else if (t <= 6) {
                qint64 v = qint8(body[0]); // sign from the first byte
                for (qint64 i = 1; i < size; ++i)
                    v = qint64(quint64(v) << 8 | body[i]);
                values->emplace_back(v);
            } else if (t == 7) {
                quint64 bits = 0;
                for (int i = 0; i < 8; ++i)
                    bits = bits << 8 | body[i];
                double d = 0;
                std::memcpy(&d, &bits, sizeof d);
                values->emplace_back(d);
            } else if (t == 8 || t == 9) {
                values->emplace_back(qint64(t - 8));
            } else if (t % 2 == 0) {
                values->emplace_back(QByteArray(reinterpret_cast<const char *>(body), size));
            } else {
                values->emplace_back(QString::fromUtf8(reinterpret_cast<const char *>(body), size));
            }
            body += size;
        }
        return body == end;
    }
};

PageReader::PageReader() = default;
PageReader::~PageReader() = default;

bool PageReader::open(const QString &path, const std::vector<BTreeRoot> &trees, QString *error)
{
    auto f = std::make_unique<File>();
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    f->file.setFileName(path);
    if (!f->file.open(QIODevice::ReadOnly))
        return fail(f->file.errorString());
    const qint64 size = f->file.size();
    if (size < 512)
        return fail(QStringLiteral("The file is too short to be a database."));
    f->data = f->file.map(0, size);
    if (!f->data)
        return fail(f->file.errorString());
    const uchar *h = f->data;
    if (std::memcmp(h, "SQLite format 3", 16) != 0)
        return fail(QStringLiteral("The file's header is damaged."));
    f->pageSize = u16(h + 16) == 1 ? 65536 : u16(h + 16);
    if (f->pageSize < 512 || (f->pageSize & (f->pageSize - 1)) != 0)
        return fail(QStringLiteral("The file's header is damaged."));
    f->usable = f->pageSize - h[20];
    // Texts are read as UTF-8, the only encoding the program writes.
    if (f->usable < 480 || u32(h + 56) > 1)
        return fail(QStringLiteral("The file's header is damaged."));
    f->pages = size / f->pageSize;
    const qint64 counted = u32(h + 28);
    if (counted > f->pages)
        f->missing = counted - f->pages;
    else if (counted > 0)
        f->pages = counted;

    f->trees.push_back({QStringLiteral("sqlite_schema"), 1, true, 5});
    f->trees.insert(f->trees.end(), trees.begin(), trees.end());
    f->owner.assign(size_t(f->pages + 1), kUnclaimed);
    f->complete.assign(f->trees.size(), true);
    f->leaves.resize(f->trees.size());
    for (int t = 0; t < int(f->trees.size()); ++t)
        f->walk(t);
    f->walkFreeList(u32(h + 32));
    m_file = std::move(f);
    return true;
}

std::optional<LeafRows> PageReader::tableRows(const QString &table) const
{
    if (!m_file)
        return std::nullopt;
    File &f = *m_file;
    int tree = -1;
    for (int t = 0; t < int(f.trees.size()); ++t)
        if (f.trees[size_t(t)].isTable && f.trees[size_t(t)].name.compare(table, Qt::CaseInsensitive) == 0)
            tree = t;
    if (tree < 0)
        return std::nullopt;
    const int columns = f.trees[size_t(tree)].columns;

    LeafRows out;
    QSet<qint64> seen;
    auto take = [&](File::DecodedPage &&page) {
        for (PageRow &row : page.rows) {
            if (int(row.values.size()) != columns) {
                ++out.unreadableCells;
                continue;
            }
            if (seen.contains(row.rowid))
                continue;
            seen.insert(row.rowid);
            out.rows.push_back(std::move(row));
        }
    };
    for (const qint64 n : f.leaves[size_t(tree)]) {
        File::DecodedPage page = f.decodeLeaf(n);
        out.unreadableCells += page.failed;
        take(std::move(page));
    }

    // Leaf pages outside every tree: the table's when all their records have
    // its column count, unless another damaged table has as many columns.
    std::vector<int> mark(f.owner.begin(), f.owner.end());
    bool adopted = false;
    for (qint64 n = 2; n <= f.pages; ++n) {
        if (mark[size_t(n)] != kUnclaimed)
            continue;
        const uchar type = f.page(n)[0];
        if (type == kTableInterior || type == kIndexInterior || type == kIndexLeaf) {
            mark[size_t(n)] = kOtherTable; // no rows of a table on it
            continue;
        }
        if (type != kTableLeaf)
            continue;
        File::DecodedPage page = f.decodeLeaf(n);
        if (page.failed > 0 || page.columns < 0)
            continue;
        for (const qint64 o : page.overflow)
            if (mark[size_t(o)] == kUnclaimed)
                mark[size_t(o)] = kOtherTable;
        if (page.columns != columns) {
            mark[size_t(n)] = kOtherTable;
            continue;
        }
        for (int t = 0; t < int(f.trees.size()); ++t)
            if (t != tree && f.trees[size_t(t)].isTable && f.trees[size_t(t)].columns == columns &&
                !f.complete[size_t(t)])
                return std::nullopt;
        mark[size_t(n)] = tree;
        adopted = true;
        take(std::move(page));
    }

    out.unexplainedPages = f.missing;
    const qint64 root = f.trees[size_t(tree)].rootPage;
    for (qint64 n = 2; n <= f.pages; ++n)
        // A damaged root whose leaves were found was an interior page: it held no rows.
        if (mark[size_t(n)] == kUnclaimed && !(adopted && n == root))
            ++out.unexplainedPages;
    return out;
}

} // namespace tf
