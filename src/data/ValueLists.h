#pragma once

// The fixed lists of suggestions the windows offer for some columns, in their
// order; the same list wherever two tables share the column. The user may pick
// an entry or type anything else.

#include <QString>
#include <QStringList>

namespace tf {

// The entries for a column ("Weather", "Air Temp", ...); empty for a column without a list.
QStringList valueList(const QString &column);

} // namespace tf
