#pragma once

// The items of a lookup list: one column of a small table, read once when a
// window opens, in the table's own order, empty values left out.

#include <QString>
#include <QStringList>
#include <optional>

namespace tf {

// nullopt (with the engine's error) when the file, table or column cannot be read.
std::optional<QStringList> readLookupList(const QString &databasePath, const QString &table, const QString &column,
                                          QString *error = nullptr);

} // namespace tf
