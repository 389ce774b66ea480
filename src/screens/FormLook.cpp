#include "screens/FormLook.h"

#include "shell/Art.h"
#include "shell/WindowChrome.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyle>
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

void addWindowButtons(QWidget *window, QHBoxLayout *row, QToolButton **minimize, QToolButton **exit)
{
    *minimize = makePictureButton(window, "cmdMinimize", QStringLiteral(" Minimize "), art::minimizeButton());
    *exit = makePictureButton(window, "cmdExit", QStringLiteral(" Close "), art::closeButton());
    QObject::connect(*minimize, &QToolButton::clicked, window, [window] { window->showMinimized(); });
    QObject::connect(*exit, &QToolButton::clicked, window, [window] { window->close(); });
    row->addWidget(*minimize, 0, Qt::AlignTop);
    row->addWidget(*exit, 0, Qt::AlignTop);
}

QString lockedFieldRules()
{
    return QStringLiteral("QLineEdit, QPlainTextEdit { background: white; color: black;"
                          " border: 1px solid rgb(120, 150, 190); border-radius: 4px; }"
                          "QLineEdit:read-only, QPlainTextEdit:read-only { background: rgba(255, 255, 255, 22);"
                          " color: white; border: 1px solid rgba(200, 225, 255, 90); }");
}

void restyleFields(QWidget *root)
{
    QList<QWidget *> fields;
    for (QWidget *w : root->findChildren<QLineEdit *>())
        fields << w;
    for (QWidget *w : root->findChildren<QPlainTextEdit *>())
        fields << w;
    for (QWidget *w : fields) {
        w->style()->unpolish(w);
        w->style()->polish(w);
        w->update();
    }
}

} // namespace tf::formlook
