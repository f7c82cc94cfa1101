#include "reports/CsvExport.h"

#include "core/CommonDialogControl.h"
#include "core/FileError.h"
#include "core/StartFolders.h"
#include "core/mCommon.h"
#include "platform/db/DbError.h"
#include "platform/db/LocaleDate.h"
#include "platform/db/Recordset.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "songlist/NameList.h"

#include <QDateTime>
#include <QFileDevice>
#include <QHash>
#include <QIODevice>
#include <QSaveFile>

#include <cerrno>
#include <numeric>
#include <stdexcept>

namespace reports {

namespace ui = platform::ui;
namespace db = platform::db;

namespace {

// The save dialog's name for the folder it starts in.
const QString kSaveDialog = QStringLiteral("Export CSV");
// A failed write, named with its file and its cause; a disk without room is called full.
std::runtime_error writeFailed(const QIODevice &out) {
    const int errnum = errno;
    const QString reason = core::isDiskFull(errnum) ? QStringLiteral("the disk is full") : out.errorString();
    const auto *file = qobject_cast<const QFileDevice *>(&out);
    return std::runtime_error(
        (file ? QStringLiteral("Cannot write %1: %2").arg(file->fileName(), reason) : reason).toStdString());
}

struct Column {
    const char *header;
    const char *field;
    bool date;
};

const Column Columns[] = {
    {"SongName", "SongName", false},
    {"Artist", "Artist", false},
    {"Composer", "Composer", false},
    {"AlbumName", "AlbumName", false},
    {"Year", "Year", false},
    {"Genre", "Genre", false},
    {"Duration", "Duration", false},
    {"Rating", "Rating", false},
    {"PathName", "PathName", false},
    {"FileName", "FileName", false},
    {"Date Record Last Updated", "DateUpdated", true},
    {"DatePurchased", "PurchaseDate", true},
    {"Date2_Desc", "Date2_Desc", false},
    {"Date2", "Date2", true},
    {"MiscField1_Desc", "MiscField1_Desc", false},
    {"MiscField1", "MiscField1", false},
    {"MiscField2_Desc", "MiscField2_Desc", false},
    {"MiscField2", "MiscField2", false},
    {"MiscField3_Desc", "MiscField3_Desc", false},
    {"MiscField3", "MiscField3", false},
    {"Code", "Code", false},
    {"Notes", "Notes", false},
};
constexpr int WithoutNotes = 21;

using mCommon::TrimBlanks; // blanks only, not other white space

QString asText(const QVariant &v) {
    if (v.isNull())
        return {};
    if (v.typeId() == QMetaType::QDateTime || v.typeId() == QMetaType::QDate)
        return QLocale().toString(v.toDateTime(), QLocale::ShortFormat);
    return v.toString();
}

} // namespace

QStringList CsvExport::headers(bool WithNotes) {
    QStringList h;
    for (int i = 0; i < (WithNotes ? WithoutNotes + 1 : WithoutNotes); ++i)
        h << QString::fromLatin1(Columns[i].header);
    return h;
}

QString CsvExport::textValue(const QVariant &v) {
    QString t = TrimBlanks(asText(v));
    t.replace(QLatin1Char('"'), QLatin1Char('\''));
    return t;
}

QString CsvExport::shortDateFormat(const QLocale &locale) {
    // With no locale set the short date names the month ("4 Mar 1925"), which not every
    // spreadsheet reads back; the ISO order is numeric and unambiguous.
    if (locale.language() == QLocale::C)
        return QStringLiteral("yyyy-MM-dd");
    // A two-digit year reads back in the wrong century in a spreadsheet (1925 as 2025).
    return db::LocaleDate::shortDateFormat(locale);
}

QString CsvExport::dateValue(const QVariant &v, const QLocale &locale) {
    if (v.isNull())
        return {};
    QDate d;
    if (v.typeId() == QMetaType::QDateTime)
        d = v.toDateTime().date();
    else if (v.typeId() == QMetaType::QDate)
        d = v.toDate();
    else {
        const QString t = TrimBlanks(v.toString());
        if (t.isEmpty())
            return {};
        if (const auto parsed = db::LocaleDate::parse(t))
            d = parsed->date();
        else if (const QDateTime iso = QDateTime::fromString(t, Qt::ISODate); iso.isValid())
            d = iso.date();
        else
            return t; // not a date: written as it stands
    }
    return d.isValid() ? locale.toString(d, shortDateFormat(locale)) : QString();
}

void CsvExport::appendLine(QByteArray &out, const QStringList &values) {
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QString &v = values[i];
        // Most values are plain ASCII: their bytes go straight in, with room for the comma and
        // the quotes; a value with any other character is converted whole.
        const qsizetype at = out.size();
        out.resize(at + v.size() + 3);
        char *p = out.data() + at;
        if (i)
            *p++ = ',';
        *p++ = '"';
        const auto *const begin = v.utf16();
        const auto *const end = begin + v.size();
        const auto *c = begin;
        while (c != end && *c < 0x80)
            *p++ = char(*c++);
        if (c == end) {
            *p++ = '"';
            out.truncate(p - out.constData());
        } else {
            out.truncate(p - out.constData() - (c - begin));
            out += v.toUtf8();
            out += '"';
        }
    }
    out += "\r\n";
}

