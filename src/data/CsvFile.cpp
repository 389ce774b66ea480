#include "data/CsvFile.h"

#include <QStringDecoder>
#include <algorithm>
#include <cstring>

namespace tf::csv {

void appendField(QByteArray &out, const char *text, qsizetype length, bool missing, char separator)
{
    if (missing)
        return;
    bool quote = length == 0;
    for (qsizetype i = 0; i < length && !quote; ++i) {
        const char c = text[i];
        quote = c == separator || c == '"' || c == '\n' || c == '\r';
    }
    if (!quote) {
        out.append(text, length);
        return;
    }
    out.append('"');
    for (qsizetype i = 0; i < length; ++i) {
        if (text[i] == '"')
            out.append('"');
        out.append(text[i]);
    }
    out.append('"');
}

void endRecord(QByteArray &out)
{
    out.append("\r\n", 2);
}

Reader::Reader(const QByteArray &data, char separator) : m_data(data), m_sep(separator)
{
    if (m_data.startsWith("\xEF\xBB\xBF"))
        m_pos = 3;
}

bool Reader::next(Record &record)
{
    record.clear();
    const qsizetype size = m_data.size();
    const char *d = m_data.constData();
    if (m_pos >= size || !m_error.isEmpty())
        return false;
    m_recordLine = m_line;
    for (;;) {
        Field field;
        if (m_pos < size && d[m_pos] == '"') {
            field.quoted = true;
            const qsizetype opened = m_line;
            ++m_pos;
            for (;;) {
                const char *quote = static_cast<const char *>(std::memchr(d + m_pos, '"', size_t(size - m_pos)));
                if (!quote) {
                    m_error = QStringLiteral("Line %1: a quoted field is never closed.").arg(opened);
                    return false;
                }
                const qsizetype end = quote - d;
                field.text.append(d + m_pos, end - m_pos);
                m_line += std::count(d + m_pos, d + end, '\n');
                m_pos = end + 1;
                if (m_pos < size && d[m_pos] == '"') {
                    field.text.append('"');
                    ++m_pos;
                    continue;
                }
                break;
            }
            if (m_pos < size && d[m_pos] != m_sep && d[m_pos] != '\r' && d[m_pos] != '\n') {
                m_error = QStringLiteral("Line %1: text follows the closing quote of a field.").arg(m_line);
                return false;
            }
        } else {
            const qsizetype start = m_pos;
            while (m_pos < size && d[m_pos] != m_sep && d[m_pos] != '\r' && d[m_pos] != '\n')
                ++m_pos;
            field.text = QByteArray(d + start, m_pos - start);
        }
        record.push_back(std::move(field));
        if (m_pos >= size)
            return true;
        if (d[m_pos] == m_sep) {
            ++m_pos;
            continue;
        }
        if (d[m_pos] == '\r')
            ++m_pos;
        if (m_pos < size && d[m_pos] == '\n')
            ++m_pos;
        ++m_line;
        return true;
    }
}

Encoding detectEncoding(const QByteArray &data)
{
    if (data.contains('\0'))
        return Encoding::Binary;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(data);
    return utf8.hasError() ? Encoding::Latin1 : Encoding::Utf8;
}

char guessSeparator(const QByteArray &data)
{
    const qsizetype eol = data.indexOf('\n');
    const QByteArray first = eol < 0 ? data : data.left(eol);
    return first.count(';') > first.count(',') ? ';' : ',';
}

QString decode(const QByteArray &text, Encoding encoding)
{
    return encoding == Encoding::Latin1 ? QString::fromLatin1(text) : QString::fromUtf8(text);
}

} // namespace tf::csv
