#include "platform/richtext/RichTextBox.h"

#include "platform/richtext/CharAttributes.h"
#include "platform/richtext/ReportText.h"
#include "platform/richtext/RtfWriter.h"

#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QPointer>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QUrl>

#include <cerrno>
#include <stdexcept>

namespace platform::richtext {

namespace {

const QString kRtfMime = QStringLiteral("text/rtf");
const QString kRtfMimeAlt = QStringLiteral("application/rtf");

QString plainOf(QString raw) {
    raw.replace(QChar::ParagraphSeparator, u'\n');
    raw.replace(QChar::LineSeparator, u'\n');
    return raw;
}

// The format text takes when typed after `f`: a picture's format without the picture.
QTextCharFormat withoutImage(QTextCharFormat f) {
    if (f.isImageFormat()) {
        f.clearProperty(QTextFormat::ObjectType);
        f.clearProperty(QTextFormat::ImageName);
        f.clearProperty(QTextFormat::ImageWidth);
        f.clearProperty(QTextFormat::ImageHeight);
        f.clearProperty(QTextFormat::ImageQuality);
    }
    return f;
}

// A picture that pasted HTML names: a data: URL's own bytes, or what the document can load.
std::optional<Picture> pictureOf(RichTextDocument &doc, const QString &url) {
    if (url.startsWith(QLatin1String("data:"), Qt::CaseInsensitive)) {
        const qsizetype comma = url.indexOf(u',');
        if (comma > 0 && url.left(comma).endsWith(QLatin1String(";base64"), Qt::CaseInsensitive))
            return PictureStore::fromImageBytes(QByteArray::fromBase64(url.mid(comma + 1).toLatin1()));
    }
    const QVariant r = doc.resource(QTextDocument::ImageResource, QUrl(url));
    const QImage img = qvariant_cast<QImage>(r);
    if (img.isNull())
        return std::nullopt;
    return PictureStore::fromImage(img);
}

// Moves the pictures of pasted HTML into the document's store, so the writer keeps them; a
// picture that cannot be loaded (an address on the web) is left out.
void adoptPictures(RichTextDocument &doc) {
    struct Change {
        int position, length;
        QTextImageFormat format;
    };
    std::vector<Change> changes;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (!f.charFormat().isImageFormat())
                continue;
            QTextImageFormat img = f.charFormat().toImageFormat();
            if (doc.pictures().find(img.name()))
                continue;
            std::optional<Picture> p = pictureOf(doc, img.name());
            if (!p || p->pixels.isEmpty())
                continue;
            QSizeF size(p->pixels);
            const bool w = img.hasProperty(QTextFormat::ImageWidth), h = img.hasProperty(QTextFormat::ImageHeight);
            if (w && h)
                size = QSizeF(img.width(), img.height());
            else if (w)
                size = QSizeF(img.width(), img.width() * size.height() / size.width());
            else if (h)
                size = QSizeF(img.height() * size.width() / size.height(), img.height());
            img.setName(doc.pictures().add(std::move(*p)));
            img.setWidth(size.width());
            img.setHeight(size.height());
            changes.push_back({f.position(), f.length(), img});
        }
    QTextCursor c(&doc);
    for (const Change &ch : changes) {
        c.setPosition(ch.position);
        c.setPosition(ch.position + ch.length, QTextCursor::KeepAnchor);
        c.setCharFormat(ch.format);
    }
}

long toBgr(QRgb c) { return long(qRed(c)) | long(qGreen(c)) << 8 | long(qBlue(c)) << 16; }

} // namespace

RichTextBox::RichTextBox(QWidget *parent) : QTextEdit(parent), doc_(new RichTextDocument(this)) {
    doc_->setDefaultFont(font());
    setDocument(doc_);
    setAcceptRichText(true);
    watchDocument();
    connect(this, &QTextEdit::cursorPositionChanged, this, &RichTextBox::SelChange);
    connect(this, &QTextEdit::selectionChanged, this, &RichTextBox::SelChange);
}

RichTextBox::~RichTextBox() = default;

