#include "platform/richtext/RtfWriter.h"

#include "platform/richtext/CharAttributes.h"
#include "platform/richtext/CodePages.h"

#include <QTextBlock>

#include <optional>
#include <vector>

namespace platform::richtext {

namespace {

constexpr int kHexPerLine = 128;

class Out {
public:
    QByteArray bytes;

    // A control word; a blank ends it when text follows, whatever the text's first character:
    // some readers take punctuation straight after a word as part of it.
    void word(const char *w) {
        bytes += w;
        delimit_ = true;
    }
    void word(const char *w, qint64 n) {
        bytes += w;
        bytes += QByteArray::number(n);
        delimit_ = true;
    }
    // Control symbols, braces and line ends: they delimit a word themselves.
    void raw(const char *s) {
        bytes += s;
        delimit_ = false;
    }
    void literal(char c) {
        if (delimit_)
            bytes += ' ';
        bytes += c;
        delimit_ = false;
    }
    void hexByte(uchar b) {
        static const char digits[] = "0123456789abcdef";
        bytes += "\\'";
        bytes += digits[b >> 4];
        bytes += digits[b & 15];
        delimit_ = false;
    }
    void text(QStringView s) {
        const char16_t *p = s.utf16();
        const qsizetype n = s.size();
        for (qsizetype i = 0; i < n; ++i) {
            // A run of printable ASCII that needs no escape is copied at once: most text is.
            qsizetype end = i;
            while (end < n && plain(p[end]))
                ++end;
            if (end > i) {
                if (delimit_)
                    bytes += ' ';
                const qsizetype at = bytes.size();
                bytes.resize(at + (end - i));
                char *to = bytes.data() + at;
                for (qsizetype k = i; k < end; ++k)
                    *to++ = char(p[k]);
                delimit_ = false;
                i = end - 1;
                continue;
            }
            const char16_t c = p[i];
            switch (c) {
            case u'\\': raw("\\\\"); continue;
            case u'{': raw("\\{"); continue;
            case u'}': raw("\\}"); continue;
            case u'\t': word("\\tab"); continue;
            case 0x2028: word("\\line"); continue;
            case u'\f': word("\\page"); continue;
            case 0x00A0: raw("\\~"); continue;
            case 0xFDD0: // frame markers of Qt's tables: no text of their own
            case 0xFDD1: continue;
            default: break;
            }
            if (const int b = c >= 0x80 ? codepages::toWindows1252(c) : -1; b >= 0) {
                hexByte(uchar(b));
            } else {
                word("\\u", c >= 0x8000 ? qint64(c) - 65536 : qint64(c));
                literal('?');
            }
        }
    }
    void hex(const QByteArray &data) {
        static const char digits[] = "0123456789abcdef";
        bytes.reserve(bytes.size() + data.size() * 2 + data.size() / (kHexPerLine / 2) * 2 + 2);
        int onLine = 0;
        for (const char ch : data) {
            const uchar b = uchar(ch);
            bytes += digits[b >> 4];
            bytes += digits[b & 15];
            onLine += 2;
            if (onLine == kHexPerLine) {
                bytes += "\r\n";
                onLine = 0;
            }
        }
        delimit_ = false;
    }

private:
    static bool plain(char16_t c) { return c >= 0x20 && c < 0x7F && c != u'\\' && c != u'{' && c != u'}'; }

