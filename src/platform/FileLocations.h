#pragma once

// Where the program's files live. Two layouts:
//   portable: everything beside the executable (the diary, the report
//     definitions, the help file, the backups), as a program folder unpacked
//     anywhere or the build folder has it;
//   installed: what ships with the program (report definitions, help) in the
//     read-only install folder, ../share/tallyfin from the executable; the
//     diary, the user's own report definitions and the backups in the user's
//     data folder.
// Nothing else in the program builds a path to these files.

#include <QString>
#include <optional>

namespace tf {

struct FileLayout
{
    bool portable = true;
    QString shippedFolder; // report definitions and the help file as they ship
    QString dataFolder;    // the diary, the user's report definitions, Backups/
};

// The layout of a program whose executable lies in executableFolder. It is
// portable when that folder already holds a diary (diaryFileName), or when it
// can be written and is no system folder; otherwise installed, with the user's
// files in userDataFolder (QStandardPaths::AppDataLocation).
FileLayout chooseFileLayout(const QString &executableFolder, const QString &userDataFolder,
                            const QString &diaryFileName);

// The layout in force; set once by the start-up. Unset (as in tests), every
// file lies in the platform's program folder.
void setFileLayout(std::optional<FileLayout> layout);
FileLayout fileLayout();

enum class FileRole {
    UserData, // the diary and other files the program writes: tfn5.mdb, tfn51.mdb
    Shipped,  // files read as they ship: tfnhelp.chm
    Report,   // a report definition: the user's own copy of that name wins over the shipped one
    Backups,  // the folder of automatic backups (fileName ignored)
};

// The one answer to "where does this file live".
QString filePath(FileRole role, const QString &fileName = {});

// True for folders a package installs into (/usr, /opt, ...), where a writable
// folder (root's) still does not mean a portable program.
bool isSystemFolder(const QString &folder);

} // namespace tf