void RichTextBox::watchDocument() {
    connect(doc_, &QTextDocument::contentsChanged, this, [this] {
        if (pages_)
            pages_->invalidate();
        if (quiet_ == 0)
            emit Change();
    });
}

void RichTextBox::adopt(std::unique_ptr<RichTextDocument> doc) {
    doc->setDefaultFont(doc_->defaultFont());
    doc->setUndoRedoEnabled(true);
    doc->setParent(this);
    pages_.reset();
    problems_.clear();
    ++quiet_;
    const QPointer<RichTextDocument> old = doc_;
    doc_ = doc.release();
    setDocument(doc_);
    delete old.data(); // the box's child; Qt deletes only documents its text control owns
    watchDocument();
    setTextCursor(QTextCursor(doc_));
    --quiet_;
    emit Change();
}

void RichTextBox::replaceContent(const std::function<void()> &fill) {
    ++quiet_;
    doc_->setUndoRedoEnabled(false);
    doc_->clearAll();
    fill();
    doc_->setUndoRedoEnabled(true);
    setTextCursor(QTextCursor(doc_));
    --quiet_;
    if (pages_)
        pages_->invalidate();
    emit Change();
}

QString RichTextBox::TextRTF() const { return QString::fromLatin1(RtfWriter::write(*doc_)); }

void RichTextBox::setTextRTF(const QString &rtf) {
    QList<ReadProblem> problems;
    replaceContent([&] {
        if (!RtfReader::isRtf(QStringView(rtf))) {
            RtfReader::readPlain(rtf, *doc_);
            return;
        }
        bool ascii = true;
        for (const QChar c : rtf)
            if (c.unicode() >= 0x80) {
                ascii = false;
                break;
            }
        problems = ascii ? RtfReader::read(rtf.toLatin1(), *doc_) : RtfReader::read(rtf.toUtf8(), *doc_, true);
    });
    problems_ = problems;
}

QString RichTextBox::Text() const { return plainOf(doc_->toRawText()); }

void RichTextBox::setText(const QString &text) {
    problems_.clear();
    replaceContent([&] { RtfReader::readPlain(text, *doc_); });
}

int RichTextBox::SelStart() const { return textCursor().selectionStart(); }

void RichTextBox::setSelStart(int start) {
    QTextCursor c = textCursor();
    c.setPosition(std::clamp(start, 0, doc_->characterCount() - 1));
    setTextCursor(c);
}

int RichTextBox::SelLength() const {
    const QTextCursor c = textCursor();
    return c.selectionEnd() - c.selectionStart();
}

void RichTextBox::setSelLength(int length) {
    QTextCursor c = textCursor();
    const int start = c.selectionStart();
    c.setPosition(start);
    c.setPosition(std::clamp(start + std::max(length, 0), 0, doc_->characterCount() - 1), QTextCursor::KeepAnchor);
    setTextCursor(c);
}

QString RichTextBox::SelText() const { return plainOf(textCursor().selectedText()); }

QTextCharFormat RichTextBox::insertionFormat(const QTextCursor &c) const {
    if (!c.hasSelection())
        return withoutImage(c.charFormat());
    QTextCursor at(doc_);
    at.setPosition(c.selectionStart() + 1);
    return withoutImage(at.charFormat());
}

void RichTextBox::setSelText(const QString &text) {
    QTextCursor c = textCursor();
    const QTextCharFormat f = insertionFormat(c);
    c.insertText(ReportText::paragraphs(text), f);
    setTextCursor(c);
}

template <typename T, typename Get> std::optional<T> RichTextBox::selAttribute(Get get) const {
    const QTextCursor c = textCursor();
    const QFont def = doc_->defaultFont();
    if (!c.hasSelection())
        return get(CharAttributes::of(insertionFormat(c), def));
    const int start = c.selectionStart();
    const int end = c.selectionEnd();
    std::optional<T> value;
    for (QTextBlock b = doc_->findBlock(start); b.isValid() && b.position() < end; b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.position() + f.length() <= start || f.position() >= end)
                continue;
            const T v = get(CharAttributes::of(f.charFormat(), def));
            if (!value)
                value = v;
            else if (!(*value == v))
                return std::nullopt;
        }
    }
    if (!value)
        return get(CharAttributes::of(insertionFormat(c), def));
    return value;
}

