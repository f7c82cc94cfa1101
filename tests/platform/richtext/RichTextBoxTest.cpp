// The rich-text box as the notes and report windows use it: selection properties that read
// empty over mixed text, plain Text and SelText with their positions, Locked, the Change
// signal, pictures, saving and loading, and what a paste keeps.
#include "platform/richtext/RichTextBox.h"

#include "common/FileSizeLimit.h"
#include "common/TestEnv.h"
#include "RichTextTestUtil.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>

#include <csignal>

using platform::richtext::RichTextBox;

namespace {

QByteArray pngBytes(int w, int h, QColor c) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    QByteArray out;
    QBuffer b(&out);
    b.open(QIODevice::WriteOnly);
    img.save(&b, "PNG");
    return out;
}

class RichTextBoxTest : public OrvalisTest {
protected:
    RichTextBox box;

    // "plain bold plain": the middle word bold, red, Arial 14.
    void fillMixed() {
        box.setSelFontName(QStringLiteral("Tahoma"));
        box.setSelFontSize(10.5);
        box.setSelText(QStringLiteral("plain "));
        box.setSelBold(true);
        box.setSelColor(0x0000FF);
        box.setSelFontName(QStringLiteral("Arial"));
        box.setSelFontSize(14);
        box.setSelText(QStringLiteral("bold"));
        box.setSelBold(false);
        box.setSelColor(0);
        box.setSelFontName(QStringLiteral("Tahoma"));
        box.setSelFontSize(10.5);
        box.setSelText(QStringLiteral(" plain"));
    }
    void select(int start, int length) {
        box.setSelStart(start);
        box.setSelLength(length);
    }
};

TEST_F(RichTextBoxTest, SelectionOverMixedTextReadsEmptyAndUniformTextReadsItsValue) {
    fillMixed();
    select(0, 16);
    EXPECT_EQ(box.SelBold(), std::nullopt);
    EXPECT_EQ(box.SelFontName(), std::nullopt);
    EXPECT_EQ(box.SelFontSize(), std::nullopt);
    EXPECT_EQ(box.SelColor(), std::nullopt);
    EXPECT_EQ(box.SelItalic(), false);

    select(6, 4);
    EXPECT_EQ(box.SelText(), QStringLiteral("bold"));
    EXPECT_EQ(box.SelBold(), true);
    EXPECT_EQ(box.SelFontName(), QStringLiteral("Arial"));
    EXPECT_EQ(box.SelFontSize(), 14.0);
    EXPECT_EQ(box.SelColor(), 0x0000FFL);

    // A caret reads the insertion format: the character before it.
    box.setSelStart(8);
    EXPECT_EQ(box.SelBold(), true);
    box.setSelStart(3);
    EXPECT_EQ(box.SelBold(), false);
    EXPECT_EQ(box.SelFontSize(), 10.5);
}

TEST_F(RichTextBoxTest, SettersChangeTheSelectionOnlyOrTheInsertionFormat) {
    fillMixed();
    select(0, 5);
    box.setSelItalic(true);
    box.setSelUnderline(true);
    box.setSelStrikeThru(true);
    EXPECT_EQ(box.SelItalic(), true);
    EXPECT_EQ(box.SelUnderline(), true);
    EXPECT_EQ(box.SelStrikeThru(), true);
    select(3, 4);
    EXPECT_EQ(box.SelItalic(), std::nullopt) << "the setter reached past the selection";

    // Without a selection only what is typed next changes.
    box.setSelStart(box.Text().size());
    box.setSelBold(true);
    box.setSelText(QStringLiteral("!"));
    select(box.Text().size() - 1, 1);
    EXPECT_EQ(box.SelBold(), true);
    select(box.Text().size() - 3, 2);
    EXPECT_EQ(box.SelBold(), false);
}

