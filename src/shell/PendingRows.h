#pragma once

// The rows being typed in open windows, so that closing everything at once
// (Exit & Backup Database) can ask before that typing is thrown away.

#include <QString>
#include <QStringList>
#include <functional>

class QObject;

namespace tf::PendingRows {

// A part of a window that can hold a row being typed registers how to describe it. The description is
// empty when nothing with typing in it is pending, else names the window (its caption, e.g. "Fishing Logs").
// The entry goes away by itself when owner is destroyed.
void add(QObject *owner, std::function<QString()> describe);
QStringList describeAll(); // the non-empty descriptions, in the order added

} // namespace tf::PendingRows