    bool delimit_ = false;
};

struct Tables {
    QStringList fonts;
    QList<QRgb> colors;
    int font(const QString &f) {
        int i = int(fonts.indexOf(f));
        if (i < 0) {
            fonts.append(f);
            i = int(fonts.size() - 1);
        }
        return i;
    }
    int color(const std::optional<QRgb> &c) {
        if (!c)
            return 0;
        const QRgb v = qRgb(qRed(*c), qGreen(*c), qBlue(*c));
        int i = int(colors.indexOf(v));
        if (i < 0) {
            colors.append(v);
            i = int(colors.size() - 1);
        }
        return i + 1;
    }
};

// What the reader starts from: \f0 (\deff0), 12 points, nothing else.
struct State {
    int font = 0;
    int halfPoints = 24;
    bool bold = false, italic = false, underline = false, strike = false;
    int color = 0;
};

void picture(Out &out, const RichTextDocument &doc, const QTextImageFormat &f) {
    const Picture *p = doc.pictures().find(f.name());
    if (!p)
        return; // an image from elsewhere that the store does not hold
    out.raw("{");
    out.word("\\pict");
    if (p->kind == PictureKind::Other) {
        out.bytes += p->words;
    } else {
        out.word(p->kind == PictureKind::Png ? "\\pngblip" : "\\jpegblip");
        out.word("\\picw", p->pixels.width());
        out.word("\\pich", p->pixels.height());
        out.word("\\picwgoal", qRound(f.width() * 15.0));
        out.word("\\pichgoal", qRound(f.height() * 15.0));
    }
    if (!p->bytes.isEmpty())
        out.bytes += ' ';
    out.hex(p->bytes);
    out.raw("}");
}

} // namespace

QByteArray RtfWriter::write(const RichTextDocument &doc) {
    const QFont def = doc.defaultFont();
    Tables t;
    t.font(def.family());

    // The font and colour tables come first in the file but are filled as the text is written
    // (a font or colour enters them where the text first uses it), so the text goes to a buffer
    // of its own. A document of thousands of lines uses a handful of formats: each is resolved
    // once, by its index in the document's format collection.
    struct Resolved {
        std::optional<bool> image;
        std::optional<State> state;
    };
    std::vector<Resolved> resolved;
    const auto entry = [&resolved](int index) -> Resolved * {
        if (index < 0)
            return nullptr;
        if (size_t(index) >= resolved.size())
            resolved.resize(size_t(index) + 1);
        return &resolved[size_t(index)];
    };
    const auto stateOf = [&](const QTextCharFormat &f) {
        const CharAttributes a = CharAttributes::of(f, def);
        State st;
        st.font = t.font(a.family);
        st.halfPoints = qRound(a.pointSize * 2);
        st.bold = a.bold;
        st.italic = a.italic;
        st.underline = a.underline;
        st.strike = a.strike;
        st.color = t.color(a.color);
        return st;
    };
    const auto state = [&](int index, const auto &format) {
        Resolved *r = entry(index);
        if (!r)
            return stateOf(format());
        if (!r->state)
            r->state = stateOf(format());
        return *r->state;
    };
    const auto isImage = [&](int index, const auto &format) {
        Resolved *r = entry(index);
        if (!r)
            return format().isImageFormat();
        if (!r->image)
            r->image = format().isImageFormat();
        return *r->image;
    };

    Out body;
    body.bytes.reserve(doc.characterCount() * 2 + 256);
    State s;
    const auto attributes = [&](const State &a) {
        if (a.font != s.font)
            body.word("\\f", s.font = a.font);
        if (a.halfPoints != s.halfPoints)
            body.word("\\fs", s.halfPoints = a.halfPoints);
        if (a.bold != s.bold)
            body.word((s.bold = a.bold) ? "\\b" : "\\b0");
        if (a.italic != s.italic)
            body.word((s.italic = a.italic) ? "\\i" : "\\i0");
        if (a.underline != s.underline)
            body.word((s.underline = a.underline) ? "\\ul" : "\\ulnone");
        if (a.strike != s.strike)
            body.word((s.strike = a.strike) ? "\\strike" : "\\strike0");
        if (a.color != s.color)
            body.word("\\cf", s.color = a.color);
    };

    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        body.word("\\pard");
        const Qt::Alignment al = b.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
        if (al & Qt::AlignHCenter)
            body.word("\\qc");
        else if (al & (Qt::AlignRight))
            body.word("\\qr");
        else if (al & Qt::AlignJustify)
            body.word("\\qj");
        if (b.length() == 1)
            attributes(state(b.charFormatIndex(), [&b] { return b.charFormat(); }));
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            const auto format = [&frag] { return frag.charFormat(); };
            if (isImage(frag.charFormatIndex(), format)) {
                const QTextImageFormat image = frag.charFormat().toImageFormat();
                for (qsizetype k = 0; k < frag.length(); ++k)
                    picture(body, doc, image);
                continue;
            }
            attributes(state(frag.charFormatIndex(), format));
            body.text(frag.text());
        }
        body.word("\\par");
        body.raw("\r\n");
    }
    body.raw("}");

    Out out;
    out.bytes.reserve(body.bytes.size() + 256 + t.fonts.size() * 40 + t.colors.size() * 30);
    out.raw("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl");
    for (int i = 0; i < t.fonts.size(); ++i) {
        out.raw("{");
        out.word("\\f", i);
        out.word("\\fnil");
        out.word("\\fcharset", 0);
        out.raw(" ");
        out.text(t.fonts[i]);
        out.raw(";}");
    }
    out.raw("}\r\n{");
    out.word("\\colortbl");
    out.raw(" ;");
    for (const QRgb c : t.colors) {
        out.word("\\red", qRed(c));
        out.word("\\green", qGreen(c));
        out.word("\\blue", qBlue(c));
        out.raw(";");
    }
    out.raw("}\r\n");
    out.bytes += body.bytes;
    return out.bytes;
}

} // namespace platform::richtext
