#include "screens/FormLook.h"

#include <QHBoxLayout>
#include <QToolButton>

namespace tf::formlook {

void darkWindow(QWidget *window)
{
    QPalette pal = window->palette();
    pal.setColor(QPalette::Window, QColor(18, 40, 66));
    pal.setColor(QPalette::WindowText, QColor(245, 240, 225));
    window->setPalette(pal);
    window->setAutoFillBackground(true);
}

WindowButtons addWindowButtons(QWidget *window, QHBoxLayout *row)
{
    const WindowButtons buttons = makeWindowButtons(window);
    row->addWidget(buttons.minimize, 0, Qt::AlignTop);
    row->addWidget(buttons.exit, 0, Qt::AlignTop);
    return buttons;
}

QString lockedFieldRules()
{
    return QStringLiteral("QLineEdit, QPlainTextEdit { background: white; color: black;"
                          " border: 1px solid rgb(120, 150, 190); border-radius: 4px; }"
                          "QLineEdit:read-only, QPlainTextEdit:read-only { background: rgba(255, 255, 255, 22);"
                          " color: white; border: 1px solid rgba(200, 225, 255, 90); }");
}

} // namespace tf::formlook
