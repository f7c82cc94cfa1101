#include "songlist/ColumnLayoutFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <stdexcept>

namespace songlist {

using platform::ui::GridColumn;

namespace {

QString numberText(double v) {
    // Single-precision values, as the grid keeps them: at most 7 significant digits.
    return QString::number(v, 'g', 7);
}

// Reads comma-separated fields the way the file was written: a quoted field ends at its
// closing quote, an unquoted one at the comma or the end of the line.
class FieldReader {
public:
    explicit FieldReader(QString text) : t_(std::move(text)) {}

    // False at the end of the input.
    bool next(QString &out) {
        skip();
        if (p_ >= t_.size())
            return false;
        out.clear();
        if (t_.at(p_) == QLatin1Char('"')) {
            const qsizetype close = t_.indexOf(QLatin1Char('"'), p_ + 1);
            const qsizetype end = close < 0 ? t_.size() : close;
            out = t_.mid(p_ + 1, end - p_ - 1);
            p_ = close < 0 ? t_.size() : close + 1;
            // Anything up to the separator after a quoted field is dropped.
            while (p_ < t_.size() && t_.at(p_) != QLatin1Char(',') && t_.at(p_) != QLatin1Char('\n') &&
                   t_.at(p_) != QLatin1Char('\r'))
                ++p_;
        } else {
            const qsizetype start = p_;
            while (p_ < t_.size() && t_.at(p_) != QLatin1Char(',') && t_.at(p_) != QLatin1Char('\n') &&
                   t_.at(p_) != QLatin1Char('\r'))
                ++p_;
            out = t_.mid(start, p_ - start).trimmed();
        }
        endField();
        return true;
    }

private:
    void skip() {
        while (p_ < t_.size() && (t_.at(p_) == QLatin1Char(' ') || t_.at(p_) == QLatin1Char('\t')))
            ++p_;
    }
    void endField() {
        if (p_ >= t_.size())
            return;
        if (t_.at(p_) == QLatin1Char(',')) {
            ++p_;
            return;
        }
        if (t_.at(p_) == QLatin1Char('\r'))
            ++p_;
        if (p_ < t_.size() && t_.at(p_) == QLatin1Char('\n'))
            ++p_;
    }

    QString t_;
    qsizetype p_ = 0;
};

bool isNumeric(const QString &s, double *value = nullptr) {
    bool ok = false;
    const double v = s.trimmed().toDouble(&ok);
    if (value)
        *value = v;
    return ok && !s.trimmed().isEmpty();
}

// Removes the temporary files that writes of `path` cut short by a kill left beside it: the
// write's own temporary name is the file's name and six letters or digits. Only plain files of
// that form go; a link or a folder of such a name is left alone.
void removeLeftovers(const QString &path) {
    const QFileInfo target(path);
    static const QRegularExpression tail(QStringLiteral("^\\.[A-Za-z0-9]{6}$"));
    const QDir folder = target.absoluteDir();
    const QStringList names = folder.entryList({target.fileName() + QStringLiteral(".??????")},
                                               QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString &name : names)
        if (tail.match(name.mid(target.fileName().size())).hasMatch())
            QFile::remove(folder.filePath(name));
}

} // namespace

QByteArray ColumnLayoutFile::format(const QList<GridColumn> &columns) {
    QString out;
    for (qsizetype i = 1; i < columns.size(); ++i) {
        const GridColumn &c = columns.at(i);
        out += QLatin1Char('"') + c.Caption + QStringLiteral("\",\"") + c.DataField + QStringLiteral("\",") +
               numberText(c.Width) + QLatin1Char(',') + QString::number(c.Alignment) + QStringLiteral("\r\n");
    }
    return out.toUtf8();
}

void ColumnLayoutFile::write(const QString &path, const QList<GridColumn> &columns) {
    // The data folder need not exist yet: a catalogue named on the command line lies elsewhere.
    QDir().mkpath(QFileInfo(path).absolutePath());
    removeLeftovers(path);
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        throw std::runtime_error(f.errorString().toStdString());
    const QByteArray bytes = format(columns);
    if (f.write(bytes) != bytes.size()) {
        const std::string why = f.errorString().toStdString();
        f.cancelWriting();
        throw std::runtime_error(why);
    }
    // A short write while the buffer is flushed (a full disk) is not reported by commit(), which
    // would put a cut layout in place of the user's: flush() is checked first.
    if (!f.flush() || !f.commit())
        throw std::runtime_error(f.errorString().toStdString());
}

int ColumnLayoutFile::read(const QString &path, QList<GridColumn> &columns) {
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile() || info.isHidden())
        return 0;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    FieldReader in(QString::fromUtf8(f.readAll()));
    int replaced = 0;
    for (qsizetype i = 1; i < columns.size(); ++i) {
        QString caption, field, width, alignment;
        if (!in.next(caption) || !in.next(field) || !in.next(width) || !in.next(alignment))
            break;  // the file ran out
        if (isNumeric(caption))
            break;
        double w = 0, a = 0;
        if (!isNumeric(width, &w) || !isNumeric(alignment, &a) || w < 0 || a < 0 || a > 3)
            break;  // a value the grid cannot take
        GridColumn c;
        c.Caption = caption;
        c.DataField = field;
        c.Width = w;
        c.Alignment = int(a);
        c.DividerStyle = platform::ui::DividerInset;
        c.Visible = true;
        columns[i] = c;
        ++replaced;
    }
    return replaced;
}

} // namespace songlist
