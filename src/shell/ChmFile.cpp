#include "shell/ChmFile.h"

#include <QFile>
#include <QRegularExpression>
#include <QtEndian>
#include <chm_lib.h>

namespace tf {

namespace {

QByteArray objectPath(const QString &path)
{
    QString p = path;
    if (!p.startsWith(QLatin1Char('/')))
        p.prepend(QLatin1Char('/'));
    return p.toUtf8();
}

QString zeroTerminated(const QByteArray &bytes)
{
    const int end = bytes.indexOf('\0');
    return QString::fromLatin1(end >= 0 ? bytes.left(end) : bytes);
}

QString unescape(QString s)
{
    s.replace(QLatin1String("&quot;"), QLatin1String("\""));
    s.replace(QLatin1String("&lt;"), QLatin1String("<"));
    s.replace(QLatin1String("&gt;"), QLatin1String(">"));
    s.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return s;
}

} // namespace

ChmFile::~ChmFile()
{
    close();
}

bool ChmFile::open(const QString &path)
{
    close();
    m_file = chm_open(QFile::encodeName(path).constData());
    if (!m_file)
        return false;
    m_path = path;
    readSystem();
    return true;
}

void ChmFile::close()
{
    if (m_file)
        chm_close(m_file);
    m_file = nullptr;
    m_path.clear();
    m_title.clear();
    m_defaultTopic.clear();
    m_contentsFile.clear();
}

bool ChmFile::contains(const QString &path) const
{
    if (!m_file)
        return false;
    chmUnitInfo ui;
    const QByteArray p = objectPath(path);
    // Folders are listed as objects too; only files with content count.
    return chm_resolve_object(m_file, p.constData(), &ui) == CHM_RESOLVE_SUCCESS && !p.endsWith('/');
}

QByteArray ChmFile::read(const QString &path) const
{
    if (!m_file)
        return {};
    chmUnitInfo ui;
    const QByteArray p = objectPath(path);
    if (p.endsWith('/') || chm_resolve_object(m_file, p.constData(), &ui) != CHM_RESOLVE_SUCCESS)
        return {};
    QByteArray bytes(qsizetype(ui.length), Qt::Uninitialized);
    if (ui.length == 0)
        return QByteArray("");
    const LONGINT64 n =
        chm_retrieve_object(m_file, &ui, reinterpret_cast<unsigned char *>(bytes.data()), 0, LONGINT64(ui.length));
    if (n != LONGINT64(ui.length))
        return {};
    return bytes;
}

// The #SYSTEM object holds tagged records after a version word: code, length
// and data, all little-endian. Code 0 names the contents file, 2 the default
// page, 3 the title.
void ChmFile::readSystem()
{
    const QByteArray sys = read(QStringLiteral("/#SYSTEM"));
    qsizetype at = 4;
    while (at + 4 <= sys.size()) {
        const quint16 code = qFromLittleEndian<quint16>(sys.constData() + at);
        const quint16 length = qFromLittleEndian<quint16>(sys.constData() + at + 2);
        at += 4;
        if (at + length > sys.size())
            break;
        const QByteArray data = sys.mid(at, length);
        at += length;
        if (code == 0)
            m_contentsFile = zeroTerminated(data);
        else if (code == 2)
            m_defaultTopic = zeroTerminated(data);
        else if (code == 3)
            m_title = zeroTerminated(data);
    }
    if (m_contentsFile.isEmpty() && contains(QStringLiteral("toc.hhc")))
        m_contentsFile = QStringLiteral("toc.hhc");
    if (m_defaultTopic.isEmpty()) {
        if (contains(QStringLiteral("index.html")))
            m_defaultTopic = QStringLiteral("index.html");
        else if (const QList<ChmTopic> topics = contents(); !topics.isEmpty())
            m_defaultTopic = topics.first().local;
    }
}

QList<ChmTopic> ChmFile::contents() const
{
    if (m_contentsFile.isEmpty())
        return {};
    return parseSitemap(QString::fromUtf8(read(m_contentsFile)));
}

QList<ChmTopic> ChmFile::parseSitemap(const QString &html)
{
    static const QRegularExpression tag(QStringLiteral(R"(<\s*(/?)\s*([A-Za-z]+)([^>]*)>)"));
    static const QRegularExpression attribute(QStringLiteral(R"re(([A-Za-z]+)\s*=\s*"([^"]*)")re"));
    QList<ChmTopic> topics;
    int depth = -1;
    bool inObject = false;
    ChmTopic current;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const bool closing = !m.captured(1).isEmpty();
        const QString name = m.captured(2).toLower();
        if (name == QLatin1String("ul")) {
            depth += closing ? -1 : 1;
        } else if (name == QLatin1String("object")) {
            if (!closing) {
                inObject = true;
                current = ChmTopic{{}, {}, qMax(0, depth)};
            } else if (inObject) {
                inObject = false;
                if (!current.name.isEmpty() || !current.local.isEmpty())
                    topics << current;
            }
        } else if (name == QLatin1String("param") && inObject) {
            QString key, value;
            for (auto a = attribute.globalMatch(m.captured(3)); a.hasNext();) {
                const QRegularExpressionMatch am = a.next();
                if (am.captured(1).compare(QLatin1String("name"), Qt::CaseInsensitive) == 0)
                    key = am.captured(2).toLower();
                else if (am.captured(1).compare(QLatin1String("value"), Qt::CaseInsensitive) == 0)
                    value = unescape(am.captured(2));
            }
            if (key == QLatin1String("name"))
                current.name = value;
            else if (key == QLatin1String("local"))
                current.local = value;
        }
    }
    return topics;
}

} // namespace tf
