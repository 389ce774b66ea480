// Saves trips one by one and reports each save after it returned, until killed.
// Used by the crash test: whatever it reported must be in the file afterwards.

#include "data/DataSource.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int first = atoi(argv[2]);
    tf::DataSource ds;
    if (!ds.open(path, QStringLiteral("Select * FROM Log Order By Date Desc"))) {
        fprintf(stderr, "%s\n", qPrintable(ds.errorText()));
        return 1;
    }
    for (int n = first;; ++n) {
        // Alternate new trips and edits of the newest, so both kinds of write are interrupted.
        if (n % 3 == 2 && ds.moveFirst()) {
            // Each edit appends its number, so every edit ever reported stays visible.
            const QString remarks = ds.value(QStringLiteral("Remarks1")).toString();
            if (!ds.edit() || !ds.setValue(QStringLiteral("Remarks1"), remarks + QStringLiteral(" e%1").arg(n)) ||
                !ds.update())
                return 1;
        } else {
            if (!ds.addNew() || !ds.setValue(QStringLiteral("Date"), QStringLiteral("2026-01-01")) ||
                !ds.setValue(QStringLiteral("Notes"), QStringLiteral("row %1").arg(n)) ||
                !ds.setValue(QStringLiteral("Lake"), QString(200, QLatin1Char('L'))) || !ds.update())
                return 1;
        }
        printf("%d\n", n);
        fflush(stdout);
    }
}
