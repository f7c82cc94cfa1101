#pragma once
// The check for pictures that no song names: the files of the pictures folder that none of the
// eight picture fields of any song names (compared case-blind, as the catalogue compares
// them), which the user deletes, moves to the deleted-pictures folder or leaves.
#include <QString>
#include <QStringList>

namespace platform::db {
class Database;
}

namespace reports {

class OrphanedPictures {
public:
    // The command, with its questions and messages. Failures are shown with their description;
    // pictures already deleted or moved stay so.
    static void OphanedPictures_Click();

    // The files of a folder as the check lists them: not its sub-folders, not hidden files.
    static QStringList pictureFiles(const QString &folder);
    // The names among `files` that no song's PicturePath1 to PicturePath8 names. The picture
    // fields are read once, not once per file.
    static QStringList orphansAmong(platform::db::Database &db, const QStringList &files);

    // Deletes the named files from `folder` (those still there).
    static void deleteAll(const QString &folder, const QStringList &names);
    // Moves the named files from `from` into `to`, made when missing; a file of the same name
    // already in `to` is deleted first.
    static void moveAll(const QString &from, const QString &to, const QStringList &names);

    static QString cleanUpQuestion(long count);
};

} // namespace reports
