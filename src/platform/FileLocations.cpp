#include "platform/FileLocations.h"

#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>
#include <unistd.h>

namespace tf {

namespace {

std::optional<FileLayout> &slot()
{
    static std::optional<FileLayout> layout;
    return layout;
}

bool writableFolder(const QString &folder)
{
    // access() asks the kernel, which knows about read-only mounts as well as
    // permissions; QFileInfo::isWritable() looks at permission bits only.
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

} // namespace

bool isSystemFolder(const QString &folder)
{
    const QString clean = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    static const char *const roots[] = {"/usr", "/opt", "/bin", "/sbin", "/lib", "/lib64", "/snap", "/app", "/nix"};
    for (const char *root : roots) {
        const QString r = QLatin1String(root);
        if (clean == r || clean.startsWith(r + QLatin1Char('/')))
            return true;
    }
    return false;
}

FileLayout chooseFileLayout(const QString &executableFolder, const QString &userDataFolder,
                            const QString &diaryFileName)
{
    const QString exe = QDir::cleanPath(QFileInfo(executableFolder).absoluteFilePath());
    if (QFileInfo::exists(QDir(exe).filePath(diaryFileName)) || (writableFolder(exe) && !isSystemFolder(exe)))
        return FileLayout{true, exe, exe};
    return FileLayout{false, QDir::cleanPath(QDir(exe).filePath(QStringLiteral("../share/tallyfin"))),
                      QDir::cleanPath(userDataFolder)};
}

void setFileLayout(std::optional<FileLayout> layout)
{
    slot() = std::move(layout);
}

FileLayout fileLayout()
{
    if (slot())
        return *slot();
    const QString folder = platform().programFolder();
    return FileLayout{true, folder, folder};
}

QString filePath(FileRole role, const QString &fileName)
{
    const FileLayout layout = fileLayout();
    // Whatever separator a caller wrote ("\log.rpt"), only the name counts:
    // every file lies directly in its folder.
    QString name = fileName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    name = QFileInfo(name).fileName();
    switch (role) {
    case FileRole::UserData:
        return QDir(layout.dataFolder).filePath(name);
    case FileRole::Shipped:
        return QDir(layout.shippedFolder).filePath(name);
    case FileRole::Report: {
        const QString own = QDir(layout.dataFolder).filePath(name);
        if (layout.portable || QFileInfo(own).isFile())
            return own;
        return QDir(layout.shippedFolder).filePath(name);
    }
    case FileRole::Backups:
        return QDir(layout.dataFolder).filePath(QStringLiteral("Backups"));
    }
    return {};
}

} // namespace tf
