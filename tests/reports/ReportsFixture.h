#pragma once
// The main window with the reports registered, over songs each test adds itself, and helpers
// that read the report window's box back: its text, where the form feeds stand and the
// attributes of the text at a position.
#include "songlist/SongListFixture.h"

#include "core/AppState.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/MousePointer.h"
#include "reports/Reports.h"
#include "reports/RichTextForm.h"
#include "songlist/OtherWindows.h"

#include <QLocale>
#include <QPushButton>
#include <QStringList>

// The folders the save dialogs asked so far started in, in order.
inline QStringList saveDialogStarts(const platform::ui::ScriptedPrompts &prompts) {
    QStringList starts;
    for (const auto &a : prompts.asked())
        if (a.kind == platform::ui::ScriptedPrompts::Asked::Kind::SaveFile)
            starts << a.file.initialDir;
    return starts;
}

class ReportsTest : public SongListTest {
protected:
    void SetUp() override {
        SongListTest::SetUp();
        reports::registerWindows();
        core::g().ReportLinesPerPage = QStringLiteral("54");
    }
    void TearDown() override {
        songlist::OtherWindows::clear();
        reports::RichTextForm::setScreenOverride(std::nullopt);
        QLocale::setDefault(savedLocale_);
        SongListTest::TearDown();
    }

    void song(const QString &name, const QVariant &artist, const QVariantMap &more = {}) {
        QVariantMap f = more;
        f.insert(QStringLiteral("SongName"), name);
        if (!artist.isNull())
            f.insert(QStringLiteral("Artist"), artist);
        addSong(f);
    }
    // Shows the grid on this record source.
    void view(const QString &recordSource) {
        w->Data1->setRecordSource(recordSource);
        w->Data1->refresh();
    }

    reports::RichTextForm *report() const { return platform::ui::findForm<reports::RichTextForm>(); }
    platform::richtext::RichTextBox &box() const { return *report()->RichTextBox; }
    QString text() const { return box().Text(); }
    // The report's lines without the form feeds.
    QStringList lines() const {
        QString t = text();
        t.remove(QChar(12));
        return t.split(QLatin1Char('\n'));
    }
    // Positions of the form feeds.
    QList<int> feeds() const {
        QList<int> out;
        const QString t = text();
        for (int i = 0; i < t.size(); ++i)
            if (t.at(i) == QChar(12))
                out << i;
        return out;
    }
    struct Attr {
        long color;
        bool bold;
        double size;
        QString font;
    };
    Attr at(int pos) const {
        box().setSelStart(pos);
        box().setSelLength(1);
        Attr a{box().SelColor().value_or(-1), box().SelBold().value_or(false), box().SelFontSize().value_or(-1),
               box().SelFontName().value_or(QString())};
        box().setSelLength(0);
        return a;
    }
    int indexOf(const QString &s) const { return int(text().indexOf(s)); }

    void setLocale(QLocale::Language l, QLocale::Territory t) { QLocale::setDefault(QLocale(l, t)); }

private:
    QLocale savedLocale_;
};
