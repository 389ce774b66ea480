#pragma once

// Every picture the generator writes, with its alias in the program's
// resources. The program refers to them through src/shell/Art.h; keep the two
// in step.

#include <QSize>
#include <QString>
#include <vector>

namespace artgen {

struct ArtFile
{
    QString path;   // relative to the resources folder
    QString prefix; // resource prefix
    QString alias;  // name under the prefix
    QSize size;
};

std::vector<ArtFile> artFiles();

// The resource collection file listing every picture.
QString artQrc();

// Checks the pictures on disk: sizes, the outline frame, and for the moon the
// disc bounds, the dimmed dark side, the same face everywhere and the
// terminator of each phase. Prints every fault; true when there is none.
bool checkArt(const QString &resourceDir);

} // namespace artgen