void CsvExport::write(const db::Recordset &grid, bool WithNotes, QIODevice &out) {
    const int columns = WithNotes ? WithoutNotes + 1 : WithoutNotes;
    std::vector<int> ordinal(size_t(columns), -1);
    for (int c = 0; c < columns; ++c) {
        ordinal[size_t(c)] = grid.fieldOrdinal(QString::fromLatin1(Columns[c].field));
        if (ordinal[size_t(c)] < 0)
            throw db::DbError(db::err::ItemNotFound, QStringLiteral("Item not found in this collection: '%1'.")
                                                          .arg(QLatin1String(Columns[c].field)));
    }
    // The lines go out in large pieces: a write per line costs more than making it.
    constexpr qsizetype kPiece = 1 << 19;
    QByteArray piece;
    piece.reserve(kPiece + (1 << 16));
    const auto put = [&out, &piece] {
        if (out.write(piece) != piece.size())
            throw writeFailed(out);
        piece.truncate(0);
    };
    appendLine(piece, headers(WithNotes));
    // The exported fields alone, of the grid's rows in its order, read in one pass; the grid's
    // own rows when they cannot be kept apart.
    QStringList fields;
    for (int c = 0; c < columns; ++c)
        fields << QString::fromLatin1(Columns[c].field);
    const std::unique_ptr<db::Recordset> view = grid.keptView(fields);
    const db::Recordset &rows = view ? *view : grid;
    if (view)
        std::iota(ordinal.begin(), ordinal.end(), 0);
    const QLocale locale;
    // Formatting a date through the locale is slow and a catalogue holds few distinct dates:
    // each date's text is made once.
    QHash<qint64, QString> dateTexts;
    const auto dateText = [&](const QVariant &v) {
        if (v.typeId() != QMetaType::QDateTime)
            return dateValue(v, locale);
        const QDate d = v.toDateTime().date();
        if (!d.isValid())
            return QString();
        auto it = dateTexts.constFind(d.toJulianDay());
        if (it == dateTexts.constEnd())
            it = dateTexts.insert(d.toJulianDay(), dateValue(v, locale));
        return *it;
    };
    const long n = rows.recordCount();
    QStringList values;
    values.reserve(columns);
    for (long p = 0; p < n; ++p) {
        values.clear();
        for (int c = 0; c < columns; ++c) {
            const QVariant v = rows.valueAt(p, ordinal[size_t(c)]);
            values << (Columns[c].date ? dateText(v) : textValue(v));
        }
        appendLine(piece, values);
        if (piece.size() >= kPiece)
            put();
    }
    if (!piece.isEmpty())
        put();
}

void CsvExport::ExportToCsv(bool WithNotes) {
    const QString question = QStringLiteral(
        "This feature will export data from all displayed records to a comma-separated-value text file.  This file "
        "can be used for mail merge with most word processors, or imported into many spreadsheet or database "
        "programs.  Proceed?");
    if (ui::msgBox(question, ui::Buttons::YesNo, ui::Icon::Question, QStringLiteral("Confirmation")) != ui::Answer::Yes)
        return;

    core::CommonDialogControl &dlg = *w_.CMDialog1;
    dlg.CancelError = true;
    dlg.Flags = 6;
    dlg.Filter = QStringLiteral("All Files (*.*)|*.*|csv Files & (*.csv)|*.csv");
    dlg.FilterIndex = 2;
    dlg.FileName = QStringLiteral("SongOut.csv");
    dlg.DialogTitle = QStringLiteral("Save As");
    dlg.InitDir = core::StartFolders::lastUsed(kSaveDialog);
    try {
        dlg.ShowSave();
    } catch (const core::DialogCancelled &) {
        return;
    }
    core::StartFolders::used(kSaveDialog, dlg.FileName);

    const QString path = dlg.FileName;
    try {
        ui::HourglassPointer hourglass;
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            throw std::runtime_error(QStringLiteral("Cannot create %1: %2").arg(path, file.errorString()).toStdString());
        db::Recordset *grid = w_.Data1->recordset();
        if (!grid)
            throw db::DbError(db::err::NoCurrentRecord, QStringLiteral("No current record."));
        write(*grid, WithNotes, file);
        // A short write while the buffer is flushed (a full disk) is not reported by commit(),
        // which would put an empty or cut file in place of the user's: flush() is checked first.
        if (!file.flush())
            throw writeFailed(file);
        if (!file.commit())
            throw std::runtime_error(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()).toStdString());
    } catch (const std::exception &e) {
        ui::setMousePointer(ui::MousePointer::Default);
        ui::msgBox(db::errorText(e));
        return;
    }
    ui::msgBox(QStringLiteral("The exported records are located in file ") + path, ui::Buttons::OK,
               ui::Icon::Information, QStringLiteral("Export completed"));
}

} // namespace reports
