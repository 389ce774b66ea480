#include "shell/HelpViewer.h"

#include "platform/Platform.h"

#include <QHBoxLayout>
#include <QSplitter>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tf {

namespace {
const QString kScheme = QStringLiteral("chm");
}

ChmBrowser::ChmBrowser(const ChmFile *file, QWidget *parent) : QTextBrowser(parent), m_file(file)
{
    setObjectName(QStringLiteral("HelpPage"));
    setOpenLinks(false);
}

QUrl ChmBrowser::urlOf(const QString &page)
{
    QUrl url;
    url.setScheme(kScheme);
    const int hash = page.indexOf(QLatin1Char('#'));
    QString path = hash >= 0 ? page.left(hash) : page;
    url.setPath(path.startsWith(QLatin1Char('/')) ? path : QLatin1Char('/') + path);
    if (hash >= 0)
        url.setFragment(page.mid(hash + 1));
    return url;
}

QVariant ChmBrowser::loadResource(int type, const QUrl &name)
{
    QUrl url = name;
    if (url.isRelative())
        url = source().resolved(name);
    if (url.scheme() != kScheme)
        return QTextBrowser::loadResource(type, url);
    const QByteArray bytes = m_file->read(url.path());
    if (bytes.isNull())
        return {};
    if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource)
        return QString::fromUtf8(bytes);
    return bytes;
}

HelpViewer::HelpViewer(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(QStringLiteral("Tallyfin Help"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Window);

    m_browser = new ChmBrowser(&m_file, this);
    m_contents = new QTreeWidget(this);
    m_contents->setObjectName(QStringLiteral("HelpContents"));
    m_contents->setHeaderHidden(true);
    m_contents->setRootIsDecorated(false);

    auto *tools = new QToolBar(this);
    tools->setIconSize(QSize(18, 18));
    QAction *back = tools->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("Back"), m_browser,
                                     &QTextBrowser::backward);
    QAction *forward = tools->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("Forward"),
                                        m_browser, &QTextBrowser::forward);
    tools->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("Home"), this,
                     [this] { showPage(QString()); });
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &HelpViewer::followLink);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &HelpViewer::markCurrent);
    connect(m_contents, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem *item) { showPage(item->data(0, Qt::UserRole).toString()); });
    connect(m_contents, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *item) { showPage(item->data(0, Qt::UserRole).toString()); });

    auto *split = new QSplitter(this);
    split->addWidget(m_contents);
    split->addWidget(m_browser);
    split->setStretchFactor(1, 1);
    split->setSizes({200, 560});

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tools);
    layout->addWidget(split);
    resize(800, 600);
}

bool HelpViewer::openFile(const QString &path)
{
    m_contents->clear();
    if (!m_file.open(path))
        return false;
    if (!m_file.title().isEmpty())
        setWindowTitle(m_file.title());
    QList<QTreeWidgetItem *> parents;
    for (const ChmTopic &topic : m_file.contents()) {
        while (parents.size() > topic.depth)
            parents.removeLast();
        auto *item = parents.isEmpty() ? new QTreeWidgetItem(m_contents) : new QTreeWidgetItem(parents.last());
        item->setText(0, topic.name);
        item->setData(0, Qt::UserRole, topic.local);
        parents.append(item);
    }
    m_contents->expandAll();
    return true;
}

void HelpViewer::showPage(const QString &page)
{
    const QString path = page.section(QLatin1Char('#'), 0, 0);
    const QString target = !path.isEmpty() && m_file.contains(path) ? page : m_file.defaultTopic();
    m_browser->setSource(ChmBrowser::urlOf(target));
}

QString HelpViewer::currentPage() const
{
    return m_browser->source().path().mid(1);
}

void HelpViewer::followLink(const QUrl &url)
{
    const QUrl target = url.isRelative() ? m_browser->source().resolved(url) : url;
    if (target.scheme() == kScheme) {
        if (target.path() == m_browser->source().path() && target.hasFragment())
            m_browser->scrollToAnchor(target.fragment());
        else
            m_browser->setSource(target);
        return;
    }
    // The web and mail belong to the user's own programs.
    platform().openUrl(target);
}

void HelpViewer::markCurrent(const QUrl &url)
{
    // The browser tells before source() has caught up.
    const QString page = url.path().mid(1);
    for (QTreeWidgetItemIterator it(m_contents); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toString().compare(page, Qt::CaseInsensitive) == 0) {
            m_contents->setCurrentItem(*it);
            return;
        }
    }
}

} // namespace tf
