#include "shell/DatabaseNotice.h"

#include "data/DataSource.h"
#include "platform/Platform.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace tf {

namespace {

const char *const kReportedProperty = "tfProblemReported";

class ShowWatch : public QObject
{
public:
    ShowWatch(QWidget *window, QString text) : QObject(window), m_window(window), m_text(std::move(text))
    {
        window->installEventFilter(this);
    }

    void report()
    {
        if (!m_window || m_window->property(kReportedProperty).toBool())
            return;
        m_window->setProperty(kReportedProperty, true);
        showMessage(m_window, MessageIcon::Exclamation, m_text);
        deleteLater();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Show) {
            // After the show has finished, so the message comes up over the window.
            QTimer::singleShot(0, this, [this] { report(); });
        }
        return false;
    }

private:
    QPointer<QWidget> m_window;
    QString m_text;
};

} // namespace

QString cannotOpenText(const QString &what, const QString &engineError)
{
    return QStringList{QStringLiteral("%1 cannot be opened.").arg(what), engineError,
                       QStringLiteral("Nothing has been changed. ") + databaseAdvice(engineError)}
        .join(QLatin1Char('\n'));
}

void reportWhenShown(QWidget *window, const QString &text)
{
    if (!window || text.isEmpty() || window->property(kReportedProperty).toBool())
        return;
    auto *watch = new ShowWatch(window, text);
    if (window->isVisible())
        QTimer::singleShot(0, watch, [watch] { watch->report(); });
}

} // namespace tf