TEST_F(RichTextBoxTest, SelTextTakesEveryLineEndAsOneParagraphEndAndKeepsFormFeeds) {
    box.setSelText(QStringLiteral("a\r\nb\rc\nd\fe"));
    EXPECT_EQ(box.richDocument()->blockCount(), 4);
    EXPECT_EQ(box.Text(), QStringLiteral("a\nb\nc\nd\fe"));
    // Appending at the caret, as reports do.
    box.setSelText(QStringLiteral("f\r\n"));
    EXPECT_EQ(box.Text(), QStringLiteral("a\nb\nc\nd\fef\n"));
    EXPECT_EQ(box.SelStart(), box.Text().size());
    // Replacing a selection.
    select(2, 1);
    box.setSelText(QStringLiteral("B"));
    EXPECT_EQ(box.Text(), QStringLiteral("a\nB\nc\nd\fef\n"));
    EXPECT_EQ(box.SelStart(), 3);
    EXPECT_EQ(box.SelLength(), 0);
}

TEST_F(RichTextBoxTest, TextPositionsCountOneCharacterPerPictureSoFindSelectsTheRightWord) {
    box.setSelText(QStringLiteral("one\r\n"));
    const QString png = tmp.file(QStringLiteral("p.png"));
    testenv::writeFile(png, pngBytes(4, 3, Qt::red));
    ASSERT_TRUE(box.insertPicture(png));
    box.setSelText(QStringLiteral(" two"));
    const QString text = box.Text();
    EXPECT_EQ(text, QStringLiteral("one\n") + QChar(QChar::ObjectReplacementCharacter) + QStringLiteral(" two"));
    const int at = int(text.indexOf(QStringLiteral("two")));
    select(at, 3);
    EXPECT_EQ(box.SelText(), QStringLiteral("two"));
}

TEST_F(RichTextBoxTest, SettingTextReplacesEverythingWithPlainTextAndRaisesChange) {
    fillMixed();
    QSignalSpy change(&box, &RichTextBox::Change);
    box.setText(QString());
    EXPECT_EQ(change.count(), 1);
    EXPECT_EQ(box.Text(), QString());
    EXPECT_EQ(box.SelBold(), false);
    box.setText(QStringLiteral("x\r\ny"));
    EXPECT_EQ(box.Text(), QStringLiteral("x\ny"));
    EXPECT_EQ(box.SelFontName(), box.font().family());
}

TEST_F(RichTextBoxTest, SettingTextRtfRaisesOneChangeAndTypingRaisesOne) {
    QSignalSpy change(&box, &RichTextBox::Change);
    box.setTextRTF(QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard a\\par\\pard b\\par}"));
    EXPECT_EQ(change.count(), 1);
    EXPECT_EQ(box.Text(), QStringLiteral("a\nb"));
    box.setTextRTF(QString());
    EXPECT_EQ(change.count(), 2);
    EXPECT_EQ(box.Text(), QString());
    box.setFocus();
    QTest::keyClicks(&box, QStringLiteral("z"));
    EXPECT_EQ(change.count(), 3);
    box.setSelStart(0);
    box.setSelLength(1);
    box.setSelBold(true);
    EXPECT_EQ(change.count(), 4) << "a format change is a content change";
}

TEST_F(RichTextBoxTest, LockedBoxRefusesTypingAndPastingButSelectsAndCopies) {
    box.setText(QStringLiteral("keep me"));
    box.setLocked(true);
    box.setFocus();
    QTest::keyClicks(&box, QStringLiteral("zz"));
    EXPECT_EQ(box.Text(), QStringLiteral("keep me"));
    box.setSelStart(0);
    QTest::keyClick(&box, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(box.SelText(), QStringLiteral("k"));
    box.copy();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("k"));
    box.paste();
    EXPECT_EQ(box.Text(), QStringLiteral("keep me"));
    box.setLocked(false);
    QTest::keyClicks(&box, QStringLiteral("K"));
    EXPECT_EQ(box.Text(), QStringLiteral("Keep me"));
}

