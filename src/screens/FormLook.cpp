#include "screens/FormLook.h"

#include <QHBoxLayout>
#include <QToolButton>

namespace tf::formlook {

WindowButtons addWindowButtons(QWidget *window, QHBoxLayout *row)
{
    const WindowButtons buttons = makeWindowButtons(window);
    row->addWidget(buttons.minimize, 0, Qt::AlignTop);
    row->addWidget(buttons.exit, 0, Qt::AlignTop);
    return buttons;
}

QString fieldRules()
{
    return QStringLiteral("QLineEdit, QPlainTextEdit { background: white; color: black;"
                          " border: 1px solid rgb(120, 150, 190); border-radius: 4px; }");
}

} // namespace tf::formlook
