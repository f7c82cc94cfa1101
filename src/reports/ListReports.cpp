#include "reports/ListReports.h"

#include "core/AppState.h"
#include "core/InputForm.h"
#include "core/MsgForm.h"
#include "core/RegistryOptions.h"
#include "core/mCommon.h"
#include "import/SongFields.h"
#include "platform/db/Collations.h"
#include "platform/db/DbError.h"
#include "platform/db/Recordset.h"
#include "platform/richtext/ReportText.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "reports/RichTextForm.h"
#include "songlist/NameList.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLocale>
#include <QPointer>

#include <algorithm>
#include <memory>
#include <numeric>
#include <optional>
#include <cmath>

namespace reports {

namespace ui = platform::ui;
namespace db = platform::db;

namespace {

const QString LineEnd = QStringLiteral("\r\n");
const QString PageBreak = QString(QChar(12));
constexpr long White = 0xFFFFFF;
constexpr long Blue = 0xFF0000;
constexpr long Black = 0;

QString text(const QVariant &v) { return v.isNull() ? QString() : v.toString(); }

using mCommon::TrimBlanks; // blanks only, not other white space

// A sort key: Null sorts before every text, as ORDER BY puts it.
struct Key {
    bool null = true;
    QByteArray utf8;
    static Key of(const QVariant &v) { return v.isNull() ? Key{} : Key{false, v.toString().toUtf8()}; }
};

// The artist a heading of the artist report stands for: the artist trimmed and upper-cased
// (Null as the empty text).
QString artistHeadingKey(const QVariant &artist) { return TrimBlanks(text(artist)).toUpper(); }

int compareKeys(const Key &a, const Key &b, bool path) {
    if (a.null || b.null)
        return a.null == b.null ? 0 : (a.null ? -1 : 1);
    return path ? db::jet::comparePathUtf8(a.utf8, b.utf8) : db::jet::compareTextUtf8(a.utf8, b.utf8);
}

} // namespace

std::vector<ReportRow> ListReports::rowsOf(const db::Recordset &grid, const QString &ReportType) {
    const char *names[] = {"Artist", "SongName", "PathName", "FileName", "Duration"};
    int ordinal[5];
    for (int i = 0; i < 5; ++i) {
        ordinal[i] = grid.fieldOrdinal(QString::fromLatin1(names[i]));
        if (ordinal[i] < 0)
            throw db::DbError(db::err::ItemNotFound,
                              QStringLiteral("Item not found in this collection: '%1'.").arg(QLatin1String(names[i])));
    }
    // Read by position: the grid's current row stays where the user left it. The five fields
    // alone are read in one pass over the grid's rows when they can be kept apart.
    QStringList fields;
    for (const char *name : names)
        fields << QString::fromLatin1(name);
    const std::unique_ptr<db::Recordset> view = grid.keptView(fields);
    const db::Recordset &from = view ? *view : grid;
    if (view)
        std::iota(std::begin(ordinal), std::end(ordinal), 0);
    const long n = from.recordCount();
    std::vector<ReportRow> rows;
    rows.reserve(size_t(std::max(0L, n)));
    for (long p = 0; p < n; ++p)
        rows.push_back({from.valueAt(p, ordinal[0]), from.valueAt(p, ordinal[1]), from.valueAt(p, ordinal[2]),
                        from.valueAt(p, ordinal[3]), from.valueAt(p, ordinal[4])});
    sortRows(rows, ReportType);
    return rows;
}

void ListReports::sortRows(std::vector<ReportRow> &rows, const QString &ReportType) {
    const bool path = ReportType == Path;
    const bool songFirst = ReportType == Song;
    // The artist report groups by the trimmed, upper-cased artist, so it sorts by that key first
    // (exactly, so that two keys the text order ties never interleave), then by the stored
    // artist: " NORDLYS", "nordlys" and "nordlys " stay together under one heading.
    struct Keyed {
        QByteArray group;
        Key a, b;
        size_t index;
    };
    std::vector<Keyed> keys;
    keys.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const ReportRow &r = rows[i];
        if (path)
            keys.push_back({{}, Key::of(r.PathName), Key::of(r.FileName), i});
        else if (songFirst)
            keys.push_back({{}, Key::of(r.SongName), Key::of(r.Artist), i});
        else
            keys.push_back({artistHeadingKey(r.Artist).toUtf8(), Key::of(r.Artist), Key::of(r.SongName), i});
    }
    std::stable_sort(keys.begin(), keys.end(), [path](const Keyed &x, const Keyed &y) {
        if (const int c = db::jet::comparePathUtf8(x.group, y.group))
            return c < 0;
        if (const int c = compareKeys(x.a, y.a, path))
            return c < 0;
        return compareKeys(x.b, y.b, path) < 0;
    });
    std::vector<ReportRow> sorted;
    sorted.reserve(rows.size());
    for (const Keyed &k : keys)
        sorted.push_back(std::move(rows[k.index]));
    rows = std::move(sorted);
}

