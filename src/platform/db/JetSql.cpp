#include "platform/db/JetSql.h"

#include "platform/db/DbError.h"
#include "platform/db/SqlFunctions.h"

#include <QDateTime>
#include <QSet>
#include <QStringList>
#include <sqlite3.h>
#include <vector>

// The translator is a small recursive-descent parser over Jet tokens that writes SQLite text as it
// goes. Nothing of the input reaches the output unparsed: strings are re-quoted, names re-quoted,
// so user text embedded in a statement can only ever be one expression.

namespace platform::db::jet {
namespace {

enum class Tok { End, Ident, QIdent, String, Number, Date, Op, Param };

struct Token {
    Tok type = Tok::End;
    QString text; // identifier, decoded string, number text, date as stored text, operator
    int pos = 0;
};

constexpr int MaxQueryDepth = 16;
// Nesting of parentheses, Not, signs and function calls the parser accepts. The parser recurses per
// level, so without a bound a pasted filter of many "(" would overflow the stack; SQLite itself
// refuses expression trees deeper than 1000.
constexpr int MaxNesting = 200;
// Operands one chain of operators may join ("a Or b Or ..."). SQLite refuses expression trees
// deeper than 1000 anyway, and each link copies the text built so far, so a pasted chain of
// 100,000 would take minutes before failing.
constexpr int MaxChain = 1000;

QString shortened(const QString &text, int limit = 255)
{
    return text.size() > limit ? text.left(limit) + QStringLiteral("...") : text;
}

[[noreturn]] void fail(const QString &problem, const QString &source)
{
    throw DbError(err::SyntaxError, QStringLiteral("Syntax error (%1) in query expression '%2'.")
                                        .arg(problem, shortened(source.trimmed())));
}

bool isIdentStart(QChar c)
{
    return c.isLetter() || c == u'_';
}

bool isIdentChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

std::vector<Token> tokenize(const QString &s, bool params)
{
    std::vector<Token> out;
    const int n = int(s.size());
    int i = 0;
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        Token t;
        t.pos = i;
        if (c == u'"' || c == u'\'') {
            QString v;
            int j = i + 1;
            bool closed = false;
            while (j < n) {
                if (s[j] == c) {
                    if (j + 1 < n && s[j + 1] == c) {
                        v += c;
                        j += 2;
                        continue;
                    }
                    closed = true;
                    break;
                }
                v += s[j++];
            }
            if (!closed)
                fail(QStringLiteral("missing closing quote in string"), s);
            t.type = Tok::String;
            t.text = v;
            i = j + 1;
        } else if (c == u'[') {
            const int j = int(s.indexOf(u']', i + 1));
            if (j < 0)
                fail(QStringLiteral("missing ] after name"), s);
            t.type = Tok::QIdent;
            t.text = s.mid(i + 1, j - i - 1);
            if (t.text.trimmed().isEmpty())
                fail(QStringLiteral("empty name in []"), s);
            i = j + 1;
        } else if (c == u'#') {
            const int j = int(s.indexOf(u'#', i + 1));
            if (j < 0)
                fail(QStringLiteral("missing # after date"), s);
            const auto dt = parseDateLiteral(s.mid(i + 1, j - i - 1));
            if (!dt)
                fail(QStringLiteral("invalid date #%1#").arg(s.mid(i + 1, j - i - 1)), s);
            t.type = Tok::Date;
            t.text = *dt;
            i = j + 1;
        } else if (c.isDigit() || (c == u'.' && i + 1 < n && s[i + 1].isDigit() &&
                                   (out.empty() || (out.back().type != Tok::Ident &&
                                                    out.back().type != Tok::QIdent &&
                                                    out.back().text != QLatin1String(")"))))) {
            int j = i;
            while (j < n && s[j].isDigit())
                ++j;
            if (j < n && s[j] == u'.') {
                ++j;
                while (j < n && s[j].isDigit())
                    ++j;
            }
            if (j < n && (s[j] == u'e' || s[j] == u'E')) {
                int k = j + 1;
                if (k < n && (s[k] == u'+' || s[k] == u'-'))
                    ++k;
                if (k < n && s[k].isDigit()) {
                    while (k < n && s[k].isDigit())
                        ++k;
                    j = k;
                }
            }
            if (j < n && isIdentStart(s[j]))
                fail(QStringLiteral("invalid number '%1'").arg(s.mid(i, j - i + 1)), s);
            t.type = Tok::Number;
            t.text = s.mid(i, j - i);
            if (t.text.startsWith(u'.'))
                t.text.prepend(u'0');
            i = j;
        } else if (c == u'?' && params) {
            t.type = Tok::Param;
            ++i;
        } else if (isIdentStart(c)) {
            int j = i + 1;
            while (j < n && isIdentChar(s[j]))
                ++j;
            if (j < n && s[j] == u'$') // Left$, Mid$ ...
                ++j;
            t.type = Tok::Ident;
            t.text = s.mid(i, j - i);
            i = j;
        } else {
            const QString two = s.mid(i, 2);
            if (two == QLatin1String("--") || two == QLatin1String("/*") || two == QLatin1String("*/"))
                fail(QStringLiteral("comments are not allowed"), s);
            t.type = Tok::Op;
            if (two == QLatin1String("<>") || two == QLatin1String("<=") || two == QLatin1String(">=") ||
                two == QLatin1String("!=")) {
                t.text = two;
                i += 2;
            } else if (QStringLiteral("=<>+-*/\\^&(),.!;").contains(c)) {
                t.text = c;
                ++i;
            } else {
                fail(QStringLiteral("invalid character '%1'").arg(c), s);
            }
        }
        out.push_back(std::move(t));
    }
    Token end;
    end.pos = n;
    out.push_back(end);
    return out;
}

// Appends the UTF-8 bytes of one code point; a lone surrogate gets the three-byte form that no
// valid text holds.
void appendUtf8(QByteArray &out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

QString sqlString(const QString &v)
{
    if (v.isValidUtf16() && !v.contains(QChar(0))) {
        QString r = v;
        r.replace(u'\'', QLatin1String("''"));
        return u'\'' + r + u'\'';
    }
    // SQL text reaches SQLite as UTF-8 and ends at its first NUL, and a lone surrogate has no
    // UTF-8 form (the conversion makes it "?", which Like takes for any character). Such a text
    // goes in as its bytes, so it compares equal to and matches only itself: nothing stored.
    QByteArray bytes;
    for (qsizetype i = 0; i < v.size(); ++i) {
        char32_t c = v[i].unicode();
        if (v[i].isHighSurrogate() && i + 1 < v.size() && v[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(v[i], v[i + 1]);
            ++i;
        }
        appendUtf8(bytes, c);
    }
    return QStringLiteral("CAST(X'") + QString::fromLatin1(bytes.toHex()) + QStringLiteral("' AS TEXT)");
}

QString sqlName(const QString &name)
{
    bool plain = !name.isEmpty() && name[0].unicode() < 128 && (name[0].isLetter() || name[0] == u'_');
    for (QChar c : name)
        if (!(c.unicode() < 128 && (c.isLetterOrNumber() || c == u'_')))
            plain = false;
    if (plain) {
        const QByteArray b = name.toLatin1();
        if (!sqlite3_keyword_check(b.constData(), int(b.size())))
            return name;
    }
    QString r = name;
    r.replace(u'"', QLatin1String("\"\""));
    return u'"' + r + u'"';
}

// SQLite operator precedence, low to high, used to add parentheses only where needed.
enum Prec { P_OR = 1, P_AND, P_NOT, P_EQ, P_REL, P_BIT, P_ADD, P_MUL, P_CAT, P_COLLATE, P_UNARY, P_PRIMARY };

struct Ex {
    Ex() = default;
    Ex(QString s, int p, bool isColumn = false, bool isLiteral = false)
        : sql(std::move(s)), prec(p), column(isColumn), literal(isLiteral) {}
    QString sql;
    int prec = P_PRIMARY;
    bool column = false; // a plain column reference: comparisons take its collation
    bool literal = false;
    bool text = false; // a string literal
    bool numeric = false; // a number, True, False or Null: no collation matters
    bool date = false; // known to be a date (a #literal#, Date(), Now(), date arithmetic)
    QStringList nameParts;
    QString value; // a string literal's text
};

QString wrap(const Ex &e, int need)
{
    return e.prec < need ? u'(' + e.sql + u')' : e.sql;
}

// "l op r" for a left-associative operator of precedence `prec`.
Ex infix(const Ex &l, const char *op, const Ex &r, int prec)
{
    return Ex{wrap(l, prec) + u' ' + QLatin1String(op) + u' ' + wrap(r, prec + 1), prec};
}

// "fn(l, r)": an operator evaluated by one of the registered functions.
Ex fnCall(const char *fn, const Ex &l, const Ex &r)
{
    return Ex{QLatin1String(fn) + u'(' + l.sql + QStringLiteral(", ") + r.sql + u')', P_PRIMARY};
}

// A source of a FROM clause: a table or an expanded saved query.
struct Source {
    QString alias;
    QString table; // the table's name as written, for a table
    bool saved = false;
    QStringList explicitNames; // output names a saved query lists by name (not through *)
    QSet<QString> innerTables; // lower-case names of the tables it reads
    QString key; // the field that tells its rows apart (a table's counter, a query's copy of it)
};

struct Scope {
    std::vector<Source> sources;
    const Scope *outer = nullptr;

    bool hasAlias(const QString &name) const
    {
        for (const Scope *s = this; s; s = s->outer)
            for (const Source &src : s->sources)
                if (src.alias.compare(name, Qt::CaseInsensitive) == 0)
                    return true;
        return false;
    }
};

struct SelectResult {
    QString sql;
    QStringList explicitNames;
    QSet<QString> innerTables;
    QString key; // the output column that holds its first table's key, when it shows it
};

struct FnDef {
    const char *jet;
    const char *sql;
    int minArgs;
    int maxArgs;
};

const FnDef kFunctions[] = {
    {"Count", "count", 1, 1},   {"Sum", "sum", 1, 1},         {"Avg", "avg", 1, 1},
    {"Min", "min", 1, 1},       {"Max", "max", 1, 1},         {"First", "min", 1, 1},
    {"Last", "max", 1, 1},      {"UCase", "jet_ucase", 1, 1}, {"LCase", "jet_lcase", 1, 1},
    {"Left", "jet_left", 2, 2}, {"Right", "jet_right", 2, 2}, {"Mid", "jet_mid", 2, 3},
    {"Len", "jet_len", 1, 1},   {"Trim", "jet_trim", 1, 1},   {"LTrim", "jet_ltrim", 1, 1},
    {"RTrim", "jet_rtrim", 1, 1}, {"InStr", "jet_instr", 2, 4}, {"IIf", nullptr, 3, 3},
    {"Nz", "jet_nz", 1, 2},     {"Val", "jet_val", 1, 1},     {"Year", "jet_year", 1, 1},
    {"Month", "jet_month", 1, 1}, {"Day", "jet_day", 1, 1},   {"Date", "jet_date", 0, 0},
    {"Now", "jet_now", 0, 0},   {"Format", "jet_format", 1, 2}, {"CStr", "jet_cstr", 1, 1},
    {"CInt", "jet_cint", 1, 1}, {"CLng", "jet_clng", 1, 1},   {"CDbl", "jet_cdbl", 1, 1},
    {"Abs", "jet_abs", 1, 1},   {"Int", "jet_int", 1, 1},
    {"DateAdd", "jet_dateadd", 3, 3}, {"DateDiff", "jet_datediff", 3, 4}, {"DatePart", "jet_datepart", 2, 3},
    {"DateSerial", "jet_dateserial", 3, 3}, {"DateValue", "jet_datevalue", 1, 1},
    {"TimeValue", "jet_timevalue", 1, 1}, {"CDate", "jet_cdate", 1, 1}, {"IsDate", "jet_isdate", 1, 1},
    {"Weekday", "jet_weekday", 1, 2}, {"Hour", "jet_hour", 1, 1}, {"Minute", "jet_minute", 1, 1},
    {"Second", "jet_second", 1, 1}, {"Time", "jet_time", 0, 0}, {"MonthName", "jet_monthname", 1, 2},
    {"IsNull", nullptr, 1, 1},  {"IsNumeric", "jet_isnumeric", 1, 1}, {"CBool", "jet_cbool", 1, 1},
    {"Replace", "jet_replace", 3, 6}, {"Round", "jet_round", 1, 2}, {"Fix", "jet_fix", 1, 1},
    {"Sgn", "jet_sgn", 1, 1},   {"Str", "jet_str", 1, 1},     {"Chr", "jet_chr", 1, 1},
    {"Asc", "jet_asc", 1, 1},   {"Space", "jet_space", 1, 1}, {"String", "jet_string", 2, 2},
    {"StrComp", "jet_strcomp", 2, 3}, {"Switch", nullptr, 2, 2 * MaxChain}, {"Choose", nullptr, 2, MaxChain},
};

const FnDef *findFunction(QString name)
{
    if (name.endsWith(u'$'))
        name.chop(1);
    for (const FnDef &f : kFunctions)
        if (name.compare(QLatin1String(f.jet), Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

bool isReserved(const QString &w)
{
    static const QSet<QString> words = {
        QStringLiteral("SELECT"), QStringLiteral("FROM"),   QStringLiteral("WHERE"),  QStringLiteral("AND"),
        QStringLiteral("OR"),     QStringLiteral("NOT"),    QStringLiteral("LIKE"),   QStringLiteral("BETWEEN"),
        QStringLiteral("IN"),     QStringLiteral("IS"),     QStringLiteral("ORDER"),  QStringLiteral("GROUP"),
        QStringLiteral("BY"),     QStringLiteral("HAVING"), QStringLiteral("AS"),     QStringLiteral("ON"),
        QStringLiteral("JOIN"),   QStringLiteral("INNER"),  QStringLiteral("OUTER"),  QStringLiteral("UNION"),
        QStringLiteral("INSERT"), QStringLiteral("UPDATE"), QStringLiteral("DELETE"), QStringLiteral("INTO"),
        QStringLiteral("VALUES"), QStringLiteral("SET"),    QStringLiteral("DISTINCT"),
        QStringLiteral("DISTINCTROW"), QStringLiteral("MOD"), QStringLiteral("EXISTS"), QStringLiteral("ASC"),
        QStringLiteral("DESC"),   QStringLiteral("XOR"),    QStringLiteral("EQV"),    QStringLiteral("IMP"),
        QStringLiteral("TOP"),    QStringLiteral("ALL"),    QStringLiteral("DROP"),   QStringLiteral("CREATE"),
        QStringLiteral("ALTER"),  QStringLiteral("LEFT"),   QStringLiteral("RIGHT"),
    };
    return words.contains(w.toUpper());
}

struct Shared {
    const SavedQueryLookup *lookup = nullptr;
    const KeyLookup *keys = nullptr;
    QStringList expanding; // saved queries being expanded, against cycles
    Placeholders *params = nullptr;
    const NameResolver *resolve = nullptr;
    const LiteralForField *literalFor = nullptr;
};

class Parser {
public:
    Parser(const QString &source, Shared &shared)
        : src_(source), toks_(tokenize(source, shared.params != nullptr)), shared_(shared)
    {
    }

    QString statement()
    {
        QString out;
        if (isKw(0, "SELECT")) {
            out = select(nullptr).sql;
        } else if (isKw(0, "DELETE")) {
            out = deleteStatement();
        } else if (isKw(0, "UPDATE")) {
            out = updateStatement();
        } else if (isKw(0, "INSERT")) {
            out = insertStatement();
        } else if ((peek().type == Tok::Ident || peek().type == Tok::QIdent) &&
                   (peek(1).type == Tok::End || (isOp(1, ";") && peek(2).type == Tok::End))) {
            // A saved query or a table named alone.
            const QString name = next().text;
            if (auto sel = expandSaved(name, /*mustSelect=*/false))
                out = *sel;
            else
                out = QStringLiteral("SELECT * FROM ") + sqlName(name);
        } else {
            fail(QStringLiteral("expected SELECT, INSERT, UPDATE or DELETE"), src_);
        }
        finish();
        return out;
    }

    SelectResult selectStatement()
    {
        if (!isKw(0, "SELECT"))
            fail(QStringLiteral("expected SELECT"), src_);
        SelectResult r = select(nullptr);
        finish();
        return r;
    }

    QString expressionOnly()
    {
        if (peek().type == Tok::End)
            fail(QStringLiteral("missing expression"), src_);
        const Ex e = expr(nullptr);
        if (peek().type != Tok::End)
            fail(stray(), src_);
        return e.sql;
    }

private:
    // --- token access ---------------------------------------------------------------------
    const Token &peek(int k = 0) const
    {
        const size_t i = std::min(pos_ + size_t(k), toks_.size() - 1);
        return toks_[i];
    }
    const Token &next()
    {
        const Token &t = toks_[pos_];
        if (pos_ + 1 < toks_.size())
            ++pos_;
        return t;
    }
    bool isKw(int k, const char *kw) const
    {
        const Token &t = peek(k);
        return t.type == Tok::Ident && t.text.compare(QLatin1String(kw), Qt::CaseInsensitive) == 0;
    }
    bool isOp(int k, const char *op) const
    {
        const Token &t = peek(k);
        return t.type == Tok::Op && t.text == QLatin1String(op);
    }
    bool acceptKw(const char *kw)
    {
        if (!isKw(0, kw))
            return false;
        next();
        return true;
    }
    bool acceptOp(const char *op)
    {
        if (!isOp(0, op))
            return false;
        next();
        return true;
    }
    void expectKw(const char *kw)
    {
        if (!acceptKw(kw))
            fail(QStringLiteral("expected %1 %2").arg(QLatin1String(kw), where()), src_);
    }
    void expectOp(const char *op)
    {
        if (!acceptOp(op)) {
            if (QLatin1String(op) == QLatin1String(")"))
                fail(QStringLiteral("missing ) %1").arg(where()), src_);
            fail(QStringLiteral("expected '%1' %2").arg(QLatin1String(op), where()), src_);
        }
    }
    QString where() const
    {
        const Token &t = peek();
        if (t.type == Tok::End)
            return QStringLiteral("at the end");
        return QStringLiteral("at '%1'").arg(src_.mid(t.pos, 20).trimmed());
    }
    QString stray() const
    {
        const Token &t = peek();
        if (t.type == Tok::Op && t.text == QLatin1String(";"))
            return QStringLiteral("a second statement or ';' is not allowed");
        if (t.type == Tok::Op && t.text == QLatin1String(")"))
            return QStringLiteral("extra ) %1").arg(where());
        return QStringLiteral("missing operator %1").arg(where());
    }
    void finish()
    {
        if (isOp(0, ";") && peek(1).type == Tok::End)
            next();
        if (peek().type != Tok::End)
            fail(stray(), src_);
    }

    QString nameToken()
    {
        const Token &t = peek();
        if (t.type == Tok::QIdent || (t.type == Tok::Ident && !isReserved(t.text)))
            return next().text;
        fail(QStringLiteral("expected a name %1").arg(where()), src_);
    }

    // --- saved queries --------------------------------------------------------------------
    std::optional<QString> savedSql(const QString &name)
    {
        if (!shared_.lookup || !*shared_.lookup)
            return std::nullopt;
        return (*shared_.lookup)(name);
    }

    void enterSaved(const QString &name)
    {
        for (const QString &n : shared_.expanding)
            if (n.compare(name, Qt::CaseInsensitive) == 0)
                throw DbError(err::SyntaxError,
                              QStringLiteral("Circular reference caused by saved query '%1'.").arg(name));
        if (shared_.expanding.size() >= MaxQueryDepth)
            throw DbError(err::SyntaxError,
                          QStringLiteral("Saved queries nested too deeply at '%1'.").arg(name));
        shared_.expanding.push_back(name);
    }

    // A saved query named alone: its whole statement.
    std::optional<QString> expandSaved(const QString &name, bool mustSelect)
    {
        const auto text = savedSql(name);
        if (!text)
            return std::nullopt;
        enterSaved(name);
        Parser inner(*text, shared_);
        QString out = mustSelect ? inner.selectStatement().sql : inner.statement();
        shared_.expanding.pop_back();
        return out;
    }

    // --- statements -----------------------------------------------------------------------
    SelectResult select(const Scope *outer)
    {
        expectKw("SELECT");
        bool distinct = false, distinctRow = false;
        if (acceptKw("DISTINCTROW"))
            distinctRow = true;
        else if (acceptKw("DISTINCT"))
            distinct = true;
        else
            acceptKw("ALL");
        QString top; // Top n [Percent]
        bool topPercent = false;
        if (acceptKw("TOP")) {
            if (peek().type != Tok::Number || peek().text.toDouble() <= 0)
                fail(QStringLiteral("expected a number after Top %1").arg(where()), src_);
            top = next().text;
            topPercent = acceptKw("PERCENT");
            if (!topPercent && top.contains(u'.'))
                fail(QStringLiteral("Top needs a whole number"), src_);
        }

        // The FROM clause is read first so that names in the column list can be resolved
        // against the saved queries it expands.
        const size_t listStart = pos_;
        size_t fromPos = 0;
        {
            int depth = 0;
            for (size_t i = pos_; i < toks_.size(); ++i) {
                const Token &t = toks_[i];
                if (t.type == Tok::Op && t.text == QLatin1String("("))
                    ++depth;
                else if (t.type == Tok::Op && t.text == QLatin1String(")"))
                    --depth;
                else if (depth == 0 && t.type == Tok::Ident &&
                         t.text.compare(QLatin1String("FROM"), Qt::CaseInsensitive) == 0) {
                    fromPos = i;
                    break;
                }
                if (depth < 0 || t.type == Tok::End)
                    break;
            }
        }

        Scope scope;
        scope.outer = outer;
        SelectResult res;
        QString from;
        size_t afterFrom = 0;
        if (fromPos) {
            pos_ = fromPos + 1;
            from = fromList(scope);
            afterFrom = pos_;
            pos_ = listStart;
        }
        for (const Source &s : scope.sources)
            res.innerTables.unite(s.innerTables);
        // The rows are the first table's (joined rows beside them): its key tells them apart.
        const Source *keyed = scope.sources.empty() || scope.sources.front().key.isEmpty() ? nullptr : &scope.sources.front();
        const auto isKey = [keyed](const Ex &e) {
            if (!keyed || !e.column || e.nameParts.last().compare(keyed->key, Qt::CaseInsensitive) != 0)
                return false;
            return e.nameParts.size() == 1 || e.nameParts[e.nameParts.size() - 2].compare(keyed->alias, Qt::CaseInsensitive) == 0;
        };

        // Column list.
        QStringList items;
        bool allTables = false;
        QSet<QString> tablesUsed;
        for (;;) {
            if (acceptOp("*")) {
                items << QStringLiteral("*");
                allTables = true;
                if (keyed)
                    res.key = keyed->key;
            } else if (int k = starItemLength(); k > 0) {
                QStringList parts;
                for (int i = 0; i < k - 2; i += 2)
                    parts << toks_[pos_ + size_t(i)].text;
                pos_ += size_t(k);
                parts = resolveQualifier(parts, scope);
                QStringList q;
                for (const QString &p : parts)
                    q << sqlName(p);
                items << q.join(u'.') + QStringLiteral(".*");
                tablesUsed.insert(parts.last().toLower());
                if (keyed && parts.size() == 1 && parts.last().compare(keyed->alias, Qt::CaseInsensitive) == 0)
                    res.key = keyed->key;
            } else {
                Ex e = expr(&scope);
                QString item = e.sql;
                QString name;
                if (e.column && e.nameParts.size() >= 2)
                    tablesUsed.insert(e.nameParts[e.nameParts.size() - 2].toLower());
                else
                    allTables = true;
                if (e.column)
                    name = e.nameParts.last();
                const bool key = isKey(e);
                if (acceptKw("AS")) {
                    name = nameToken();
                    item += QStringLiteral(" AS ") + sqlName(name);
                }
                if (key)
                    res.key = name;
                if (!name.isEmpty())
                    res.explicitNames << name;
                items << item;
            }
            if (!acceptOp(","))
                break;
        }
        if (fromPos && pos_ != fromPos)
            fail(stray(), src_);
        if (!fromPos && (allTables && items.contains(QStringLiteral("*"))))
            fail(QStringLiteral("missing FROM %1").arg(where()), src_);

        QString sql = QStringLiteral("SELECT ");
        // Distinct rows of the tables shown: their columns include their keys.
        const bool distinctOut = distinct || (distinctRow && scope.sources.size() > 1 && !allTables &&
                                              tablesUsed.size() < qsizetype(scope.sources.size()));
        if (distinctOut)
            sql += QStringLiteral("DISTINCT ");
        sql += items.join(QStringLiteral(", "));
        QString body; // FROM to HAVING, for Top's count
        if (fromPos) {
            pos_ = afterFrom;
            body += QStringLiteral(" FROM ") + from;
        }
        if (acceptKw("WHERE"))
            body += QStringLiteral(" WHERE ") + expr(&scope).sql;
        bool grouped = false;
        if (isKw(0, "GROUP") && isKw(1, "BY")) {
            pos_ += 2;
            QStringList g;
            do
                g << expr(&scope).sql;
            while (acceptOp(","));
            body += QStringLiteral(" GROUP BY ") + g.join(QStringLiteral(", "));
            grouped = true;
        }
        if (acceptKw("HAVING"))
            body += QStringLiteral(" HAVING ") + expr(&scope).sql;
        if (grouped)
            res.key.clear(); // a group is no row of the table
        sql += body;
        QString orderBy;
        if (isKw(0, "ORDER") && isKw(1, "BY")) {
            pos_ += 2;
            QStringList o;
            bool total = false;
            bool descending = false;
            do {
                Ex e = expr(&scope);
                QString item = e.sql;
                total = total || isKey(e);
                // Jet sorts text case-blind; a column brings its own collation.
                if (!e.column && !e.literal)
                    item = wrap(e, P_COLLATE) + QStringLiteral(" COLLATE JETTEXT");
                descending = acceptKw("DESC");
                if (descending)
                    item += QStringLiteral(" DESC");
                else
                    acceptKw("ASC");
                o << item;
            } while (acceptOp(","));
            orderBy = o.join(QStringLiteral(", "));
            sql += QStringLiteral(" ORDER BY ") + orderBy;
            // Rows that tie on every key come in the order they were added (the reverse after a
            // descending key), whatever plan the engine picks: a dynaset and a snapshot of one
            // SELECT, a filtered and an unfiltered view, list their ties alike. Top still counts
            // the ties of its last row, by the keys as written.
            if (keyed && !total && !grouped && (!distinctOut || !res.key.isEmpty()))
                sql += QStringLiteral(", ") + sqlName(keyed->alias) + u'.' + sqlName(keyed->key) +
                       (descending ? QStringLiteral(" DESC") : QString());
        }
        if (!top.isEmpty())
            sql += QStringLiteral(" LIMIT ") + topLimit(top, topPercent, body, orderBy);
        res.sql = sql;
        return res;
    }

    // How many rows Top gives: n, or n percent of the rows rounded up; with a sort, also the rows
    // that tie with the last of them.
    static QString topLimit(const QString &n, bool percent, const QString &body, const QString &orderBy)
    {
        QString count = n;
        if (percent)
            count = QStringLiteral("(SELECT CAST(x AS INTEGER) + (x > CAST(x AS INTEGER)) FROM "
                                   "(SELECT count(*) * %1 / 100.0 AS x FROM (SELECT 1%2)))")
                        .arg(n, body);
        if (orderBy.isEmpty())
            return count;
        return QStringLiteral("(SELECT count(*) FROM (SELECT rank() OVER (ORDER BY %1) AS orv_rank%2) WHERE orv_rank <= %3)")
            .arg(orderBy, body, count);
    }

    // Length in tokens of "name . name . *" at the current position (the ! separator too), or 0.
    int starItemLength() const
    {
        int k = 0;
        for (;;) {
            const Token &t = peek(k);
            if (!(t.type == Tok::QIdent || (t.type == Tok::Ident && !isReserved(t.text))))
                return 0;
            if (!(isOp(k + 1, ".") || isOp(k + 1, "!")))
                return 0;
            if (isOp(k + 2, "*"))
                return k + 3;
            k += 2;
        }
    }

    QString fromList(Scope &scope)
    {
        QStringList parts;
        do
            parts << joinChain(scope);
        while (acceptOp(","));
        return parts.join(QStringLiteral(", "));
    }

    QString joinChain(Scope &scope)
    {
        QString sql = fromPrimary(scope);
        for (;;) {
            QString op;
            if (isKw(0, "INNER") && isKw(1, "JOIN")) {
                pos_ += 2;
                op = QStringLiteral("INNER JOIN");
            } else if ((isKw(0, "LEFT") || isKw(0, "RIGHT")) &&
                       (isKw(1, "JOIN") || (isKw(1, "OUTER") && isKw(2, "JOIN")))) {
                op = isKw(0, "LEFT") ? QStringLiteral("LEFT JOIN") : QStringLiteral("RIGHT JOIN");
                pos_ += isKw(1, "OUTER") ? 3 : 2;
            } else if (isKw(0, "JOIN")) {
                next();
                op = QStringLiteral("INNER JOIN");
            } else {
                break;
            }
            const QString right = fromPrimary(scope);
            expectKw("ON");
            const Ex on = expr(&scope);
            sql += u' ' + op + u' ' + right + QStringLiteral(" ON ") + on.sql;
        }
        return sql;
    }

    QString fromPrimary(Scope &scope)
    {
        if (acceptOp("(")) {
            const Nest n(*this);
            if (isKw(0, "SELECT")) {
                SelectResult sub = select(scope.outer);
                expectOp(")");
                acceptKw("AS");
                Source s;
                s.alias = nameToken();
                s.saved = true;
                s.explicitNames = sub.explicitNames;
                s.innerTables = sub.innerTables;
                s.key = sub.key;
                scope.sources.push_back(s);
                return u'(' + sub.sql + QStringLiteral(") AS ") + sqlName(s.alias);
            }
            QString inner = joinChain(scope);
            expectOp(")");
            return u'(' + inner + u')';
        }
        const QString name = nameToken();
        QString alias;
        if (acceptKw("AS"))
            alias = nameToken();
        else if (peek().type == Tok::QIdent || (peek().type == Tok::Ident && !isReserved(peek().text)))
            alias = next().text;

        Source s;
        s.alias = alias.isEmpty() ? name : alias;
        if (const auto text = savedSql(name)) {
            enterSaved(name);
            Parser inner(*text, shared_);
            const SelectResult sub = inner.selectStatement();
            shared_.expanding.pop_back();
            s.saved = true;
            s.explicitNames = sub.explicitNames;
            s.innerTables = sub.innerTables;
            s.key = sub.key;
            scope.sources.push_back(s);
            return u'(' + sub.sql + QStringLiteral(") AS ") + sqlName(s.alias);
        }
        s.table = name;
        s.innerTables.insert(name.toLower());
        if (shared_.keys && *shared_.keys)
            s.key = (*shared_.keys)(name).value_or(QString());
        scope.sources.push_back(s);
        return alias.isEmpty() ? sqlName(name) : sqlName(name) + QStringLiteral(" AS ") + sqlName(alias);
    }

    QString deleteStatement()
    {
        expectKw("DELETE");
        acceptKw("DISTINCTROW");
        QString target;
        if (!acceptOp("*")) {
            if (const int k = starItemLength(); k > 0) {
                target = toks_[pos_ + size_t(k) - 3].text;
                pos_ += size_t(k);
            }
        }
        expectKw("FROM");
        Scope scope;
        const QString from = fromList(scope);
        QString whereSql;
        if (acceptKw("WHERE"))
            whereSql = expr(&scope).sql;
        if (isKw(0, "ORDER") && isKw(1, "BY")) {
            // A WHERE part cut from a grid source may keep its sort; order does not matter here.
            pos_ += 2;
            do {
                expr(&scope);
                if (!acceptKw("DESC"))
                    acceptKw("ASC");
            } while (acceptOp(","));
        }
        finishClauseCheck();

        if (scope.sources.empty())
            fail(QStringLiteral("missing table after FROM"), src_);
        const Source *tgt = nullptr;
        if (!target.isEmpty()) {
            for (const Source &s : scope.sources)
                if (s.alias.compare(target, Qt::CaseInsensitive) == 0)
                    tgt = &s;
            if (!tgt)
                fail(QStringLiteral("'%1' is not in the FROM clause").arg(target), src_);
        } else {
            tgt = &scope.sources.front();
        }
        if (tgt->saved)
            fail(QStringLiteral("cannot delete from the saved query '%1'").arg(tgt->alias), src_);

        if (scope.sources.size() == 1) {
            QString sql = QStringLiteral("DELETE FROM ") + from;
            if (!whereSql.isEmpty())
                sql += QStringLiteral(" WHERE ") + whereSql;
            return sql;
        }
        // Jet deletes the target's rows that the join finds; SQLite deletes from one table only.
        QString sql = QStringLiteral("DELETE FROM ") + sqlName(tgt->table) + QStringLiteral(" WHERE rowid IN (SELECT ") +
                      sqlName(tgt->alias) + QStringLiteral(".rowid FROM ") + from;
        if (!whereSql.isEmpty())
            sql += QStringLiteral(" WHERE ") + whereSql;
        return sql + u')';
    }

    void finishClauseCheck()
    {
        if (peek().type != Tok::End && !isOp(0, ";"))
            fail(stray(), src_);
    }

    QString updateStatement()
    {
        expectKw("UPDATE");
        Scope scope;
        const QString table = fromPrimary(scope);
        if (scope.sources.size() != 1 || scope.sources.front().saved)
            fail(QStringLiteral("UPDATE takes one table"), src_);
        expectKw("SET");
        QStringList sets;
        do {
            // SQLite takes an unqualified column after SET only.
            QString col = nameToken();
            while (acceptOp(".") || acceptOp("!"))
                col = nameToken();
            expectOp("=");
            sets << sqlName(col) + QStringLiteral(" = ") + expr(&scope).sql;
        } while (acceptOp(","));
        QString sql = QStringLiteral("UPDATE ") + table + QStringLiteral(" SET ") + sets.join(QStringLiteral(", "));
        if (acceptKw("WHERE"))
            sql += QStringLiteral(" WHERE ") + expr(&scope).sql;
        finishClauseCheck();
        return sql;
    }

    QString insertStatement()
    {
        expectKw("INSERT");
        expectKw("INTO");
        const QString table = nameToken();
        QString sql = QStringLiteral("INSERT INTO ") + sqlName(table);
        if (acceptOp("(")) {
            QStringList cols;
            do {
                QString col = nameToken();
                while (acceptOp(".") || acceptOp("!"))
                    col = nameToken();
                cols << sqlName(col);
            } while (acceptOp(","));
            expectOp(")");
            sql += QStringLiteral(" (") + cols.join(QStringLiteral(", ")) + u')';
        }
        if (acceptKw("VALUES")) {
            expectOp("(");
            QStringList vals;
            do
                vals << expr(nullptr).sql;
            while (acceptOp(","));
            expectOp(")");
            sql += QStringLiteral(" VALUES (") + vals.join(QStringLiteral(", ")) + u')';
        } else if (isKw(0, "SELECT")) {
            sql += u' ' + select(nullptr).sql;
        } else {
            fail(QStringLiteral("expected VALUES or SELECT %1").arg(where()), src_);
        }
        finishClauseCheck();
        return sql;
    }

    // --- expressions ----------------------------------------------------------------------
    void link(int &count) const
    {
        if (++count >= MaxChain)
            throw DbError(err::QueryTooComplex, tooComplexDescription());
    }

    Ex expr(const Scope *scope)
    {
        const Nest n(*this);
        return orExpr(scope);
    }

    struct Nest {
        explicit Nest(Parser &p) : p_(p)
        {
            if (++p_.nesting_ > MaxNesting) {
                --p_.nesting_;
                fail(QStringLiteral("expression nested too deeply"), p_.src_);
            }
        }
        ~Nest() { --p_.nesting_; }
        Nest(const Nest &) = delete;
        Nest &operator=(const Nest &) = delete;
        Parser &p_;
    };

    // operand {separator operand}, left-associative: each further operand is joined to what
    // stands before it by join(left, right).
    template <typename Accept, typename Join>
    Ex chain(const Scope *scope, Ex (Parser::*operand)(const Scope *), Accept accept, Join join)
    {
        Ex l = (this->*operand)(scope);
        int links = 0;
        while (accept()) {
            link(links);
            const Ex r = (this->*operand)(scope);
            l = join(l, r);
        }
        return l;
    }

    Ex orExpr(const Scope *scope)
    {
        return chain(scope, &Parser::andExpr, [this] { return acceptKw("OR"); },
                     [](const Ex &l, const Ex &r) { return infix(l, "OR", r, P_OR); });
    }

    Ex andExpr(const Scope *scope)
    {
        return chain(scope, &Parser::notExpr, [this] { return acceptKw("AND"); },
                     [](const Ex &l, const Ex &r) { return infix(l, "AND", r, P_AND); });
    }

    Ex notExpr(const Scope *scope)
    {
        if (acceptKw("NOT")) {
            const Nest n(*this);
            const Ex e = notExpr(scope);
            return Ex{QStringLiteral("NOT ") + wrap(e, P_NOT), P_NOT};
        }
        return comparison(scope);
    }

    static QString collated(const Ex &e)
    {
        return wrap(e, P_COLLATE) + QStringLiteral(" COLLATE JETTEXT");
    }

    // A quoted text compared with a field of the criteria stands for the field's kind of value.
    Ex asFieldValue(const Ex &field, const Ex &operand, const Scope *scope) const
    {
        if (scope || !operand.text || field.nameParts.isEmpty() || !shared_.literalFor || !*shared_.literalFor)
            return operand;
        const auto sql = (*shared_.literalFor)(field.nameParts.last(), operand.value);
        if (!sql)
            return operand;
        Ex e{*sql, P_PRIMARY, false, true};
        e.numeric = true; // compared by the field's own rule
        return e;
    }

    Ex comparison(const Scope *scope)
    {
        Ex l = concat(scope);
        int links = 0;
        for (;;) {
            link(links);
            const Token &t = peek();
            if (t.type == Tok::Op &&
                (t.text == QLatin1String("=") || t.text == QLatin1String("<>") || t.text == QLatin1String("<") ||
                 t.text == QLatin1String(">") || t.text == QLatin1String("<=") || t.text == QLatin1String(">=") ||
                 t.text == QLatin1String("!="))) {
                const QString op = next().text == QLatin1String("!=") ? QStringLiteral("<>") : t.text;
                Ex r = asFieldValue(l, concat(scope), scope);
                l = asFieldValue(r, l, scope);
                // Without a column on either side SQLite would compare binary: Jet compares case-blind.
                const bool ownCollation = l.column || r.column || l.numeric || r.numeric;
                const QString rs = ownCollation ? wrap(r, P_REL + 1) : collated(r);
                l = Ex{wrap(l, P_REL + 1) + u' ' + op + u' ' + rs, P_EQ};
                continue;
            }
            const bool negated = isKw(0, "NOT") && (isKw(1, "LIKE") || isKw(1, "BETWEEN") || isKw(1, "IN"));
            if (negated)
                next();
            if (acceptKw("LIKE")) {
                const Ex r = concat(scope);
                const Ex like = fnCall("jet_like", l, r);
                l = negated ? Ex{QStringLiteral("NOT ") + like.sql, P_NOT} : like;
                continue;
            }
            if (acceptKw("BETWEEN")) {
                const Ex lo = asFieldValue(l, concat(scope), scope);
                expectKw("AND");
                const Ex hi = asFieldValue(l, concat(scope), scope);
                const QString ls = l.column ? wrap(l, P_REL + 1) : collated(l);
                l = Ex{ls + (negated ? QStringLiteral(" NOT BETWEEN ") : QStringLiteral(" BETWEEN ")) +
                           wrap(lo, P_REL + 1) + QStringLiteral(" AND ") + wrap(hi, P_REL + 1),
                       P_EQ};
                continue;
            }
            if (acceptKw("IN")) {
                expectOp("(");
                QString list;
                if (isKw(0, "SELECT")) {
                    list = select(scope).sql;
                } else {
                    QStringList items;
                    do
                        items << asFieldValue(l, expr(scope), scope).sql;
                    while (acceptOp(","));
                    list = items.join(QStringLiteral(", "));
                }
                expectOp(")");
                const QString ls = l.column ? wrap(l, P_REL + 1) : collated(l);
                l = Ex{ls + (negated ? QStringLiteral(" NOT IN (") : QStringLiteral(" IN (")) + list + u')', P_EQ};
                continue;
            }
            if (negated)
                fail(QStringLiteral("missing operator after Not %1").arg(where()), src_);
            if (acceptKw("IS")) {
                const bool isNot = acceptKw("NOT");
                if (!acceptKw("NULL"))
                    fail(QStringLiteral("expected Null after Is %1").arg(where()), src_);
                l = Ex{wrap(l, P_REL + 1) + (isNot ? QStringLiteral(" IS NOT NULL") : QStringLiteral(" IS NULL")),
                       P_EQ};
                continue;
            }
            return l;
        }
    }

    Ex concat(const Scope *scope)
    {
        // Jet's & takes Null as an empty text.
        return chain(scope, &Parser::additive, [this] { return acceptOp("&"); },
                     [](const Ex &l, const Ex &r) { return fnCall("jet_cat", l, r); });
    }

    Ex additive(const Scope *scope)
    {
        Ex l = modulo(scope);
        int links = 0;
        for (;;) {
            link(links);
            // An operand that may be a date goes through jet_add / jet_sub, which compute dates as
            // dates; SQLite's own + would read a stored date "2026-..." as 2026.
            if (acceptOp("+")) {
                const Ex r = modulo(scope);
                if (l.text || r.text)
                    l = infix(l, "||", r, P_CAT);
                else if (l.numeric && r.numeric)
                    l = numericResult(infix(l, "+", r, P_ADD));
                else
                    l = fnCall("jet_add", l, r);
            } else if (acceptOp("-")) {
                const Ex r = modulo(scope);
                l = l.numeric && r.numeric ? numericResult(infix(l, "-", r, P_ADD)) : fnCall("jet_sub", l, r);
            } else {
                return l;
            }
        }
    }

    static Ex numericResult(Ex e)
    {
        e.numeric = true;
        return e;
    }

    Ex modulo(const Scope *scope)
    {
        return chain(scope, &Parser::intDiv, [this] { return acceptKw("MOD"); },
                     [](const Ex &l, const Ex &r) { return fnCall("jet_mod", l, r); });
    }

    Ex intDiv(const Scope *scope)
    {
        return chain(scope, &Parser::multiplicative, [this] { return acceptOp("\\"); },
                     [](const Ex &l, const Ex &r) { return fnCall("jet_idiv", l, r); });
    }

    Ex multiplicative(const Scope *scope)
    {
        Ex l = unary(scope);
        int links = 0;
        for (;;) {
            link(links);
            if (acceptOp("*")) {
                l = infix(l, "*", unary(scope), P_MUL);
            } else if (acceptOp("/")) {
                // Jet divides as floating point.
                const Ex r = unary(scope);
                l = Ex{QStringLiteral("CAST(") + l.sql + QStringLiteral(" AS REAL) / ") + wrap(r, P_MUL + 1), P_MUL};
            } else {
                return l;
            }
        }
    }

    Ex unary(const Scope *scope)
    {
        if (acceptOp("-")) {
            const Nest n(*this);
            const Ex e = unary(scope);
            return Ex{QStringLiteral("- ") + wrap(e, P_UNARY), P_UNARY};
        }
        if (acceptOp("+")) {
            const Nest n(*this);
            return unary(scope);
        }
        return power(scope);
    }

    Ex power(const Scope *scope)
    {
        Ex l = primary(scope);
        int links = 0;
        while (acceptOp("^")) {
            link(links);
            Ex r;
            if (acceptOp("-")) {
                const Ex p = primary(scope);
                r = Ex{QStringLiteral("- ") + wrap(p, P_UNARY), P_UNARY};
            } else {
                r = primary(scope);
            }
            l = fnCall("jet_pow", l, r);
        }
        return l;
    }

    Ex primary(const Scope *scope)
    {
        const Token &t = peek();
        switch (t.type) {
        case Tok::End:
            fail(QStringLiteral("missing operand at the end"), src_);
        case Tok::Number: {
            Ex e{next().text, P_PRIMARY};
            e.literal = e.numeric = true;
            return e;
        }
        case Tok::String: {
            const QString value = next().text;
            Ex e{sqlString(value), P_PRIMARY};
            e.literal = e.text = true;
            e.value = value;
            return e;
        }
        case Tok::Date: {
            Ex e{sqlString(next().text), P_PRIMARY};
            e.literal = true;
            e.date = true;
            return e;
        }
        case Tok::Param: {
            next();
            Placeholders &p = *shared_.params;
            return Ex{u'?' + QString::number(p.base + ++p.count), P_PRIMARY};
        }
        case Tok::Op:
            if (acceptOp("(")) {
                if (isKw(0, "SELECT")) {
                    const SelectResult sub = select(scope);
                    expectOp(")");
                    return Ex{u'(' + sub.sql + u')', P_PRIMARY};
                }
                Ex e = expr(scope);
                expectOp(")");
                return e;
            }
            if (isOp(0, ";"))
                fail(QStringLiteral("a second statement or ';' is not allowed"), src_);
            fail(QStringLiteral("missing operand %1").arg(where()), src_);
        case Tok::Ident:
        case Tok::QIdent:
            break;
        }

        if (t.type == Tok::Ident) {
            for (const auto &[kw, sql] : {std::pair{"TRUE", "-1"}, std::pair{"FALSE", "0"}, std::pair{"NULL", "NULL"}})
                if (acceptKw(kw)) {
                    Ex e{QLatin1String(sql), P_PRIMARY, false, true};
                    e.numeric = true;
                    return e;
                }
            if (isKw(0, "EXISTS") && isOp(1, "(")) {
                pos_ += 2;
                if (!isKw(0, "SELECT"))
                    fail(QStringLiteral("expected SELECT after Exists"), src_);
                const SelectResult sub = select(scope);
                expectOp(")");
                return Ex{QStringLiteral("EXISTS (") + sub.sql + u')', P_PRIMARY};
            }
            if (isOp(1, "("))
                return functionCall(scope);
            if (isReserved(t.text))
                fail(QStringLiteral("missing operand before '%1'").arg(t.text), src_);
        }

        QStringList parts{next().text};
        while (isOp(0, ".") || isOp(0, "!")) {
            next();
            parts << nameToken();
        }
        return columnRef(parts, scope);
    }

    // A qualifier that names a table read by an expanded saved query (tblContacts!Year over
    // qryContacts) refers to that query's column.
    static QStringList resolveQualifier(QStringList parts, const Scope &scope)
    {
        if (parts.size() < 2)
            return parts;
        QString &q = parts[parts.size() - 2];
        if (scope.hasAlias(q))
            return parts;
        for (const Source &s : scope.sources)
            if (s.saved && s.innerTables.contains(q.toLower())) {
                q = s.alias;
                break;
            }
        return parts;
    }

    Ex columnRef(QStringList parts, const Scope *scope) const
    {
        if (!scope && parts.size() == 1 && shared_.resolve && *shared_.resolve) {
            if (const auto sql = (*shared_.resolve)(parts[0])) {
                Ex e{*sql, P_PRIMARY};
                // A computed column comes back in parentheses: it has no collation of its own.
                e.column = !sql->startsWith(u'(');
                e.nameParts = parts;
                return e;
            }
        }
        if (scope) {
            if (parts.size() == 1 && scope->sources.size() > 1) {
                // A column two joined saved queries both give ([FirstRecordID] of the duplicate
                // queries) would be ambiguous in SQLite; take the query that lists it by name.
                for (const Source &s : scope->sources)
                    if (s.saved && s.explicitNames.contains(parts[0], Qt::CaseInsensitive)) {
                        parts.prepend(s.alias);
                        break;
                    }
            } else {
                parts = resolveQualifier(parts, *scope);
            }
        }
        QStringList q;
        for (const QString &p : parts)
            q << sqlName(p);
        Ex e{q.join(u'.'), P_PRIMARY};
        e.column = true;
        e.nameParts = parts;
        return e;
    }

    Ex functionCall(const Scope *scope)
    {
        const QString name = next().text;
        expectOp("(");
        const FnDef *fn = findFunction(name);
        if (!fn)
            throw DbError(3085, QStringLiteral("Undefined function '%1' in expression.").arg(name));
        if (QLatin1String(fn->jet) == QLatin1String("Count") && acceptOp("*")) {
            expectOp(")");
            return Ex{QStringLiteral("count(*)"), P_PRIMARY};
        }
        std::vector<Ex> args;
        if (!isOp(0, ")")) {
            do
                args.push_back(expr(scope));
            while (acceptOp(","));
        }
        expectOp(")");
        if (int(args.size()) < fn->minArgs || int(args.size()) > fn->maxArgs)
            throw DbError(err::SyntaxError,
                          QStringLiteral("Wrong number of arguments used with function '%1' in query expression '%2'.")
                              .arg(name, shortened(src_.trimmed())));
        const QLatin1String jetName(fn->jet);
        // IIf, Switch and Choose evaluate only the value they choose; Jet's True is -1.
        if (jetName == QLatin1String("IIf"))
            return Ex{QStringLiteral("CASE WHEN ") + args[0].sql + QStringLiteral(" THEN ") + args[1].sql +
                          QStringLiteral(" ELSE ") + args[2].sql + QStringLiteral(" END"),
                      P_PRIMARY};
        if (jetName == QLatin1String("IsNull"))
            return Ex{QStringLiteral("CASE WHEN ") + wrap(args[0], P_EQ + 1) + QStringLiteral(" IS NULL THEN -1 ELSE 0 END"),
                      P_PRIMARY};
        if (jetName == QLatin1String("Switch")) {
            if (args.size() % 2)
                throw DbError(err::SyntaxError,
                              QStringLiteral("Wrong number of arguments used with function '%1' in query expression '%2'.")
                                  .arg(name, shortened(src_.trimmed())));
            QString out = QStringLiteral("CASE");
            for (size_t i = 0; i < args.size(); i += 2)
                out += QStringLiteral(" WHEN ") + args[i].sql + QStringLiteral(" THEN ") + args[i + 1].sql;
            return Ex{out + QStringLiteral(" END"), P_PRIMARY};
        }
        if (jetName == QLatin1String("Choose")) {
            QString out = QStringLiteral("CASE jet_chooseindex(") + args[0].sql + u')';
            for (size_t i = 1; i < args.size(); ++i)
                out += QStringLiteral(" WHEN %1 THEN ").arg(i) + args[i].sql;
            return Ex{out + QStringLiteral(" END"), P_PRIMARY};
        }
        QStringList a;
        for (const Ex &e : args)
            a << e.sql;
        return Ex{QLatin1String(fn->sql) + u'(' + a.join(QStringLiteral(", ")) + u')', P_PRIMARY};
    }

    QString src_;
    std::vector<Token> toks_;
    size_t pos_ = 0;
    int nesting_ = 0;
    Shared &shared_;
};

} // namespace

QString translateStatement(const QString &jetSql, const SavedQueryLookup &lookup)
{
    return translateStatement(jetSql, lookup, nullptr);
}

QString translateStatement(const QString &jetSql, const SavedQueryLookup &lookup, Placeholders *params)
{
    return translateStatement(jetSql, lookup, params, {});
}

QString translateStatement(const QString &jetSql, const SavedQueryLookup &lookup, Placeholders *params, const KeyLookup &keys)
{
    Shared shared;
    shared.lookup = &lookup;
    shared.params = params;
    shared.keys = &keys;
    Parser p(jetSql, shared);
    return p.statement();
}

QString translateExpression(const QString &jetExpression)
{
    return translateExpression(jetExpression, nullptr, {});
}

QString translateExpression(const QString &jetExpression, Placeholders *params, const NameResolver &resolve)
{
    return translateExpression(jetExpression, params, resolve, {});
}

QString translateExpression(const QString &jetExpression, Placeholders *params, const NameResolver &resolve,
                            const LiteralForField &literalFor)
{
    Shared shared;
    shared.params = params;
    shared.resolve = &resolve;
    shared.literalFor = &literalFor;
    Parser p(jetExpression, shared);
    return p.expressionOnly();
}

QString quoted(const QString &text)
{
    QString r = text;
    r.replace(u'"', QLatin1String("\"\""));
    return u'"' + r + u'"';
}

std::optional<SelectParts> splitSelect(const QString &sql)
{
    // Top-level words and their positions, skipping strings, quoted names and parentheses.
    struct Word {
        QString upper;
        int start;
        int end;
    };
    std::vector<Word> words;
    const int n = int(sql.size());
    int depth = 0;
    for (int i = 0; i < n;) {
        const QChar c = sql[i];
        if (c == u'\'' || c == u'"') {
            int j = i + 1;
            while (j < n) {
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            i = j + 1;
        } else if (c == u'[') {
            const int j = int(sql.indexOf(u']', i));
            i = j < 0 ? n : j + 1;
        } else if (c == u'(') {
            ++depth;
            ++i;
        } else if (c == u')') {
            --depth;
            ++i;
        } else if (c.isLetterOrNumber() || c == u'_') {
            int j = i;
            while (j < n && (sql[j].isLetterOrNumber() || sql[j] == u'_' || sql[j] == u'$'))
                ++j;
            if (depth == 0)
                words.push_back({sql.mid(i, j - i).toUpper(), i, j});
            i = j;
        } else {
            ++i;
        }
    }
    int firstChar = 0;
    while (firstChar < n && sql[firstChar].isSpace())
        ++firstChar;
    if (words.empty() || words[0].upper != QLatin1String("SELECT") || words[0].start != firstChar)
        return std::nullopt;

    enum Clause { Columns, From, Where, GroupBy, Having, OrderBy };
    struct Mark {
        Clause clause;
        int keywordStart;
        int bodyStart;
    };
    std::vector<Mark> marks;
    SelectParts parts;
    int columnsStart = words[0].end;
    size_t w = 1;
    if (w < words.size() && (words[w].upper == QLatin1String("DISTINCT") || words[w].upper == QLatin1String("ALL"))) {
        parts.distinct = words[w].upper == QLatin1String("DISTINCT");
        columnsStart = words[w].end;
        ++w;
    }
    marks.push_back({Columns, columnsStart, columnsStart});
    for (; w < words.size(); ++w) {
        const QString &u = words[w].upper;
        if (u == QLatin1String("UNION") || u == QLatin1String("INTERSECT") || u == QLatin1String("EXCEPT") ||
            u == QLatin1String("LIMIT") || u == QLatin1String("WINDOW"))
            return std::nullopt;
        const bool by = w + 1 < words.size() && words[w + 1].upper == QLatin1String("BY");
        if (u == QLatin1String("FROM"))
            marks.push_back({From, words[w].start, words[w].end});
        else if (u == QLatin1String("WHERE"))
            marks.push_back({Where, words[w].start, words[w].end});
        else if (u == QLatin1String("HAVING"))
            marks.push_back({Having, words[w].start, words[w].end});
        else if (by && u == QLatin1String("GROUP"))
            marks.push_back({GroupBy, words[w].start, words[++w].end});
        else if (by && u == QLatin1String("ORDER"))
            marks.push_back({OrderBy, words[w].start, words[++w].end});
    }
    for (size_t k = 0; k < marks.size(); ++k) {
        const int end = k + 1 < marks.size() ? marks[k + 1].keywordStart : n;
        const QString body = sql.mid(marks[k].bodyStart, end - marks[k].bodyStart).trimmed();
        switch (marks[k].clause) {
        case Columns: parts.columns = body; break;
        case From: parts.from = body; break;
        case Where: parts.where = body; break;
        case GroupBy: parts.groupBy = body; break;
        case Having: parts.having = body; break;
        case OrderBy: parts.orderBy = body; break;
        }
    }
    return parts;
}

} // namespace platform::db::jet
