#include "reports/OrphanedPictures.h"

#include "core/AppState.h"
#include "core/FileError.h"
#include "core/mCommon.h"
#include "pictures/PictureFiles.h"
#include "platform/db/Collations.h"
#include "platform/db/Database.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace reports {

namespace db = platform::db;
namespace ui = platform::ui;

namespace {

// The text the catalogue's case-blind equality compares: every character case-folded, accents
// kept, so two texts get the same key exactly when the database finds them equal.
QString compareKey(const QString &text) {
    bool ascii = true;
    for (QChar c : text)
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii)
        return text.toLower();
    std::u32string folded;
    for (char32_t c : text.toUcs4())
        folded.push_back(db::jet::foldCase(c));
    return QString::fromUcs4(folded.data(), qsizetype(folded.size()));
}

bool isFile(const QString &path) { return QFileInfo(path).isFile(); }

void message(const QString &text, const QString &title) {
    ui::msgBox(text, ui::Buttons::OK, ui::Icon::None, title);
}

} // namespace

QStringList OrphanedPictures::pictureFiles(const QString &folder) {
    QDir dir(folder);
    if (!dir.exists())
        return {};
    return dir.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
}

QStringList OrphanedPictures::orphansAmong(db::Database &database, const QStringList &files) {
    QSet<QString> named;
    for (int slot = 1; slot <= 8; ++slot) {
        const QString field = QStringLiteral("PicturePath%1").arg(slot);
        auto rs = database.openRecordset(QStringLiteral("Select Distinct %1 from tblContacts Where %1 Is Not Null").arg(field),
                                         db::RecordsetType::ForwardOnly);
        while (!rs->eof()) {
            named.insert(compareKey(rs->value(0).toString()));
            rs->moveNext();
        }
        rs->close();
    }
    QStringList orphans;
    for (const QString &f : files)
        if (!named.contains(compareKey(f)))
            orphans << f;
    return orphans;
}

void OrphanedPictures::deleteAll(const QString &folder, const QStringList &names) {
    for (const QString &name : names)
        if (!name.isEmpty() && isFile(folder + name))
            mCommon::KillFile(folder + name);
}

void OrphanedPictures::moveAll(const QString &from, const QString &to, const QStringList &names) {
    if (!mCommon::FolderExists(to) && !QDir().mkpath(to))
        throw core::FileError(75, QStringLiteral("Path/File access error"));
    for (const QString &name : names) {
        if (name.isEmpty())
            continue;
        if (isFile(to + name))
            mCommon::KillFile(to + name);
        if (isFile(from + name))
            pictures::renameOver(from + name, to + name);
    }
}

QString OrphanedPictures::cleanUpQuestion(long count) {
    return QStringLiteral("Number of orphaned pictures found: ") + QString::number(count) + QStringLiteral(".") +
           QStringLiteral("\r\n") +
           QStringLiteral("These are pictures not assigned to any songs in your database.  Two reasons why they exist "
                          "are because you changed the picture for a song without first deleting the old picture in "
                          "Orvalis, or because you changed the file name of a picture (displayed in blue text below "
                          "each picture button on the Edit screen) to the file name of a different picture.") +
           QStringLiteral("\r\n\r\n") +
           QStringLiteral("This is normal, and those orphaned pictures should be deleted periodically.  They do no "
                          "harm if you do not delete them.  They just take up disk space.") +
           QStringLiteral("\r\n\r\n") +
           QStringLiteral("If you reply NO, you will then be given the option of moving these files to the Orvalis "
                          "Deleted Pictures folder.") +
           QStringLiteral("\r\n\r\n") +
           QStringLiteral("Would you like to DELETE these pictures from the Orvalis Pictures folder now?");
}

void OrphanedPictures::OphanedPictures_Click() {
    auto &s = core::g();
    try {
        ui::setMousePointer(ui::MousePointer::Hourglass);
        const QString folder = pictures::picturesFolder();
        const QStringList files = pictureFiles(folder);
        if (files.isEmpty()) {
            ui::setMousePointer(ui::MousePointer::Default);
            message(QStringLiteral("No pictures exist."), s.ProductName);
            return;
        }
        const QStringList orphans = orphansAmong(*s.Db, files);
        ui::setMousePointer(ui::MousePointer::Default);
        if (orphans.isEmpty()) {
            message(QStringLiteral("No orphaned pictures found."), s.ProductName);
            return;
        }
        if (ui::msgBox(cleanUpQuestion(long(orphans.size())), ui::Buttons::YesNo, ui::Icon::Information,
                       QStringLiteral("Clean-up Confirmation"), ui::DefaultButton::Second) == ui::Answer::Yes) {
            ui::setMousePointer(ui::MousePointer::Hourglass);
            deleteAll(folder, orphans);
            message(QStringLiteral("Orphaned pictures deleted."), s.ProductName);
        } else if (ui::msgBox(QStringLiteral("Since you do not want to delete these orphaned pictures, would you like "
                                             "to move them to the Deleted Pictures folder within the Orvalis folder?"),
                              ui::Buttons::YesNo, ui::Icon::Information, QStringLiteral("File Move Confirmation"),
                              ui::DefaultButton::Second) == ui::Answer::Yes) {
            ui::setMousePointer(ui::MousePointer::Hourglass);
            moveAll(folder, pictures::deletedPicturesFolder(), orphans);
            message(QStringLiteral("Orphaned pictures moved to the Orvalis Deleted Pictures folder."), s.ProductName);
        } else {
            message(QStringLiteral("Orphaned pictures left in the Orvalis Pictures folder."),
                    QStringLiteral("Pictures not deleted."));
        }
        ui::setMousePointer(ui::MousePointer::Default);
    } catch (const db::DbError &e) {
        ui::setMousePointer(ui::MousePointer::Default);
        message(e.description(), s.ProductName);
    } catch (const core::FileError &e) {
        ui::setMousePointer(ui::MousePointer::Default);
        message(e.description(), s.ProductName);
    }
}

} // namespace reports