void ListReports::writeReport(platform::richtext::RichTextBox &box, const std::vector<ReportRow> &rows,
                              const QString &ReportType, double linesPerPage,
                              const std::function<void(long, long)> &progress) {
    // Written into a document of its own, which the box then takes whole: the box would lay
    // the text out at every insertion, and again when shown at its size.
    auto doc = std::make_unique<platform::richtext::RichTextDocument>();
    doc->setUndoRedoEnabled(false);  // a report is written, not typed
    std::optional<platform::richtext::ReportText> writer(std::in_place, *doc, box.textCursor().charFormat());
    platform::richtext::ReportText &out = *writer;
    const bool byArtist = ReportType == Artist;
    long songLines = 0;
    QString lastKey;
    const auto heading = [&](const QString &caption) {
        out.color(Blue);
        out.bold(true);
        out.size(12);
        out.append(caption + LineEnd);
    };

    if (byArtist && !rows.empty()) {
        const QVariant &a = rows.front().Artist;
        if (a.isNull() || a.toString() <= QStringLiteral(" ")) {
            heading(QStringLiteral("No Artist Name"));
            out.color(Black);
            out.size(12);
        }
    }

    const long total = long(rows.size());
    for (long i = 1; i <= total; ++i) {
        const ReportRow &r = rows[size_t(i - 1)];
        if (progress)
            progress(i, total);
        const QString duration = text(r.Duration).right(5);

        if (byArtist) {
            const QString key = artistHeadingKey(r.Artist);
            if (key != lastKey) {
                out.append(LineEnd);
                out.color(White);
                if (songLines > 0) {
                    out.append(PageBreak);
                    songLines = 0;
                }
                lastKey = key;
                heading(text(r.Artist));
                out.color(Black);
            }
        }

        out.font(QStringLiteral("Arial"));
        out.size(10);
        out.color(Black);
        out.bold(false);

        if (byArtist) {
            out.append(QStringLiteral("    ") + text(r.SongName) + QStringLiteral("      ") + duration + LineEnd);
        } else if (ReportType == Song) {
            const QString artist = text(r.Artist);
            if (artist > QStringLiteral(" "))
                out.append(QStringLiteral(" ") + text(r.SongName) + QStringLiteral(" [by] ") + artist + LineEnd);
            else
                out.append(QStringLiteral(" ") + text(r.SongName) + LineEnd);
        } else if (ReportType == Path) {
            out.append(QStringLiteral(" ") + text(r.PathName) + text(r.FileName) + LineEnd);
        }

        ++songLines;
        if (linesPerPage == double(songLines)) {
            out.color(White);
            out.append(PageBreak);
            songLines = 0;
        }
    }

    writer.reset();
    box.adopt(std::move(doc));
}

