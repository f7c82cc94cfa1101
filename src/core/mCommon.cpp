#include "core/mCommon.h"

#include "core/FileError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <sys/stat.h>

namespace mCommon {

namespace {

// A wildcard pattern matched the way the original file listing matches it: "*" and "?" as
// wildcards and every other character as itself (brackets included), letters without regard to
// case, and a trailing ".*" also matching a name with no extension at all (so "*.*" takes every
// file).
bool wildcardMatches(const QString &pattern, const QString &name) {
    const auto matches = [&name](const QString &p) {
        QString re;
        for (const QChar c : p) {
            if (c == QLatin1Char('*'))
                re += QLatin1String(".*");
            else if (c == QLatin1Char('?'))
                re += QLatin1Char('.');
            else
                re += QRegularExpression::escape(QString(c));
        }
        return QRegularExpression(QRegularExpression::anchoredPattern(re),
                                  QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption)
            .match(name)
            .hasMatch();
    };
    if (matches(pattern))
        return true;
    return pattern.endsWith(QLatin1String(".*")) && matches(pattern.chopped(2));
}

bool anyFileMatches(const QString &path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString pattern = path.mid(slash + 1);
    if (!pattern.contains(QLatin1Char('*')) && !pattern.contains(QLatin1Char('?')))
        return false;
    const QString folder = slash < 0 ? QStringLiteral(".") : (slash == 0 ? QStringLiteral("/") : path.left(slash));
    const QDir dir(folder);
    if (!dir.exists())
        return false;
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &n : names)
        if (wildcardMatches(pattern, n))
            return true;
    return false;
}

// Both paths exist and `look` (stat follows a final link, lstat does not) gives the same device
// and inode.
bool sameInode(const QString &a, const QString &b, int (*look)(const char *, struct stat *)) {
    if (a.isEmpty() || b.isEmpty())
        return false;
    struct stat sa {}, sb {};
    if (look(QFile::encodeName(a).constData(), &sa) != 0 || look(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace

bool FileExists(const QString &path) {
    if (path.isEmpty())
        return false;
    // A missing drive or a malformed path simply matches nothing: nothing here throws.
    const QFileInfo fi(path);
    if (fi.exists() && !fi.isDir())
        return true;
    return anyFileMatches(path);
}

bool FileAt(const QString &path) {
    const QFileInfo fi(path);
    return !path.isEmpty() && fi.exists() && !fi.isDir();
}

bool EntryExists(const QString &path) {
    struct stat st {};
    return !path.isEmpty() && ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

bool FolderExists(QString folder) {
    AddBackslash(folder);
    if (folder.isEmpty())
        return false;
    return QFileInfo(folder).isDir();
}

bool SameFile(const QString &a, const QString &b) { return sameInode(a, b, ::stat); }

bool SameEntry(const QString &a, const QString &b) { return sameInode(a, b, ::lstat); }

bool IsValidFileName(QString name) {
    const QString rest = name.trimmed();
    if (rest.isEmpty() || rest == QLatin1String(".") || rest == QLatin1String(".."))
        return false;
    return !name.contains(QLatin1Char('/')) && !name.contains(QChar(u'\0'));
}

bool ContainsQuote(const QString &text) {
    for (const QChar c : text)
        if (c == QLatin1Char('"') || c == QLatin1Char('\''))
            return true;
    return false;
}

QString TrimBlanks(const QString &text) {
    qsizetype b = 0, e = text.size();
    while (b < e && text.at(b) == QLatin1Char(' '))
        ++b;
    while (e > b && text.at(e - 1) == QLatin1Char(' '))
        --e;
    return text.mid(b, e - b);
}

qsizetype FindOutsideQuotes(const QString &text, const QString &words) {
    QChar quote;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!quote.isNull()) {
            // A doubled quote inside a literal stands for one quote character.
            if (c == quote) {
                if (i + 1 < text.size() && text.at(i + 1) == quote)
                    ++i;
                else
                    quote = QChar();
            }
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            continue;
        }
        if (QStringView(text).mid(i, words.size()).compare(words, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void AddBackslash(QString &path) {
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
}

void KillFile(const QString &path) {
    if (!FileExists(path))
        return;
    QFile f(path);
    if (!f.exists())
        throw core::FileError(53, QStringLiteral("File not found"));
    // Read-only files are deleted too: make the file writable first. A link is removed as it
    // is: changing its permissions would change those of the file it points to.
    if (!QFileInfo(path).isSymLink())
        f.setPermissions(f.permissions() | QFileDevice::WriteOwner | QFileDevice::ReadOwner);
    if (!f.remove())
        throw core::FileError(75, QStringLiteral("Path/File access error"));
}

QString FormatWindowsVersion(int major, int minor) {
    // The user's decimal separator, but always ASCII digits: start-up reads the major version
    // from the first character, which an Arabic, Persian or Bengali digit would turn into 0.
    QString text = QString::number(major + minor / 100.0, 'f', 2);
    text.replace(QLatin1Char('.'), QLocale().decimalPoint());
    return text;
}

QString GetWindowsVersion() {
    // This platform reports itself as version 6.2.
    return FormatWindowsVersion(6, 2);
}

} // namespace mCommon
