#pragma once

// Read access to a compiled HTML help file (.chm) through libchm: its pages and
// pictures by path, its default page, its title and its table of contents.

#include <QByteArray>
#include <QList>
#include <QString>

struct chmFile;

namespace tf {

struct ChmTopic
{
    QString name;  // as the contents show it
    QString local; // path of the page inside the file, e.g. "frmStart.html"
    int depth = 0; // 0 for top-level entries
};

class ChmFile
{
public:
    ChmFile() = default;
    ~ChmFile();
    ChmFile(const ChmFile &) = delete;
    ChmFile &operator=(const ChmFile &) = delete;

    bool open(const QString &path);
    void close();
    bool isOpen() const { return m_file != nullptr; }
    QString path() const { return m_path; }

    // Paths are inside the file, with or without the leading "/"; a missing
    // object reads as null.
    bool contains(const QString &path) const;
    QByteArray read(const QString &path) const;

    QString title() const { return m_title; }
    // The page to show when none is asked for.
    QString defaultTopic() const { return m_defaultTopic; }
    QList<ChmTopic> contents() const;

    // The table of contents of a sitemap (.hhc) text.
    static QList<ChmTopic> parseSitemap(const QString &html);

private:
    void readSystem();

    chmFile *m_file = nullptr;
    QString m_path;
    QString m_title;
    QString m_defaultTopic;
    QString m_contentsFile;
};

} // namespace tf