void ListReports::ShowListReport(const QString &ReportType) {
    const QString question = QStringLiteral(
        "NOTE: If you are filtering records, displaying one Category or Artist, or otherwise limiting the records "
        "displayed, only those songs currently displayed on the Grid will be included in this report.\r\n\r\nProceed?");
    if (ui::msgBox(question, ui::Buttons::YesNo, ui::Icon::Question, QStringLiteral("Confirmation")) != ui::Answer::Yes)
        return;

    RichTextForm *form = ui::form<RichTextForm>();
    platform::richtext::RichTextBox &box = *form->RichTextBox;
    box.setTextRTF(QString());
    box.setSelFontName(QStringLiteral("Arial"));

    QPointer<core::MsgForm> msg = ui::form<core::MsgForm>();
    msg->setWindowTitle(QStringLiteral("Report is running..."));
    msg->Msg->setText(QStringLiteral("\nPlease wait..."));
    QFont f = msg->Msg->font();
    f.setFamily(QStringLiteral("Arial"));
    f.setPointSize(20);
    msg->Msg->setFont(f);
    ui::setMousePointer(ui::MousePointer::Hourglass);
    ui::showModeless(msg, &w_);
    msg->Frame1->show();
    msg->Label1->show();
    QCoreApplication::processEvents();

    try {
        db::Recordset *grid = w_.Data1->recordset();
        std::vector<ReportRow> rows;
        if (grid)
            rows = rowsOf(*grid, ReportType);
        const double linesPerPage = numericValue(core::g().ReportLinesPerPage).value_or(0);
        int lastWidth = -1;
        writeReport(box, rows, ReportType, linesPerPage, [&](long i, long total) {
            if (!msg || msg->label1Width() >= core::MsgForm::FrameWidth)
                return;
            const int width = int(double(i) / double(total) * 6375);
            if (width != lastWidth)
                msg->setLabel1Width(lastWidth = width);
        });
    } catch (const db::DbError &e) {
        ui::unloadForm(msg);
        ui::setMousePointer(ui::MousePointer::Default);
        ui::msgBox(e.description() + QStringLiteral("    Error number: ") + QString::number(e.number()),
                   ui::Buttons::OK, ui::Icon::Critical, QStringLiteral("Error"));
        return;
    }

    ui::setMousePointer(ui::MousePointer::Default);
    if (form->isVisible()) {
        form->raise();
        form->activateWindow();
        form->Form_Activate();  // a window already shown does not show again
    } else {
        ui::showModeless(form, &w_);
    }
}

std::optional<double> ListReports::numericValue(const QString &textIn) {
    const QString t = textIn.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    // The user's own way first: "2,5" is two and a half where the comma is the decimal sign.
    bool ok = false;
    const double v = QLocale().toDouble(t, &ok);
    if (ok && std::isfinite(v))
        return v;
    return import::numericValue(t);
}

QString ListReports::linesPerPageError(const QString &answer) {
    const std::optional<double> v = numericValue(answer);
    if (!v)
        return QStringLiteral("Value must be numeric.");
    if (*v >= 32001)
        return QStringLiteral("Value can not be greater than 32,000.");
    if (*v < 0)
        return QStringLiteral("Value can not be negative.");
    return {};
}

void ListReports::mnuRptLinesPerPage_Click() {
    auto &s = core::g();
    const QString prompt = QStringLiteral(
        "Enter number of lines per page for all reports.  For no page breaks, enter 0.\r\n\r\nThis setting only "
        "affects saved or printed reports, not those viewed on screen.  The original setting was 54.");
    const QString answer =
        modMain::ShowInputForm(prompt, QStringLiteral("Number of Lines Per Page"), s.ReportLinesPerPage, false).trimmed();
    if (answer.isEmpty())
        return;
    const QString error = linesPerPageError(answer);
    if (!error.isEmpty()) {
        ui::msgBox(error, ui::Buttons::OK, ui::Icon::Exclamation, QStringLiteral("Invalid value"));
        return;
    }
    s.ReportLinesPerPage = answer;
    core::RegistryOptions::setRptLinesPerPage(answer);
}

} // namespace reports
