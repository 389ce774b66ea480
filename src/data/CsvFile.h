#pragma once

// Comma-separated text as spreadsheets and other programs write it: fields in
// double quotes where they hold the separator, a quote or a line break, quotes
// doubled inside, records ended by CR LF or LF.
//
// An empty field written without quotes and one written as "" are told apart:
// our own files write a missing value (NULL) as nothing and an empty text as "",
// so a diary leaves the program and comes back with the two kept apart.

#include <QByteArray>
#include <QString>
#include <vector>

namespace tf::csv {

struct Field
{
    QByteArray text;
    bool quoted = false;
    bool isMissing() const { return !quoted && text.isEmpty(); }
};

using Record = std::vector<Field>;

// Appends one field, quoted only where it must be (and always when it is an
// empty text, so it reads back as empty rather than missing).
void appendField(QByteArray &out, const char *text, qsizetype length, bool missing, char separator = ',');
void endRecord(QByteArray &out);

// Reads records one after another from text held in memory.
class Reader
{
public:
    explicit Reader(const QByteArray &data, char separator = ',');

    // False at the end of the text or on an error (then error() is set).
    bool next(Record &record);
    QString error() const { return m_error; }
    // The line the last record read began on, counted from 1.
    qsizetype recordLine() const { return m_recordLine; }
    qsizetype bytesRead() const { return m_pos; }

private:
    const QByteArray &m_data;
    char m_sep;
    qsizetype m_pos = 0;
    qsizetype m_line = 1;
    qsizetype m_recordLine = 1;
    QString m_error;
};

// Checks the text can be read as CSV at all: no NUL bytes (a binary file), and
// UTF-8 (a byte order mark is skipped). Returns an empty text when it can;
// otherwise why not, saying when it looks like Latin-1 instead.
enum class Encoding { Utf8, Latin1, Binary };
Encoding detectEncoding(const QByteArray &data);

// The separator a spreadsheet used: semicolons where the first line holds more
// of them than commas (the habit where the comma is the decimal separator).
char guessSeparator(const QByteArray &data);

// The text of a field in the file's encoding.
QString decode(const QByteArray &text, Encoding encoding);

} // namespace tf::csv