std::optional<QString> RichTextBox::SelFontName() const {
    return selAttribute<QString>([](const CharAttributes &a) { return a.family; });
}
std::optional<double> RichTextBox::SelFontSize() const {
    return selAttribute<double>([](const CharAttributes &a) { return a.pointSize; });
}
std::optional<bool> RichTextBox::SelBold() const {
    return selAttribute<bool>([](const CharAttributes &a) { return a.bold; });
}
std::optional<bool> RichTextBox::SelItalic() const {
    return selAttribute<bool>([](const CharAttributes &a) { return a.italic; });
}
std::optional<bool> RichTextBox::SelUnderline() const {
    return selAttribute<bool>([](const CharAttributes &a) { return a.underline; });
}
std::optional<bool> RichTextBox::SelStrikeThru() const {
    return selAttribute<bool>([](const CharAttributes &a) { return a.strike; });
}
std::optional<long> RichTextBox::SelColor() const {
    return selAttribute<long>([](const CharAttributes &a) { return a.color ? toBgr(*a.color) : 0L; });
}

void RichTextBox::applyFormat(const QTextCharFormat &change) {
    QTextCursor c = textCursor();
    if (c.hasSelection()) {
        c.mergeCharFormat(change);
    } else {
        QTextCharFormat f = insertionFormat(c);
        f.merge(change);
        c.setCharFormat(f);
    }
    setTextCursor(c);
    emit SelChange();
}

void RichTextBox::setSelFontName(const QString &name) { applyFormat(ReportText::fontChange(name)); }
void RichTextBox::setSelFontSize(double points) {
    if (const auto f = ReportText::sizeChange(points))
        applyFormat(*f);
}
void RichTextBox::setSelBold(bool on) { applyFormat(ReportText::boldChange(on)); }
void RichTextBox::setSelItalic(bool on) {
    QTextCharFormat f;
    f.setFontItalic(on);
    applyFormat(f);
}
void RichTextBox::setSelUnderline(bool on) {
    QTextCharFormat f;
    f.setFontUnderline(on);
    applyFormat(f);
}
void RichTextBox::setSelStrikeThru(bool on) {
    QTextCharFormat f;
    f.setFontStrikeOut(on);
    applyFormat(f);
}
void RichTextBox::setSelColor(long bgr) { applyFormat(ReportText::colorChange(bgr)); }

void RichTextBox::setLocked(bool locked) {
    locked_ = locked;
    setReadOnly(locked);
    if (locked)
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void RichTextBox::SaveFile(const QString &path) const {
    // Unbuffered, so a short write (a full disk) shows here and not as a lost flush error.
    // The reason is taken when the call fails, before cancelling the write replaces it with its
    // own; a disk without room is named as such. The old file stays whole in every case.
    QSaveFile f(path);
    const auto fail = [&] {
        const int errnum = errno;
        const QString reason = errnum == ENOSPC || errnum == EDQUOT || errnum == EFBIG ? QStringLiteral("the disk is full")
                                                                                      : f.errorString();
        f.cancelWriting();
        throw std::runtime_error(QStringLiteral("Cannot save %1: %2").arg(path, reason).toStdString());
    };
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        fail();
    const QByteArray rtf = RtfWriter::write(*doc_);
    if (f.write(rtf) != rtf.size())
        fail();
    if (!f.commit())
        fail();
}

void RichTextBox::LoadFile(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("Cannot open %1: %2").arg(path, f.errorString()).toStdString());
    const QByteArray bytes = f.readAll();
    QList<ReadProblem> problems;
    replaceContent([&] {
        if (RtfReader::isRtf(QByteArrayView(bytes)))
            problems = RtfReader::read(bytes, *doc_);
        else
            RtfReader::readPlain(RtfReader::plainFromBytes(bytes), *doc_);
    });
    problems_ = problems;
}

