#include "shell/PendingRows.h"

#include <QObject>
#include <vector>

namespace tf::PendingRows {

namespace {

struct Entry
{
    QObject *owner;
    std::function<QString()> describe;
};

std::vector<Entry> &entries()
{
    static std::vector<Entry> all;
    return all;
}

} // namespace

void add(QObject *owner, std::function<QString()> describe)
{
    if (!owner || !describe)
        return;
    entries().push_back({owner, std::move(describe)});
    // Dropped as the owner goes; nothing describes a window that is being destroyed.
    QObject::connect(owner, &QObject::destroyed,
                     [owner] { std::erase_if(entries(), [owner](const Entry &e) { return e.owner == owner; }); });
}

QStringList describeAll()
{
    QStringList described;
    // Over a copy, so a description that opens or closes something cannot upset the loop.
    const std::vector<Entry> current = entries();
    for (const Entry &e : current) {
        const QString text = e.describe();
        if (!text.isEmpty())
            described << text;
    }
    return described;
}

} // namespace tf::PendingRows