TEST_F(RichTextBoxTest, InsertPictureReplacesTheSelectionAndLeavesTheClipboardAlone) {
    QApplication::clipboard()->setText(QStringLiteral("clip"));
    box.setText(QStringLiteral("abcdef"));
    select(2, 2);
    const QString png = tmp.file(QStringLiteral("p.png"));
    const QByteArray bytes = pngBytes(8, 6, Qt::blue);
    testenv::writeFile(png, bytes);
    ASSERT_TRUE(box.insertPicture(png));
    EXPECT_EQ(box.Text(), QStringLiteral("ab") + QChar(QChar::ObjectReplacementCharacter) + QStringLiteral("ef"));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("clip"));
    // The picture keeps its own bytes and shows at its own size.
    EXPECT_TRUE(box.TextRTF().contains(QStringLiteral("\\pngblip\\picw8\\pich6\\picwgoal120\\pichgoal90")));
    EXPECT_TRUE(box.TextRTF().contains(QString::fromLatin1(bytes.left(16).toHex())));

    // Bitmaps and GIFs are made PNG once, when inserted.
    const QString bmp = tmp.file(QStringLiteral("p.bmp"));
    testenv::writeFile(bmp, richtexttest::imageBytes("BMP", 3, 3));
    ASSERT_TRUE(box.insertPicture(bmp));
    const QString gif = tmp.file(QStringLiteral("p.gif"));
    testenv::writeFile(gif, QByteArray::fromHex("47494638396101000100800000ffffff00000021f90401000000002c"
                                                "00000000010001000002024401003b"));
    ASSERT_TRUE(box.insertPicture(gif));
    EXPECT_TRUE(box.TextRTF().contains(QStringLiteral("\\pngblip\\picw3\\pich3")));
    EXPECT_TRUE(box.TextRTF().contains(QStringLiteral("\\pngblip\\picw1\\pich1")));

    const QString text = tmp.file(QStringLiteral("notes.jpg"));
    testenv::writeFile(text, "not a picture at all");
    QString reason;
    EXPECT_FALSE(box.insertPicture(text, &reason));
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_EQ(box.Text().size(), 7);
}

TEST_F(RichTextBoxTest, SaveFileFailingThrowsAndLeavesTheOldFileWhole) {
    box.setText(QStringLiteral("new text"));
    const QString ok = tmp.file(QStringLiteral("r.rtf"));
    box.SaveFile(ok);
    RichTextBox other;
    QSignalSpy change(&other, &RichTextBox::Change);
    other.LoadFile(ok);
    EXPECT_EQ(other.Text(), QStringLiteral("new text"));
    EXPECT_EQ(change.count(), 1);

    // The disk fills up while the new text is written: a file-size limit stops the write.
    const QString dir = tmp.file(QStringLiteral("full"));
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString target = dir + QStringLiteral("/old.rtf");
    testenv::writeFile(target, "old contents");
    box.setText(QString(5000, QLatin1Char('x')));
    QString error;
    try {
        FileSizeLimit full(1000);
        box.SaveFile(target);
    } catch (const std::runtime_error &e) {
        error = QString::fromUtf8(e.what());
    }
    // The cause and the file, not the cancelled write's own text.
    EXPECT_EQ(error, QStringLiteral("Cannot save ") + target + QStringLiteral(": the disk is full"));
    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("old contents"));
    EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("old.rtf")});

    EXPECT_THROW(box.SaveFile(tmp.file(QStringLiteral("missing/folder/x.rtf"))), std::runtime_error);
    EXPECT_THROW(box.LoadFile(tmp.file(QStringLiteral("none.rtf"))), std::runtime_error);
}

