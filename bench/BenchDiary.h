#pragma once

// The benchmark diary: a log of `trips` trips with every condition filled in,
// one trip in ten mentioning bass, in a new diary file at `path`.

#include <QString>

namespace tf::bench {

bool makeBenchDiary(const QString &path, int trips);

} // namespace tf::bench
