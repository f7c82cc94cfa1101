#include "platform/richtext/RtfReader.h"

#include "platform/richtext/CodePages.h"

#include <QColor>
#include <QHash>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>

#include <optional>
#include <vector>

namespace platform::richtext {

namespace {

constexpr int kMaxDepth = 1000;        // deeper groups are read flat
constexpr int kMaxWordLetters = 32;    // a longer control word is an unknown word
constexpr int kMaxParamDigits = 10;    // so is one with a longer parameter
constexpr int kMaxProblems = 200;      // then one line says more were found

// Shape: the properties of a drawn shape; ShapeName: a property's name; ShapeValue: the value
// of the one property read, the shape's picture.
enum class Dest : quint8 { Text, Skip, FontTable, ColorTable, Picture, Shape, ShapeName, ShapeValue };

struct CharState {
    int font = -1; // -1: the \deff font
    int halfPoints = 24;
    bool bold = false, italic = false, underline = false, strike = false;
    int color = 0;
    bool operator==(const CharState &) const = default;
};

struct Group {
    CharState chr;
    Dest dest = Dest::Text;
    Qt::Alignment align = Qt::AlignLeft;
    int uc = 1;
};

struct FontEntry {
    QString name;
    int codePage = 0;
};

bool isHex(uchar c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
int hexValue(uchar c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }
bool isAlpha(uchar c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(uchar c) { return c >= '0' && c <= '9'; }
bool isBlank(uchar c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0'; }

// Words that open a group whose text is not part of the document.
bool skippedDestination(QByteArrayView w) {
    static const char *const names[] = {
        "stylesheet", "info",     "header",   "headerl",  "headerr",   "headerf",    "footer",    "footerl",
        "footerr",    "footerf",  "fldinst",  "objdata",  "nonshppict", "pn",        "pntxta",    "pntxtb",
        "xe",         "tc",       "tcn",      "txe",      "annotation", "atnid",     "atnauthor", "atndate",
        "atnref",     "atnparent", "footnote", "ftnsep",  "ftnsepc",   "aftnsep",    "aftnsepc",  "ftncn",
        "aftncn",     "listtable", "listoverridetable", "revtbl", "rsidtbl", "generator", "themedata",
        "colorschememapping", "datastore", "latentstyles", "xmlnstbl", "pgdsctbl", "template", "private",
        "fchars",     "lchars",   "objclass", "objname",  "bkmkstart", "bkmkend",    "comment",   "filetbl",
        "docvar",     "userprops", "wgrffmtfilter", "mmathPr"};
    for (const char *n : names)
        if (w == n)
            return true;
    return false;
}

// Words that may follow \* and still hold document text.
bool keptDestination(QByteArrayView w) {
    return w == "shppict" || w == "fldrslt" || w == "result" || w == "shprslt" || w == "listtext" ||
           w == "pntext" || w == "field" || w == "object" || w == "shp";
}

bool underlineWord(QByteArrayView w) {
    static const char *const names[] = {"ul",       "uld",       "uldash",     "uldashd",   "uldashdd",
                                        "uldb",     "ulhwave",   "ulldash",    "ulth",      "ulthd",
                                        "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave",
                                        "ulw",      "ulwave"};
    for (const char *n : names)
        if (w == n)
            return true;
    return false;
}

class Parser {
public:
    Parser(QByteArrayView in, RichTextDocument &doc, bool utf8)
        : p_(reinterpret_cast<const uchar *>(in.data())), n_(in.size()), doc_(doc), cur_(&doc), utf8_(utf8) {}

    QList<ReadProblem> run();

private:
    // input
    const uchar *p_;
    qsizetype n_;
    qsizetype i_ = 0;
    RichTextDocument &doc_;
    QTextCursor cur_;
    bool utf8_;

    // groups
    std::vector<Group> stack_;
    int flat_ = 0;
    bool flatReported_ = false;
    // Groups read flat share the deepest real group. A destination one of them opens (a field's
    // instruction, a picture) is undone when that group closes, so the text around it is kept.
    int flatRestoreLevel_ = 0;
    Group flatRestore_;
    bool pendingStar_ = false;
    bool closed_ = false;

    // document
    int docCp_ = 1252;
    int deff_ = 0;
    // Fonts by number. Writers number them 0, 1, 2 ...: such numbers index a vector, which a
    // table of many thousand fonts fills and reads in order; any other number goes to a hash.
    std::vector<FontEntry> denseFonts_;
    size_t denseCount_ = 0; // the fonts in it: numbers far apart do not grow it
    QHash<int, FontEntry> fonts_;
    QList<std::optional<QColor>> colors_;

    // font and colour tables being read
    int fontId_ = -1;
    FontEntry font_;
    int red_ = -1, green_ = -1, blue_ = -1;

    // shapes: the property being named, and whether the current shape gave its picture
    QString shapeProperty_;
    bool shapePicture_ = false;

    // the picture being read
    int pictDepth_ = -1;
    QByteArray pictKind_, pictWords_, pictData_;
    int pictNibble_ = -1;
    bool pictBadHex_ = false;
    qint64 picw_ = 0, pich_ = 0, goalw_ = 0, goalh_ = 0, scalex_ = 100, scaley_ = 100;
    qint64 wbmBits_ = 1, wbmWidthBytes_ = 0;

    // characters
    int skip_ = 0;           // fallback units of the last \u still to skip
    char16_t high_ = 0;      // a high surrogate waiting for its low half
    int lead_ = -1, leadCp_ = 0; // a double-byte lead byte waiting for its trail

    // text
    QString run_;
    CharState runState_;
    bool paraPending_ = false; // a \par closed the last block; the next content opens one
    CharState paraChar_;
    bool cellPending_ = false;
    CharState fmtState_;
    QTextCharFormat fmt_;
    bool fmtValid_ = false;

    QList<ReadProblem> problems_;

    Group &top() { return stack_.back(); }
    void problem(const QString &what, qsizetype at);

    void open();
    void close();
    void control();
    void word(QByteArrayView name, bool hasParam, qint64 param, qsizetype at);
    void wordInGroup(QByteArrayView name, bool hasParam, qint64 param, qsizetype at);
    void symbol(uchar c, qsizetype at);
    void byte(uchar c);
    void rawHigh();
    void hexByte(uchar b);
    void binary(qint64 count);

    void put(char32_t c);
    void putText(char16_t c);
    void flushLead();
    void flushHigh();
    void flushRun();
    void startBlock();
    void paragraph();
    void finishFont();
    void clearFont();
    const FontEntry *findFont(int id) const;
    void finishPicture();
    void finish();

    int codePage();
    QString family(int font);
    const QTextCharFormat &format(const CharState &s);
    bool onlyBlanksFollow(qsizetype from) const;
};

void Parser::problem(const QString &what, qsizetype at) {
    if (problems_.size() < kMaxProblems)
        problems_.append({what, at});
    else if (problems_.size() == kMaxProblems)
        problems_.append({QStringLiteral("more problems were found and not listed"), at});
}

QList<ReadProblem> Parser::run() {
    // One edit block: the document's layout and listeners see one change, not one per run.
    cur_.beginEditBlock();
    while (i_ < n_ && isBlank(p_[i_]))
        ++i_;
    while (i_ < n_) {
        const uchar c = p_[i_];
        if (c == '{') {
            ++i_;
            open();
        } else if (c == '}') {
            ++i_;
            close();
        } else if (c == '\\') {
            control();
        } else if (c == '\r' || c == '\n') {
            ++i_;
        } else if (c >= 0x80 && utf8_) {
            rawHigh();
        } else {
            ++i_;
            byte(c);
        }
    }
    finish();
    cur_.endEditBlock();
    return problems_;
}

void Parser::open() {
    flushLead();
    flushHigh();
    skip_ = 0;
    if (stack_.size() >= size_t(kMaxDepth)) {
        ++flat_;
        if (!flatReported_) {
            problem(QStringLiteral("groups nested deeper than %1 are read flat").arg(kMaxDepth), i_ - 1);
            flatReported_ = true;
        }
        return;
    }
    stack_.push_back(stack_.empty() ? Group{} : top());
    pendingStar_ = false;
}

void Parser::close() {
    flushLead();
    flushHigh();
    skip_ = 0;
    pendingStar_ = false;
    if (flat_ > 0) {
        if (flat_ == flatRestoreLevel_) {
            if (top().dest == Dest::Picture)
                finishPicture();
            top() = flatRestore_;
            flatRestoreLevel_ = 0;
        }
        --flat_;
        return;
    }
    if (stack_.size() > 1) {
        const int depth = int(stack_.size());
        if (depth == pictDepth_)
            finishPicture();
        if (top().dest == Dest::FontTable && fontId_ >= 0 && !font_.name.isEmpty())
            finishFont();
        stack_.pop_back();
        return;
    }
    if (stack_.empty())
        return; // a stray brace before the document: nothing to close
    if (onlyBlanksFollow(i_)) {
        closed_ = true;
        i_ = n_; // the document's own end
        return;
    }
    problem(QStringLiteral("a closing brace ended the document early; the rest is read as part of it"), i_ - 1);
}

bool Parser::onlyBlanksFollow(qsizetype from) const {
    for (qsizetype k = from; k < n_; ++k)
        if (!isBlank(p_[k]))
            return false;
    return true;
}

void Parser::control() {
    const qsizetype at = i_;
    if (i_ + 1 >= n_) {
        problem(QStringLiteral("a lone backslash is kept as text"), at);
        ++i_;
        put(u'\\');
        return;
    }
    const uchar c = p_[i_ + 1];
    if (isAlpha(c)) {
        qsizetype k = i_ + 1;
        while (k < n_ && isAlpha(p_[k]))
            ++k;
        const QByteArrayView name(reinterpret_cast<const char *>(p_ + i_ + 1), k - i_ - 1);
        bool neg = false;
        if (k + 1 < n_ && p_[k] == '-' && isDigit(p_[k + 1])) {
            neg = true;
            ++k;
        }
        const qsizetype digitsAt = k;
        qint64 value = 0;
        while (k < n_ && isDigit(p_[k])) {
            if (k - digitsAt < 18)
                value = value * 10 + (p_[k] - '0');
            ++k;
        }
        const qsizetype digits = k - digitsAt;
        if (k < n_ && p_[k] == ' ')
            ++k;
        i_ = k;
        if (name.size() > kMaxWordLetters) {
            problem(QStringLiteral("a control word longer than %1 letters is skipped").arg(kMaxWordLetters), at);
            word("?", false, 0, at);
            return;
        }
        if (digits > kMaxParamDigits) {
            problem(QStringLiteral("a parameter longer than %1 digits is skipped").arg(kMaxParamDigits), at);
            word("?", false, 0, at);
            return;
        }
        value = std::clamp<qint64>(neg ? -value : value, INT_MIN, INT_MAX);
        word(name, digits > 0, value, at);
        return;
    }
    if (c == '\'') {
        if (i_ + 3 < n_ && isHex(p_[i_ + 2]) && isHex(p_[i_ + 3])) {
            const uchar b = uchar(hexValue(p_[i_ + 2]) * 16 + hexValue(p_[i_ + 3]));
            i_ += 4;
            hexByte(b);
            return;
        }
        problem(QStringLiteral("a \\' without two hex digits is kept as text"), at);
        i_ += 2;
        put(u'\\');
        put(u'\'');
        return;
    }
    if (c == '\r' || c == '\n') {
        i_ += 2;
        word("par", false, 0, at);
        return;
    }
    if (c < 0x21 || c >= 0x7F || isDigit(c)) {
        problem(QStringLiteral("a lone backslash is kept as text"), at);
        ++i_;
        put(u'\\');
        return;
    }
    i_ += 2;
    symbol(c, at);
}

void Parser::symbol(uchar c, qsizetype at) {
    Q_UNUSED(at);
    if (c == '*') {
        pendingStar_ = true;
        return;
    }
    if (skip_ > 0) {
        flushLead();
        --skip_;
        return;
    }
    switch (c) {
    case '\\':
    case '{':
    case '}': put(c); return;
    case '~': put(0x00A0); return;
    case '_': put(0x2011); return;
    default: break;
    }
    // \- (optional hyphen), \: and other symbols: nothing to show.
    flushLead();
}

void Parser::word(QByteArrayView w, bool hasParam, qint64 param, qsizetype at) {
    if (flat_ > 0 && flatRestoreLevel_ == 0) {
        const Group before = top();
        wordInGroup(w, hasParam, param, at);
        if (top().dest != before.dest) {
            flatRestore_ = before;
            flatRestoreLevel_ = flat_;
        }
        return;
    }
    wordInGroup(w, hasParam, param, at);
}

void Parser::wordInGroup(QByteArrayView w, bool hasParam, qint64 param, qsizetype at) {
    flushLead();
    const bool star = std::exchange(pendingStar_, false);
    Group &g = top();
    if (w == "bin") {
        binary(hasParam ? param : 0);
        if (skip_ > 0)
            --skip_;
        return;
    }
    if (skip_ > 0) {
        --skip_;
        return;
    }
    if (g.dest == Dest::Skip)
        return;
    if (w == "u") {
        if (g.dest == Dest::Text || g.dest == Dest::FontTable) {
            const qint64 v = param < 0 ? param + 65536 : param;
            const char16_t u = (v < 0 || v > 0xFFFF) ? char16_t(0xFFFD) : char16_t(v);
            if (QChar::isHighSurrogate(u)) {
                flushHigh();
                high_ = u;
            } else if (QChar::isLowSurrogate(u)) {
                if (high_) {
                    const char32_t full = QChar::surrogateToUcs4(high_, u);
                    high_ = 0;
                    put(full);
                } else {
                    put(0xFFFD);
                }
            } else {
                put(u);
            }
        }
        skip_ = g.uc;
        return;
    }
    if (w == "uc") {
        g.uc = int(std::clamp<qint64>(param, 0, 16));
        return;
    }
    if (w == "shpinst" && g.dest == Dest::Text) {
        flushHigh();
        g.dest = Dest::Shape;
        shapeProperty_.clear();
        return;
    }
    if (star && !keptDestination(w)) {
        flushHigh();
        g.dest = Dest::Skip;
        return;
    }
    if (skippedDestination(w)) {
        flushHigh();
        g.dest = Dest::Skip;
        return;
    }
    switch (g.dest) {
    case Dest::FontTable:
        if (w == "f") {
            if (fontId_ >= 0 && !font_.name.isEmpty())
                finishFont();
            fontId_ = int(param);
            clearFont();
        } else if (w == "fcharset") {
            if (font_.codePage == 0)
                font_.codePage = codepages::fromCharset(int(param));
        } else if (w == "cpg") {
            font_.codePage = int(param);
        }
        return;
    case Dest::ColorTable:
        if (w == "red")
            red_ = int(std::clamp<qint64>(param, 0, 255));
        else if (w == "green")
            green_ = int(std::clamp<qint64>(param, 0, 255));
        else if (w == "blue")
            blue_ = int(std::clamp<qint64>(param, 0, 255));
        return;
    case Dest::Picture:
        if (w == "pngblip" || w == "jpegblip" || w == "dibitmap" || w == "wbitmap" || w == "emfblip" ||
            w == "wmetafile" || w == "macpict" || w == "pmmetafile")
            pictKind_ = w.toByteArray();
        else if (w == "picw")
            picw_ = param;
        else if (w == "pich")
            pich_ = param;
        else if (w == "picwgoal")
            goalw_ = param;
        else if (w == "pichgoal")
            goalh_ = param;
        else if (w == "picscalex")
            scalex_ = param;
        else if (w == "picscaley")
            scaley_ = param;
        else if (w == "wbmbitspixel")
            wbmBits_ = param;
        else if (w == "wbmwidthbytes")
            wbmWidthBytes_ = param;
        // Kept for a picture written back as read: its own words only, none that mean text.
        if (w.startsWith("pic") || w.startsWith("wbm") || w.startsWith("blip") || w == "emfblip" ||
            w == "wmetafile" || w == "macpict" || w == "pmmetafile" || w == "dibitmap" || w == "wbitmap")
            pictWords_ += '\\' + w.toByteArray() + (hasParam ? QByteArray::number(param) : QByteArray());
        return;
    case Dest::Shape:
        // Of a shape's properties only its picture is read ("pib"; "fillBlip" repeats it).
        if (w == "sn") {
            g.dest = Dest::ShapeName;
            shapeProperty_.clear();
        } else if (w == "sv") {
            g.dest = shapeProperty_ == QLatin1String("pib") ? Dest::ShapeValue : Dest::Skip;
        }
        return;
    case Dest::ShapeName: return;
    case Dest::ShapeValue:
        if (w == "pict")
            break;
        return;
    case Dest::Skip: return;
    case Dest::Text: break;
    }

    // Document text and its formatting.
    if (w == "fonttbl") {
        flushHigh();
        g.dest = Dest::FontTable;
        fontId_ = -1;
        return;
    }
    if (w == "colortbl") {
        flushHigh();
        g.dest = Dest::ColorTable;
        red_ = green_ = blue_ = -1;
        return;
    }
    if (w == "shp") {
        shapePicture_ = false;
        return;
    }
    if (w == "shprslt" && shapePicture_) {
        g.dest = Dest::Skip; // the shape's picture stands in the text already
        return;
    }
    if (w == "pict") {
        flushHigh();
        if (pictDepth_ >= 0) {
            g.dest = Dest::Skip; // a picture inside a picture
            return;
        }
        g.dest = Dest::Picture;
        pictDepth_ = int(stack_.size());
        pictKind_.clear();
        pictWords_.clear();
        pictData_.clear();
        pictNibble_ = -1;
        pictBadHex_ = false;
        picw_ = pich_ = goalw_ = goalh_ = 0;
        scalex_ = scaley_ = 100;
        wbmBits_ = 1;
        wbmWidthBytes_ = 0;
        return;
    }
    CharState &s = g.chr;
    const bool on = !hasParam || param != 0;
    if (w == "par" || w == "sect" || w == "row" || w == "nestrow") {
        paragraph();
    } else if (w == "cell" || w == "nestcell") {
        flushHigh();
        cellPending_ = true;
    } else if (w == "tab") {
        put(u'\t');
    } else if (w == "line") {
        put(0x2028);
    } else if (w == "page") {
        put(u'\f');
    } else if (w == "emdash") {
        put(0x2014);
    } else if (w == "endash") {
        put(0x2013);
    } else if (w == "bullet") {
        put(0x2022);
    } else if (w == "lquote") {
        put(0x2018);
    } else if (w == "rquote") {
        put(0x2019);
    } else if (w == "ldblquote") {
        put(0x201C);
    } else if (w == "rdblquote") {
        put(0x201D);
    } else if (w == "plain") {
        s = CharState{};
    } else if (w == "f") {
        s.font = int(param);
    } else if (w == "fs") {
        if (hasParam && param > 0)
            s.halfPoints = int(std::clamp<qint64>(param, 2, 3276));
    } else if (w == "b") {
        s.bold = on;
    } else if (w == "i") {
        s.italic = on;
    } else if (w == "strike" || w == "striked") {
        s.strike = on;
    } else if (underlineWord(w)) {
        s.underline = on;
    } else if (w == "ulnone") {
        s.underline = false;
    } else if (w == "cf") {
        s.color = int(param);
    } else if (w == "pard") {
        g.align = Qt::AlignLeft;
    } else if (w == "ql") {
        g.align = Qt::AlignLeft;
    } else if (w == "qc") {
        g.align = Qt::AlignHCenter;
    } else if (w == "qr") {
        g.align = Qt::AlignRight;
    } else if (w == "qj") {
        g.align = Qt::AlignJustify;
    } else if (w == "ansicpg") {
        if (param != 1252 && (param <= 0 || !codepages::known(int(param)))) {
            problem(QStringLiteral("code page %1 is unknown and read as 1252").arg(param), at);
            docCp_ = 1252;
        } else {
            docCp_ = int(param);
        }
    } else if (w == "ansi") {
        docCp_ = 1252;
    } else if (w == "mac") {
        docCp_ = 10000;
    } else if (w == "pc") {
        docCp_ = 437;
    } else if (w == "pca") {
        docCp_ = 850;
    } else if (w == "deff") {
        deff_ = int(param);
    }
}

void Parser::binary(qint64 count) {
    const qint64 take = std::clamp<qint64>(count, 0, n_ - i_);
    if (top().dest == Dest::Picture && !(skip_ > 0))
        pictData_.append(reinterpret_cast<const char *>(p_ + i_), take);
    i_ += take;
}

void Parser::hexByte(uchar b) {
    if (skip_ > 0) {
        flushLead();
        --skip_;
        return;
    }
    const Dest d = top().dest;
    if (d == Dest::Text || d == Dest::FontTable) {
        const int cp = codePage();
        if (lead_ >= 0) {
            const QString s = codepages::decodePair(leadCp_, uchar(lead_), b);
            lead_ = -1;
            flushHigh();
            for (QChar ch : s)
                putText(ch.unicode());
            return;
        }
        if (codepages::isLeadByte(cp, b)) {
            flushHigh();
            lead_ = b;
            leadCp_ = cp;
            return;
        }
        put(codepages::decodeByte(cp, b).unicode());
    }
    // \'hh elsewhere (colour or picture data) means nothing.
}

void Parser::byte(uchar c) {
    const Dest d = top().dest;
    if (d == Dest::Picture) {
        if (skip_ > 0) {
            --skip_;
            return;
        }
        if (isHex(c)) {
            if (pictNibble_ < 0) {
                pictNibble_ = hexValue(c);
            } else {
                pictData_.append(char(pictNibble_ * 16 + hexValue(c)));
                pictNibble_ = -1;
            }
            // The rest of a run of hex digits without the general path.
            while (i_ < n_ && isHex(p_[i_])) {
                const int v = hexValue(p_[i_++]);
                if (pictNibble_ < 0) {
                    pictNibble_ = v;
                } else {
                    pictData_.append(char(pictNibble_ * 16 + v));
                    pictNibble_ = -1;
                }
            }
        } else if (c != ' ' && c != '\t' && !pictBadHex_) {
            pictBadHex_ = true;
            problem(QStringLiteral("picture data holds characters that are not hex digits; the picture is kept as read"),
                    i_ - 1);
        }
        return;
    }
    if (d == Dest::ColorTable) {
        if (c == ';') {
            if (red_ < 0 && green_ < 0 && blue_ < 0)
                colors_.append(std::nullopt);
            else
                colors_.append(QColor(std::max(red_, 0), std::max(green_, 0), std::max(blue_, 0)));
            red_ = green_ = blue_ = -1;
        }
        return;
    }
    if (d == Dest::Skip) {
        if (skip_ > 0)
            --skip_;
        return;
    }
    if (d == Dest::FontTable && c == ';' && lead_ < 0) {
        if (skip_ > 0) {
            --skip_;
            return;
        }
        finishFont();
        return;
    }
    if (c == '\t') {
        if (skip_ > 0) {
            --skip_;
            return;
        }
        put(u'\t');
        return;
    }
    if (c < 0x20 || c == 0x7F)
        return; // control characters in the file are no text
    if (lead_ >= 0 || c >= 0x80) {
        hexByte(c);
        return;
    }
    if (skip_ > 0) {
        --skip_;
        return;
    }
    put(c);
}

void Parser::rawHigh() {
    // A character of RTF that came as text: the UTF-8 sequence is the character itself.
    const uchar c = p_[i_];
    const int len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    qsizetype end = i_ + 1;
    while (end < n_ && end < i_ + len && (p_[end] & 0xC0) == 0x80)
        ++end;
    const QString s = QString::fromUtf8(reinterpret_cast<const char *>(p_ + i_), end - i_);
    i_ = end;
    const Dest d = top().dest;
    if (d == Dest::Picture) {
        if (!pictBadHex_) {
            pictBadHex_ = true;
            problem(QStringLiteral("picture data holds characters that are not hex digits; the picture is kept as read"),
                    i_ - 1);
        }
        return;
    }
    if (skip_ > 0) {
        --skip_;
        return;
    }
    if (d != Dest::Text && d != Dest::FontTable)
        return;
    flushLead();
    for (QChar ch : s)
        putText(ch.unicode());
}

void Parser::put(char32_t c) {
    if (c > 0xFFFF) {
        putText(QChar::highSurrogate(c));
        putText(QChar::lowSurrogate(c));
        return;
    }
    flushLead();
    flushHigh();
    putText(char16_t(c));
}

// A character of text as it stands: surrogate halves arrive here already paired.
void Parser::putText(char16_t c) {
    const Dest d = top().dest;
    if (d == Dest::FontTable) {
        font_.name += QChar(c);
        return;
    }
    if (d == Dest::ShapeName) {
        shapeProperty_ += QChar(c);
        return;
    }
    if (d != Dest::Text)
        return;
    if (paraPending_)
        startBlock();
    if (cellPending_) {
        cellPending_ = false;
        putText(u'\t');
    }
    if (!run_.isEmpty() && !(runState_ == top().chr))
        flushRun();
    if (run_.isEmpty())
        runState_ = top().chr;
    run_.append(QChar(c));
}

void Parser::flushLead() {
    if (lead_ < 0)
        return;
    const QChar ch = codepages::decodeByte(leadCp_, uchar(lead_));
    lead_ = -1;
    putText(ch.unicode());
}

void Parser::flushHigh() {
    if (!high_)
        return;
    high_ = 0;
    putText(0xFFFD);
}

void Parser::flushRun() {
    if (run_.isEmpty())
        return;
    cur_.insertText(run_, format(runState_));
    run_.clear();
}

void Parser::startBlock() {
    flushRun();
    paraPending_ = false;
    cur_.insertBlock(QTextBlockFormat(), format(paraChar_));
}

void Parser::paragraph() {
    flushLead();
    flushHigh();
    cellPending_ = false;
    if (paraPending_)
        startBlock();
    flushRun();
    if (top().align != Qt::AlignLeft) {
        QTextBlockFormat bf;
        bf.setAlignment(top().align);
        cur_.setBlockFormat(bf);
    }
    if (cur_.block().length() == 1)
        cur_.setBlockCharFormat(format(top().chr));
    paraPending_ = true;
    paraChar_ = top().chr;
}

void Parser::finishFont() {
    // The vector holds at least half of its slots' fonts, plus a few numbers skipped.
    constexpr size_t kDenseGap = 1024;
    if (fontId_ >= 0 && !findFont(fontId_)) {
        QString name = font_.name.trimmed();
        if (!name.isEmpty()) {
            const size_t id = size_t(fontId_);
            if (id < denseFonts_.size() || id < 2 * denseCount_ + kDenseGap) {
                if (id >= denseFonts_.size())
                    denseFonts_.resize(id + 1);
                denseFonts_[id] = FontEntry{std::move(name), font_.codePage};
                ++denseCount_;
            } else {
                fonts_.insert(fontId_, FontEntry{std::move(name), font_.codePage});
            }
        }
    }
    clearFont();
    fontId_ = -1;
}

// A font the table named (an empty name stands for none).
const FontEntry *Parser::findFont(int id) const {
    if (id >= 0 && size_t(id) < denseFonts_.size() && !denseFonts_[size_t(id)].name.isEmpty())
        return &denseFonts_[size_t(id)];
    const auto it = fonts_.constFind(id);
    return it == fonts_.cend() ? nullptr : &*it;
}

// The entry being read starts empty; its name keeps its buffer, so a table of many fonts costs
// no allocation per character.
void Parser::clearFont() {
    font_.name.resize(0);
    font_.codePage = 0;
}

void Parser::finishPicture() {
    pictDepth_ = -1;
    // The picture takes the place where its group stands, in the group's enclosing formatting.
    Picture pic;
    QSizeF own; // the picture's own size in twips, when known
    const QByteArray &k = pictKind_;
    if (k == "pngblip" || k == "jpegblip") {
        pic.kind = k == "pngblip" ? PictureKind::Png : PictureKind::Jpeg;
        pic.bytes = pictData_;
        if (const QSize header = PictureStore::ownSize(pictData_); header.isValid() && !header.isEmpty())
            pic.pixels = header;
        else
            pic.pixels = QSize(int(std::clamp<qint64>(picw_, 0, 100000)), int(std::clamp<qint64>(pich_, 0, 100000)));
    } else if (k == "dibitmap" || k == "wbitmap") {
        std::optional<Picture> made = k == "dibitmap"
                                          ? PictureStore::fromDib(pictData_)
                                          : PictureStore::fromWbitmap(pictData_, int(std::clamp<qint64>(picw_, 0, 100000)),
                                                                      int(std::clamp<qint64>(pich_, 0, 100000)),
                                                                      int(wbmBits_), int(std::clamp<qint64>(wbmWidthBytes_, 0, 1 << 20)));
        if (made) {
            pic = *made;
        } else {
            pic.kind = PictureKind::Other;
            pic.bytes = pictData_;
            pic.words = pictWords_;
        }
    } else {
        pic.kind = PictureKind::Other;
        pic.bytes = pictData_;
        pic.words = pictWords_;
    }
    if (pic.kind != PictureKind::Other && !pic.pixels.isEmpty())
        own = QSizeF(pic.pixels) * 15.0;
    else if (picw_ > 0 && pich_ > 0 && (k == "wmetafile" || k == "emfblip" || k == "pmmetafile"))
        own = QSizeF(picw_ * 1440.0 / 2540.0, pich_ * 1440.0 / 2540.0); // HIMETRIC
    else if (picw_ > 0 && pich_ > 0)
        own = QSizeF(picw_ * 15.0, pich_ * 15.0);
    else
        own = QSizeF(480, 480);
    QSizeF twips = (goalw_ > 0 && goalh_ > 0) ? QSizeF(goalw_, goalh_) : own;
    const double sx = (scalex_ > 0 && scalex_ <= 10000) ? scalex_ / 100.0 : 1.0;
    const double sy = (scaley_ > 0 && scaley_ <= 10000) ? scaley_ / 100.0 : 1.0;
    twips = QSizeF(std::clamp(twips.width() * sx, 15.0, 144000.0), std::clamp(twips.height() * sy, 15.0, 144000.0));

    const QString name = doc_.pictures().add(std::move(pic));
    // The group of \pict is being closed: its parent's formatting is the picture's. A shape's
    // picture stands where the shape stands, in the formatting of the text around it.
    size_t outerAt = stack_.size() >= 2 ? stack_.size() - 2 : stack_.size() - 1;
    const bool ofShape = stack_[outerAt].dest == Dest::ShapeValue;
    while (ofShape && outerAt > 0 && stack_[outerAt].dest != Dest::Text)
        --outerAt;
    if (stack_[outerAt].dest != Dest::Text)
        return;
    if (ofShape)
        shapePicture_ = true;
    const CharState &outer = stack_[outerAt].chr;
    if (paraPending_)
        startBlock();
    if (cellPending_) {
        cellPending_ = false;
        putText(u'\t');
    }
    flushRun();
    QTextCharFormat f = format(outer);
    f.merge(RichTextDocument::imageFormat(name, twips));
    cur_.insertText(QString(QChar::ObjectReplacementCharacter), f);
}

void Parser::finish() {
    flushLead();
    flushHigh();
    if (flat_ > 0)
        flat_ = 0;
    const int open = closed_ ? 0 : int(stack_.size());
    if (pictDepth_ >= 0) {
        while (int(stack_.size()) > pictDepth_)
            stack_.pop_back();
        finishPicture();
    }
    if (!stack_.empty() && top().dest == Dest::FontTable && fontId_ >= 0)
        finishFont();
    if (open > 0)
        problem(open == 1 ? QStringLiteral("the document's group is not closed; it ends at the end of the text")
                          : QStringLiteral("%1 groups are not closed; they end at the end of the text").arg(open),
                n_);
    flushRun();
    if (!paraPending_ && !stack_.empty() && top().align != Qt::AlignLeft) {
        QTextBlockFormat bf;
        bf.setAlignment(top().align);
        cur_.setBlockFormat(bf);
    }
}

int Parser::codePage() {
    const int f = top().chr.font < 0 ? deff_ : top().chr.font;
    if (top().dest == Dest::FontTable)
        return font_.codePage > 0 ? font_.codePage : docCp_;
    const FontEntry *it = findFont(f);
    if (it && it->codePage > 0)
        return it->codePage;
    return docCp_;
}

QString Parser::family(int font) {
    const FontEntry *it = findFont(font < 0 ? deff_ : font);
    if (!it)
        it = findFont(deff_);
    return it ? it->name : doc_.defaultFont().family();
}

const QTextCharFormat &Parser::format(const CharState &s) {
    if (fmtValid_ && s == fmtState_)
        return fmt_;
    QTextCharFormat f;
    // The family also as a plain text property, as the box's own font command sets it: the
    // document finds an existing format by a hash that ignores a list of families, so with the
    // list alone every new font would be compared with all formats before it.
    const QString name = family(s.font);
    f.setFontFamilies(QStringList{name});
    f.setProperty(QTextFormat::FontFamily, name);
    f.setFontPointSize(s.halfPoints / 2.0);
    f.setFontWeight(s.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(s.italic);
    f.setFontUnderline(s.underline);
    f.setFontStrikeOut(s.strike);
    if (s.color > 0 && s.color < colors_.size() && colors_[s.color])
        f.setForeground(*colors_[s.color]);
    fmt_ = f;
    fmtState_ = s;
    fmtValid_ = true;
    return fmt_;
}

template <typename View> bool startsRtf(const View &v) {
    qsizetype k = 0;
    while (k < v.size() && (v[k] == ' ' || v[k] == '\t' || v[k] == '\r' || v[k] == '\n'))
        ++k;
    static const char sig[] = "{\\rtf";
    for (int j = 0; j < 5; ++j)
        if (k + j >= v.size() || v[k + j] != sig[j])
            return false;
    return true;
}

} // namespace

bool RtfReader::isRtf(QByteArrayView bytes) { return startsRtf(bytes); }
bool RtfReader::isRtf(QStringView text) { return startsRtf(text); }

QList<ReadProblem> RtfReader::read(QByteArrayView rtf, RichTextDocument &doc, bool highBytesAreUtf8) {
    Parser parser(rtf, doc, highBytesAreUtf8);
    return parser.run();
}

void RtfReader::readPlain(const QString &text, QTextDocument &doc) {
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(u'\r', u'\n');
    QTextCursor c(&doc);
    c.beginEditBlock();
    c.insertText(t);
    c.endEditBlock();
}

QString RtfReader::plainFromBytes(const QByteArray &bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = utf8.decode(bytes);
    if (!utf8.hasError())
        return s;
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes)
        out.append(codepages::decodeByte(1252, uchar(c)));
    return out;
}

} // namespace platform::richtext