TEST_F(RichTextBoxTest, PastedHtmlKeepsOnlyWhatIsSavedSoItReopensAsShown) {
    auto *mime = new QMimeData;
    mime->setHtml(QStringLiteral(
        "<p>Before <b>bold</b> <a href='http://x.example/'>a link</a> "
        "<span style='background-color:yellow;color:#00ff00'>marked</span></p>"
        "<table border=1><tr><td>c1</td><td><i>c2</i></td></tr><tr><td>c3</td><td>c4</td></tr></table>"
        "<p align=center style='font-family:Courier; font-size:20pt'>centred</p>"
        "<p><span style='font-size:16px'>sized in pixels</span></p>"));
    QApplication::clipboard()->setMimeData(mime);
    box.paste();
    const QString shownText = box.Text();
    const QString shownRtf = box.TextRTF();
    EXPECT_TRUE(shownText.contains(QStringLiteral("a link")));
    EXPECT_TRUE(shownText.contains(QStringLiteral("c4")));
    box.setSelStart(int(shownText.indexOf(QStringLiteral("pixels"))));
    box.setSelLength(6);
    EXPECT_EQ(box.SelFontSize(), 12.0) << "16 CSS pixels are 12 points";

    const QString file = tmp.file(QStringLiteral("pasted.rtf"));
    box.SaveFile(file);
    RichTextBox reopened;
    reopened.LoadFile(file);
    EXPECT_EQ(reopened.Text(), shownText);
    EXPECT_EQ(reopened.TextRTF(), shownRtf);
    // Format by format: every fragment of the shown document equals the reopened one.
    const auto formats = [](const RichTextBox &b) {
        QStringList out;
        for (QTextBlock bl = b.richDocument()->begin(); bl.isValid(); bl = bl.next()) {
            out << QString::number(int(bl.blockFormat().alignment()));
            for (auto it = bl.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat f = it.fragment().charFormat();
                out << it.fragment().text() + QLatin1Char('|') + f.font().toString() +
                           QLatin1Char('|') + f.foreground().color().name() +
                           QLatin1Char('|') + QString::number(f.hasProperty(QTextFormat::BackgroundBrush)) +
                           QLatin1Char('|') + f.anchorHref();
            }
        }
        return out;
    };
    EXPECT_EQ(formats(reopened), formats(box));
    EXPECT_EQ(box.richDocument()->rootFrame()->childFrames().size(), 0) << "the table stayed a table";
}

TEST_F(RichTextBoxTest, PastedHtmlKeepsItsInlinePicturesAndDropsThoseOnTheWeb) {
    const QByteArray png = pngBytes(6, 4, Qt::red);
    auto *mime = new QMimeData;
    mime->setHtml(QStringLiteral("<p>a<img src=\"data:image/png;base64,%1\" width=12>b"
                                 "<img src=\"http://x.example/p.png\">c</p>")
                      .arg(QString::fromLatin1(png.toBase64())));
    QApplication::clipboard()->setMimeData(mime);
    box.paste();
    EXPECT_EQ(box.Text(), QStringLiteral("a") + QChar(QChar::ObjectReplacementCharacter) + QStringLiteral("bc"));
    const QString rtf = box.TextRTF();
    EXPECT_TRUE(rtf.contains(QStringLiteral("\\pngblip\\picw6\\pich4\\picwgoal180\\pichgoal120 ")));
    EXPECT_TRUE(rtf.contains(QString::fromLatin1(png.toHex().left(128))));
}

TEST_F(RichTextBoxTest, PastingAPictureEmbedsItAndCopyingBetweenBoxesKeepsIt) {
    auto *mime = new QMimeData;
    QImage img(5, 4, QImage::Format_RGB32);
    img.fill(Qt::green);
    mime->setImageData(img);
    QApplication::clipboard()->setMimeData(mime);
    box.paste();
    EXPECT_EQ(box.Text(), QString(QChar(QChar::ObjectReplacementCharacter)));
    EXPECT_TRUE(box.TextRTF().contains(QStringLiteral("\\pngblip\\picw5\\pich4")));

    box.setSelText(QStringLiteral(" x"));
    box.selectAll();
    box.copy();
    RichTextBox other;
    other.paste();
    EXPECT_EQ(other.TextRTF(), box.TextRTF());
}

} // namespace