void RichTextBox::insertImage(const QString &name, QSizeF twips) {
    QTextCursor c = textCursor();
    QTextCharFormat f = insertionFormat(c);
    f.merge(RichTextDocument::imageFormat(name, twips));
    c.insertText(QString(QChar::ObjectReplacementCharacter), f);
    setTextCursor(c);
}

bool RichTextBox::insertPicture(const QString &path, QString *reason) {
    std::optional<Picture> p = PictureStore::fromFile(path, reason);
    if (!p)
        return false;
    const QSizeF twips = QSizeF(p->pixels) * 15.0;
    insertImage(doc_->pictures().add(std::move(*p)), twips);
    return true;
}

int RichTextBox::formatRange(int first, QPainter &painter, const QRect &pageRectTwips) {
    if (!pages_)
        pages_ = std::make_unique<PageRenderer>(*doc_);
    return pages_->formatRange(first, painter, pageRectTwips);
}

bool RichTextBox::canInsertFromMimeData(const QMimeData *source) const {
    if (locked_ || !source)
        return false;
    return source->hasFormat(kRtfMime) || source->hasFormat(kRtfMimeAlt) || source->hasImage() ||
           source->hasHtml() || source->hasText();
}

void RichTextBox::insertDocument(const RichTextDocument &from) {
    doc_->pictures().merge(from.pictures());
    QTextCursor c = textCursor();
    c.insertFragment(QTextDocumentFragment(&from));
    setTextCursor(c);
}

void RichTextBox::insertFromMimeData(const QMimeData *source) {
    if (locked_ || !source)
        return;
    RichTextDocument pasted;
    pasted.setDefaultFont(doc_->defaultFont());
    if (source->hasFormat(kRtfMime) || source->hasFormat(kRtfMimeAlt)) {
        const QByteArray rtf = source->data(source->hasFormat(kRtfMime) ? kRtfMime : kRtfMimeAlt);
        if (RtfReader::isRtf(QByteArrayView(rtf))) {
            RtfReader::read(rtf, pasted);
            insertDocument(pasted);
            return;
        }
    }
    if (source->hasImage()) {
        // The bytes as the source holds them when it offers PNG or JPEG, else the image made PNG.
        std::optional<Picture> p;
        for (const char *mime : {"image/png", "image/jpeg"})
            if (source->hasFormat(QString::fromLatin1(mime)))
                if ((p = PictureStore::fromImageBytes(source->data(QString::fromLatin1(mime)))))
                    break;
        if (!p) {
            const QImage img = qvariant_cast<QImage>(source->imageData());
            if (!img.isNull())
                p = PictureStore::fromImage(img);
        }
        if (p) {
            const QSizeF twips = QSizeF(p->pixels) * 15.0;
            insertImage(doc_->pictures().add(std::move(*p)), twips);
            return;
        }
    }
    if (source->hasHtml()) {
        // Cut down to what the writer keeps by writing it and reading it back.
        RichTextDocument html;
        html.setDefaultFont(doc_->defaultFont());
        html.setHtml(source->html());
        adoptPictures(html);
        RtfReader::read(RtfWriter::write(html), pasted);
        insertDocument(pasted);
        return;
    }
    if (source->hasText())
        setSelText(source->text());
}

QMimeData *RichTextBox::createMimeDataFromSelection() const {
    const QTextCursor c = textCursor();
    auto *m = new QMimeData;
    if (!c.hasSelection())
        return m;
    RichTextDocument part;
    part.setDefaultFont(doc_->defaultFont());
    part.pictures().merge(doc_->pictures());
    QTextCursor(&part).insertFragment(c.selection());
    QString plain = plainOf(c.selectedText());
    plain.remove(QChar::ObjectReplacementCharacter);
    m->setText(plain);
    m->setHtml(c.selection().toHtml());
    const QByteArray rtf = RtfWriter::write(part);
    m->setData(kRtfMime, rtf);
    m->setData(kRtfMimeAlt, rtf);
    return m;
}

} // namespace platform::richtext
