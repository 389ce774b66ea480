#pragma once

// Unicode full case folding, for grouping names that differ only in letter
// case: "Großer Plöner See" and "GROSSER PLÖNER SEE" fold alike. The toolkit's
// own folding maps one character to one, so ß stays ß there while SS folds to
// ss; full folding also expands ß, the ligatures, the Greek letters with
// iota subscript and the other characters that fold to more than one.

#include <QString>

namespace tf::stats {

QString fullCaseFold(const QString &text);

} // namespace tf::stats
