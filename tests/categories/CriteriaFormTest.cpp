// The filter window: the record sources it puts on the main grid, with and without a category
// and an order of the user's own; texts the database cannot read and filters that find nothing,
// which leave the grid and every part of its record source as they were; the terms its buttons
// build; which commands are enabled when; the last criteria text; the saved filters.
#include "CategoriesFixture.h"

#include "categories/CategoryView.h"
#include "categories/CriteriaForm.h"
#include "categories/CriteriaText.h"
#include "core/SettingsRows.h"
#include "platform/db/Collations.h"
#include "platform/ui/MousePointer.h"
#include "songlist/RecordSourceParts.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using categories::CriteriaForm;
using songlist::RecordSourceParts;
namespace ui = platform::ui;

namespace {

class CriteriaFormTest : public CategoriesTest {
protected:
    void SetUp() override {
        CategoriesTest::SetUp();
        auto &db = *core::g().Db;
        db.execute(QStringLiteral("Update tblContacts Set Genre='Pop', Rating='*****', Year='1977' Where Artist='ABBA'"));
        db.execute(QStringLiteral("Update tblContacts Set Genre='Rock', Rating='***', Year='1965' Where Artist='Beatles'"));
        db.execute(QStringLiteral("Update tblContacts Set Genre='Rock', Year='1999' Where SongName='zebra'"));
        db.execute(QStringLiteral("Update tblContacts Set Year='1976' Where SongName='Cherry'"));
    }
    // Loads the filter window over the main window and runs its first activation.
    CriteriaForm *openForm() {
        if (!w)
            open();
        f = ui::form<CriteriaForm>();
        f->Form_Activate();
        return f;
    }
    bool formLoaded() const { return ui::findForm<CriteriaForm>() != nullptr; }
    void type(const QString &text) { f->txtCriteria->setPlainText(text); }
    // Types the text and applies it.
    void apply(const QString &text) {
        type(text);
        f->cmdApplyCriteria_Click();
    }
    void showCategory(qint64 number, const QString &name) { categories::CategoryView(*w).showCategory(number, name); }
    // Song names of the grid, in its order.
    QString songs() {
        QStringList out;
        auto *rs = w->Data1->recordset();
        if (!rs || rs->recordCount() == 0)
            return {};
        const auto here = rs->bookmark();
        for (rs->moveFirst(); !rs->eof(); rs->moveNext())
            out << rs->value(QStringLiteral("SongName")).toString();
        rs->setBookmark(here);
        return out.join(u'|');
    }
    QStringList items(QListWidget *list) const {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
    void choose(QListWidget *list, const QString &text) {
        const auto found = list->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text.toStdString();
        list->setCurrentItem(found.first());
    }
    void addFilter(const QString &name, const QString &criteria) {
        core::g().Db->execute(QStringLiteral("Insert Into tblSettings (Type, Name, Setting8) Values ('FILTER', ?, ?)"),
                              QVariantList{name, criteria});
    }
    QString filters() {
        QStringList out;
        auto rs = core::g().Db->openRecordset(
            QStringLiteral("Select Name, Setting8 from tblSettings Where Type='FILTER' Order By Name"));
        for (; rs->recordCount() > 0 && !rs->eof(); rs->moveNext())
            out << rs->value(0).toString() + QStringLiteral("=") + rs->value(1).toString();
        return out.join(u'|');
    }
    QString enabled() const {
        return QString::fromLatin1("%1%2%3%4")
            .arg(f->cmdApplyCriteria->isEnabled() ? 'A' : '-')
            .arg(f->cmdClear->isEnabled() ? 'C' : '-')
            .arg(f->cmdSaveFilter->isEnabled() ? 'S' : '-')
            .arg(f->cmdAddCriteria->isEnabled() ? 'D' : '-');
    }

    CriteriaForm *f = nullptr;
};

const QString kSongSort = QStringLiteral(" Order By SongName, Artist");

// ---------------------------------------------------------------- record sources

struct Shape {
    bool category;
    const char *criteria;
    const char *source;  // %1 = the grid's sort tail
    const char *where;
    const char *songs;
};

class RecordSourceShapes : public CriteriaFormTest, public ::testing::WithParamInterface<Shape> {};

TEST_P(RecordSourceShapes, AreBuiltExactlyAndShowTheirSongs) {
    const Shape &c = GetParam();
    const qint64 fruit = addCategory(QStringLiteral("Fruit"), 7);
    for (const char *song : {"Apple Pie", "Cherry", "Banana Split"})
        link(recordIdOf(QString::fromLatin1(song)), fruit);
    link(recordIdOf(QStringLiteral("Cherry")), addCategory(QStringLiteral("Red")));  // a second link
    open();
    if (c.category)
        showCategory(fruit, QStringLiteral("Fruit"));
    openForm();
    apply(QString::fromUtf8(c.criteria));

    const auto &s = core::g();
    EXPECT_EQ(source(), QString::fromUtf8(c.source).arg(kSongSort));
    EXPECT_EQ(s.WhereClause, QString::fromUtf8(c.where));
    EXPECT_EQ(s.CriteriaClause, QStringLiteral(" (Artist like \"a*\" Or Artist = \"Beatles\") "));
    EXPECT_EQ(s.CategoryClause, c.category ? QStringLiteral(" CategoryNumber = 7 ") : QString());
    EXPECT_EQ(songs(), QString::fromUtf8(c.songs));
    EXPECT_FALSE(formLoaded());
    EXPECT_TRUE(prompts.asked().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, RecordSourceShapes,
    ::testing::Values(
        Shape{false, "  Artist like \"a*\" Or Artist = \"Beatles\"  ",
              "Select distinctrow * from  tblContacts Where  (Artist like \"a*\" Or Artist = \"Beatles\") %1",
              " Where  (Artist like \"a*\" Or Artist = \"Beatles\") ", "Apple Pie|Banana Split|Cherry"},
        Shape{false, "Artist like \"a*\" Or Artist = \"Beatles\" ORDER BY Year",
              "Select distinctrow * from  tblContacts Where  (Artist like \"a*\" Or Artist = \"Beatles\")  ORDER BY Year",
              " Where  (Artist like \"a*\" Or Artist = \"Beatles\") ", "Banana Split|Cherry|Apple Pie"},
        Shape{true, "Artist like \"a*\" Or Artist = \"Beatles\"",
              "Select distinctrow * from  qryContacts Where  (Artist like \"a*\" Or Artist = \"Beatles\")  And "
              "(CategoryNumber = 7) %1",
              " Where  (Artist like \"a*\" Or Artist = \"Beatles\")  And (CategoryNumber = 7) ",
              "Apple Pie|Banana Split|Cherry"},
        Shape{true, "Artist like \"a*\" Or Artist = \"Beatles\" ORDER BY Year",
              "Select distinctrow * from  qryContacts Where  (Artist like \"a*\" Or Artist = \"Beatles\")  And "
              "(CategoryNumber = 7)  ORDER BY Year",
              " Where  (Artist like \"a*\" Or Artist = \"Beatles\")  And (CategoryNumber = 7) ",
              "Banana Split|Cherry|Apple Pie"}));

TEST_F(CriteriaFormTest, OrderByInsideAQuotedValueIsPartOfTheCondition) {
    addSong({{"SongName", QStringLiteral("In order by design")}, {"Artist", QStringLiteral("Neat")}});
    addSong({{"SongName", QStringLiteral("It's 'order by' again")}, {"Artist", QStringLiteral("Neat")}});
    openForm();
    apply(QStringLiteral("SongName like \"*order by*\" order by SongName DESC"));
    EXPECT_EQ(songs(), QStringLiteral("It's 'order by' again|In order by design"));
    EXPECT_EQ(core::g().CriteriaClause, QStringLiteral(" (SongName like \"*order by*\") "));
    EXPECT_EQ(categories::CriteriaText::split(QStringLiteral("A = 'x''order by' ORDER BY B")).orderBy,
              QStringLiteral("ORDER BY B"));
    EXPECT_EQ(categories::CriteriaText::split(QStringLiteral("A = \"x\"\"order by\"")).orderBy, QString());
}

// ---------------------------------------------------------------- failures leave everything

struct BadText {
    const char *name;
    QString text;
};
void PrintTo(const BadText &b, std::ostream *os) { *os << b.name; }

class TextsTheDatabaseCannotRead : public CriteriaFormTest, public ::testing::WithParamInterface<BadText> {};

TEST_P(TextsTheDatabaseCannotRead, GiveInvalidSyntaxAndChangeNothing) {
    const qint64 fruit = addCategory(QStringLiteral("Fruit"));
    for (const char *song : {"Apple Pie", "Cherry", "Banana Split"})
        link(recordIdOf(QString::fromLatin1(song)), fruit);
    open();
    showCategory(fruit, QStringLiteral("Fruit"));
    const RecordSourceParts before = RecordSourceParts::capture();
    const QString sourceBefore = source();
    openForm();
    apply(GetParam().text);

    ASSERT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(lastBox().title, QStringLiteral("Invalid syntax"));
    EXPECT_EQ(lastBox().text, QStringLiteral("The criteria you specified are invalid.  Try again."));
    EXPECT_EQ(lastBox().icon, ui::Icon::Exclamation);
    EXPECT_EQ(RecordSourceParts::capture(), before);
    EXPECT_EQ(source(), sourceBefore);
    EXPECT_EQ(songs(), QStringLiteral("Apple Pie|Banana Split|Cherry"));
    EXPECT_TRUE(formLoaded());
    EXPECT_EQ(f->criteria(), GetParam().text) << "the text stays for the user to mend";
    EXPECT_EQ(ui::mousePointer(), ui::MousePointer::Default);
    EXPECT_EQ(value(QStringLiteral("Select count(*) from tblContacts")), QStringLiteral("10"));
    EXPECT_EQ(value(QStringLiteral("Select count(*) from tblSettings Where Type='CATEGORY'")), QStringLiteral("1"));
    EXPECT_TRUE(core::g().LastCriteriaText.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, TextsTheDatabaseCannotRead,
    ::testing::Values(
        BadText{"blanks", QStringLiteral("   ")},
        BadText{"leading order by", QStringLiteral("order by Year")},
        BadText{"no parse", QStringLiteral("Artist = = \"x\"")},
        BadText{"unknown field", QStringLiteral("Singer = \"ABBA\"")},
        BadText{"tail of an unknown field", QStringLiteral("Artist = \"ABBA\" order by Singer")},
        BadText{"statement after a parenthesis", QStringLiteral("1=1) ; DELETE FROM tblContacts ; --")},
        BadText{"statement in the tail", QStringLiteral("Artist = \"ABBA\" order by Year; drop table tblSettings")},
        BadText{"comment", QStringLiteral("Artist = \"ABBA\" -- all")},
        BadText{"second select", QStringLiteral("Artist = \"ABBA\") Union Select * From tblSettings Where (1=1")},
        BadText{"condition leaving its parentheses", QStringLiteral("1=1) Or (1=1")},
        BadText{"condition leaving them before its tail", QStringLiteral("Artist = \"ABBA\") Or (1=1 order by Year")},
        BadText{"100 KB", QStringLiteral("Artist = \"") + QString(100 * 1024, u'x')},
        BadText{"deep nesting", QString(100000, u'(') + QStringLiteral("Artist = \"ABBA\"") + QString(100000, u')')}));

TEST_F(CriteriaFormTest, TwoAlbumPressesGiveInvalidSyntax) {
    openForm();
    f->cmdCurrentAlbum_Click();
    f->cmdCurrentAlbum_Click();
    ASSERT_EQ(f->criteria(), QStringLiteral("AlbumName=\"Arrival\" And Artist=\"ABBA\" Order By TrackNum  And "
                                            "AlbumName=\"Arrival\" And Artist=\"ABBA\" Order By TrackNum "));
    f->cmdApplyCriteria_Click();
    EXPECT_EQ(lastBox().title, QStringLiteral("Invalid syntax"));
    EXPECT_EQ(count(), 10);
}

TEST_F(CriteriaFormTest, EnterInAnEmptyBoxOnlyEmptiesTheCriteriaClause) {
    openForm();
    apply(QStringLiteral("Artist = \"ABBA\""));
    const QString filtered = source();
    openForm();
    QTest::keyClick(f->txtCriteria, Qt::Key_Return);
    const auto &s = core::g();
    EXPECT_TRUE(s.CriteriaClause.isEmpty());
    EXPECT_EQ(s.WhereClause, QStringLiteral(" Where  (Artist = \"ABBA\") "));
    EXPECT_EQ(source(), filtered);
    EXPECT_EQ(count(), 2);
    EXPECT_TRUE(formLoaded());
    EXPECT_TRUE(prompts.asked().isEmpty());
    EXPECT_EQ(f->criteria(), QString()) << "Enter puts no line break in the box";
}

TEST_F(CriteriaFormTest, EnterInTheBoxAppliesWithoutALineBreak) {
    openForm();
    type(QStringLiteral("Artist = \"Zed\""));
    QTest::keyClick(f->txtCriteria, Qt::Key_Enter);
    EXPECT_EQ(songs(), QStringLiteral("zebra"));
    EXPECT_EQ(core::g().LastCriteriaText, QStringLiteral("Artist = \"Zed\""));
    EXPECT_FALSE(formLoaded());
}

TEST_F(CriteriaFormTest, NothingFoundInACategoryViewPutsTheCategoryBackWithEveryPart) {
    const qint64 fruit = addCategory(QStringLiteral("Fruit"));
    const qint64 red = addCategory(QStringLiteral("Red"));
    for (const char *song : {"Apple Pie", "Cherry", "Banana Split"})
        link(recordIdOf(QString::fromLatin1(song)), fruit);
    link(recordIdOf(QStringLiteral("Cherry")), red);
    open();
    showCategory(fruit, QStringLiteral("Fruit"));
    const RecordSourceParts before = RecordSourceParts::capture();
    const QString sourceBefore = source();
    openForm();
    apply(QStringLiteral("Artist = \"Nobody\""));

    EXPECT_EQ(lastBox().title, QStringLiteral("No records found"));
    EXPECT_EQ(lastBox().text, QStringLiteral("No records found that meet the criteria you specified.  Try again."));
    EXPECT_EQ(lastBox().icon, ui::Icon::Exclamation);
    EXPECT_EQ(RecordSourceParts::capture(), before);
    EXPECT_EQ(source(), sourceBefore);
    EXPECT_TRUE(formLoaded());
    f->cmdExit_Click();
    // The next sort is built from the parts: still the category, each song once.
    w->setSortText(QStringLiteral("Artist"));
    EXPECT_EQ(songs(), QStringLiteral("Apple Pie|Cherry|Banana Split"));
    EXPECT_EQ(w->lblCategory->text(), QStringLiteral("Fruit"));
}

TEST_F(CriteriaFormTest, AFailureOverAnEarlierFilterPutsThatFilterBack) {
    openForm();
    apply(QStringLiteral("Artist like \"D*\""));
    ASSERT_EQ(count(), 3);
    const RecordSourceParts before = RecordSourceParts::capture();
    const QString sourceBefore = source();
    for (const char *text : {"Artist = \"Nobody\"", "Artist = ", "Foo(Artist) = 1"}) {
        SCOPED_TRACE(text);
        openForm();
        apply(QString::fromLatin1(text));
        EXPECT_EQ(RecordSourceParts::capture(), before);
        EXPECT_EQ(source(), sourceBefore);
        EXPECT_EQ(songs(), QStringLiteral("Dup|Dup|Dup"));
        EXPECT_TRUE(w->lblFilterMsg->isVisibleTo(w));
        EXPECT_EQ(w->lblFilterMsg->text(), QStringLiteral("Filter is limiting records displayed."));
        f->close();
    }
}

TEST_F(CriteriaFormTest, AnUnknownFunctionIsAnErrorWithItsNumber) {
    openForm();
    apply(QStringLiteral("Foo(Artist) = 1"));
    EXPECT_EQ(lastBox().title, QStringLiteral("Error"));
    EXPECT_EQ(lastBox().icon, ui::Icon::Critical);
    EXPECT_EQ(lastBox().text, QStringLiteral("Undefined function 'Foo' in expression.  Error number:3085"));
    EXPECT_EQ(count(), 10);
    EXPECT_TRUE(core::g().WhereClause.isEmpty());
    EXPECT_TRUE(formLoaded());
}

// A chain of Or terms beyond the engine's expression depth gave an "Error" box holding the
// whole internal statement.
TEST_F(CriteriaFormTest, AConditionOfTooManyTermsSaysSo) {
    const auto chain = [](int terms) {
        return QStringLiteral("Year = \"1\" Or ").repeated(terms - 1) + QStringLiteral("Artist = \"ABBA\"");
    };
    QString nested = QStringLiteral("Artist = \"ABBA\"");  // short chains nested: the tree is deep
    for (int level = 0; level < 180; ++level)
        nested = chain(7) + QStringLiteral(" Or (") + nested + u')';
    for (const QString &condition : {chain(1000), chain(1001), chain(5000), nested}) {
        SCOPED_TRACE(condition.size());
        prompts.clear();
        openForm();
        apply(condition);
        ASSERT_EQ(prompts.asked().size(), 1);
        EXPECT_EQ(lastBox().text,
                  QStringLiteral("The condition is too long (more than about 1,000 terms).  Try again."));
        EXPECT_EQ(lastBox().title, QStringLiteral("Invalid syntax"));
        EXPECT_EQ(lastBox().icon, ui::Icon::Exclamation);
        EXPECT_EQ(count(), 10);
        EXPECT_TRUE(core::g().WhereClause.isEmpty());
        f->close();
    }
}

// A NUL cut the statement short (a syntax error); a lone surrogate became "?", which matched
// every song. Neither character is in any song, so nothing is found.
TEST_F(CriteriaFormTest, ANulOrALoneSurrogateInAValueFindsNothing) {
    for (const QChar c : {QChar(0), QChar(0xD800), QChar(0xDC00)}) {
        SCOPED_TRACE(int(c.unicode()));
        prompts.clear();
        openForm();
        apply(QStringLiteral("SongName like \"*") + c + QStringLiteral("*\" Or Artist = \"") + c +
              QStringLiteral("\""));
        ASSERT_EQ(prompts.asked().size(), 1);
        EXPECT_EQ(lastBox().title, QStringLiteral("No records found"));
        EXPECT_EQ(count(), 10);
        f->close();
    }
}

TEST_F(CriteriaFormTest, AFilterThatFindsSongsTellsTheMainWindow) {
    open();
    w->setCategoryCaption(QStringLiteral("Records containing Dup"));
    w->cmdShowArtistSongs->setText(QStringLiteral("Show all songs by Dupes"));
    openForm();
    apply(QStringLiteral("Artist = \"ABBA\"  "));
    EXPECT_TRUE(w->lblFilterMsg->isVisibleTo(w));
    EXPECT_EQ(w->lblFilterMsg->text(), QStringLiteral("Filter is limiting records displayed."));
    EXPECT_EQ(w->lblCategory->text(), QString());
    EXPECT_EQ(w->cmdShowArtistSongs->text(), QString());
    EXPECT_EQ(core::g().LastCriteriaText, QStringLiteral("Artist = \"ABBA\"  ")) << "as typed, not trimmed";

    // A category's name stays.
    const qint64 jazz = addCategory(QStringLiteral("Jazz"));
    link(recordIdOf(QStringLiteral("Cherry")), jazz);
    showCategory(jazz, QStringLiteral("Jazz"));
    openForm();
    apply(QStringLiteral("Year > \"1900\""));
    EXPECT_EQ(w->lblCategory->text(), QStringLiteral("Jazz"));
    EXPECT_EQ(songs(), QStringLiteral("Cherry"));
}

TEST_F(CriteriaFormTest, TheMainWindowOpensItModallyAndItClosesEveryWay) {
    open();
    int shown = 0;
    ui::ScopedModalHook hook([&](QDialog *d) {
        auto *form = qobject_cast<CriteriaForm *>(d);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->windowTitle(), QStringLiteral("Specify Record Filter"));
        EXPECT_EQ(form->parentWidget(), nullptr);
        ++shown;
        form->txtCriteria->setPlainText(QStringLiteral("Artist = \"Zed\""));
        form->cmdApplyCriteria->click();
    });
    w->cmdFilter_Click();
    EXPECT_EQ(songs(), QStringLiteral("zebra"));
    w->SelectionCriteria->trigger();
    EXPECT_EQ(shown, 2);
    EXPECT_FALSE(formLoaded());
}

// ---------------------------------------------------------------- building the criteria

TEST_F(CriteriaFormTest, GenreAndFiveStarsMakeTheTermsTogether) {
    openForm();
    QStringList genres;
    for (int i = 0; i < f->cmbGenre->count(); ++i)
        genres << f->cmbGenre->itemText(i);
    EXPECT_EQ(genres, (QStringList{"Pop", "Rock"})) << "Null genres are left out";
    EXPECT_EQ(f->cmbGenre->currentIndex(), -1);
    QStringList ratings;
    for (int i = 0; i < f->cmbRating->count(); ++i)
        ratings << f->cmbRating->itemText(i);
    EXPECT_EQ(ratings, (QStringList{" ", "*", "**", "***", "****", "***** "}));

    f->cmbGenre->setCurrentIndex(0);
    f->cmbGenre_Click();
    f->cmbRating->setCurrentIndex(5);
    f->cmbRating_Click();
    f->cmdAddCriteria_Click();
    EXPECT_EQ(f->criteria(), QStringLiteral(" Genre = \"Pop\"  And Rating = \"*****\" "));
    EXPECT_EQ(enabled(), QStringLiteral("ACS-"));
    EXPECT_EQ(f->cmbGenre->currentIndex(), -1);
    EXPECT_EQ(f->cmbRating->currentText(), QString());
    EXPECT_EQ(f->txtCriteria->textCursor().position(), f->criteria().size());
    f->cmdApplyCriteria_Click();
    EXPECT_EQ(songs(), QStringLiteral("Apple Pie|Cherry"));
}

TEST_F(CriteriaFormTest, AGenreWithAQuoteIsDoubledAndFindsItsSongs) {
    core::g().Db->execute(QStringLiteral("Update tblContacts Set Genre=? Where SongName='Elder'"),
                          QVariantList{QStringLiteral("Hard \"Core\"")});
    openForm();
    f->cmbGenre->setCurrentIndex(f->cmbGenre->findText(QStringLiteral("Hard \"Core\"")));
    f->cmbGenre_Click();
    type(QStringLiteral("Year Is Null"));
    f->cmdAddCriteria_Click();
    EXPECT_EQ(f->criteria(), QStringLiteral("Year Is Null And Genre = \"Hard \"\"Core\"\"\" "));
    f->cmdApplyCriteria_Click();
    EXPECT_EQ(songs(), QStringLiteral("Elder"));
    EXPECT_EQ(categories::CriteriaText::addGenreAndRating(QString(), QStringLiteral(" "), QStringLiteral("  ** ")),
              QStringLiteral(" Rating = \"**\" "));
}

TEST_F(CriteriaFormTest, CurrentAlbumTermsDoubleQuotesAndNeedAnAlbum) {
    openForm();  // the first row: Apple Pie, ABBA, Arrival
    f->cmdCurrentAlbum_Click();
    EXPECT_EQ(f->criteria(), QStringLiteral("AlbumName=\"Arrival\" And Artist=\"ABBA\" Order By TrackNum "));
    EXPECT_EQ(f->cmdCurrentAlbum->toolTip(), QStringLiteral("Arrival"));
    f->cmdApplyCriteria_Click();
    EXPECT_EQ(songs(), QStringLiteral("Apple Pie|Cherry"));

    w->ShowAllMenu_Click();
    go(QStringLiteral("SongName = \"Elder\""));  // no artist
    openForm();
    type(QStringLiteral("Year Is Null"));
    f->cmdCurrentAlbum_Click();
    EXPECT_EQ(f->criteria(), QStringLiteral("Year Is Null And AlbumName=\"Tree\" "));
    f->close();

    core::g().Db->execute(QStringLiteral("Update tblContacts Set AlbumName=? Where Artist=?"),
                          QVariantList{QStringLiteral("The \"Q\" Album"), QStringLiteral("The \"Q\" Band")});
    w->ShowAllMenu_Click();
    go(QStringLiteral("SongName = \"Say \"\"Hi\"\"\""));
    openForm();
    f->cmdCurrentAlbum_Click();
    EXPECT_EQ(f->criteria(),
              QStringLiteral("AlbumName=\"The \"\"Q\"\" Album\" And Artist=\"The \"\"Q\"\" Band\" Order By TrackNum "));
    f->cmdApplyCriteria_Click();
    EXPECT_EQ(songs(), QStringLiteral("Say \"Hi\""));

    w->ShowAllMenu_Click();
    core::g().Db->execute(QStringLiteral("Update tblContacts Set AlbumName=' ' Where SongName='zebra'"));
    go(QStringLiteral("SongName = \"zebra\""));
    openForm();
    f->cmdCurrentAlbum_Click();
    EXPECT_EQ(f->criteria(), QString()) << "a blank album adds nothing";
    EXPECT_EQ(enabled(), QStringLiteral("----"));
}

TEST_F(CriteriaFormTest, AnEmptyCatalogueHasNoGenresAndNoCurrentAlbum) {
    core::g().Db->execute(QStringLiteral("Delete * from tblContacts"));
    openForm();
    EXPECT_EQ(f->cmbGenre->count(), 0);
    EXPECT_EQ(f->cmdCurrentAlbum->toolTip(), QStringLiteral("No current album"));
    f->cmdCurrentAlbum_Click();
    EXPECT_EQ(f->criteria(), QString());
    apply(QStringLiteral("Artist = \"x\""));
    EXPECT_EQ(lastBox().title, QStringLiteral("No records found"));
}

TEST_F(CriteriaFormTest, FieldNamesLeaveOutPicturesDescriptionsAndInternalFields) {
    openForm();
    const QStringList names = items(f->listFieldNames);
    for (const char *kept : {"AlbumName", "Artist", "SongName", "Genre", "Rating", "Year", "Date2", "Notes"})
        EXPECT_TRUE(names.contains(QString::fromLatin1(kept))) << kept;
    for (const QString &name : names) {
        EXPECT_FALSE(name.startsWith(QLatin1String("PicturePath"))) << name.toStdString();
        EXPECT_FALSE(name.endsWith(QLatin1String("Desc"))) << name.toStdString();
    }
    for (const char *left : {"Selected", "RecordID", "Lyrics", "Credits", "TrackNum", "FileSizeNum"})
        EXPECT_FALSE(names.contains(QString::fromLatin1(left))) << left;
    for (int i = 1; i < names.size(); ++i)
        EXPECT_LE(platform::db::jet::compareText(names[i - 1], names[i]), 0) << names[i].toStdString();
    // Exclusions are case-sensitive.
    EXPECT_TRUE(categories::CriteriaText::offersField(QStringLiteral("selected")));
    EXPECT_TRUE(categories::CriteriaText::offersField(QStringLiteral("picturePath1")));
    EXPECT_TRUE(categories::CriteriaText::offersField(QStringLiteral("Date2_desc")));

    // A double click or Enter appends the name and a blank; the caret stays.
    f->listFieldNames->setCurrentRow(names.indexOf(QStringLiteral("Artist")));
    f->listFieldNames_DblClick();
    f->listFieldNames->setCurrentRow(names.indexOf(QStringLiteral("Genre")));
    QTest::keyClick(f->listFieldNames, Qt::Key_Return);
    EXPECT_EQ(f->criteria(), QStringLiteral("Artist Genre "));
    EXPECT_EQ(f->txtCriteria->textCursor().position(), 0);
}

struct Step {
    const char *event;
    std::function<void(CriteriaForm *)> act;
    const char *enabled;  // Apply, Clear, Save, Add ('-' when disabled)
};

TEST_F(CriteriaFormTest, CommandsAreEnabledByWhatWasDone) {
    core::g().LastCriteriaText = QStringLiteral("Year > \"1900\"");
    const Step steps[] = {
        {"opens", [](CriteriaForm *) {}, "----"},
        {"genre chosen", [](CriteriaForm *form) { form->cmbGenre->setCurrentIndex(1); form->cmbGenre_Click(); }, "-C-D"},
        {"add criteria", [](CriteriaForm *form) { form->cmdAddCriteria_Click(); }, "ACS-"},
        {"clear", [](CriteriaForm *form) { form->cmdClear_Click(); }, "----"},
        {"rating typed", [](CriteriaForm *form) { QTest::keyClicks(form->cmbRating->lineEdit(), "**"); }, "-C-D"},
        {"clear again", [](CriteriaForm *form) { form->cmdClear_Click(); }, "----"},
        {"text typed", [](CriteriaForm *form) { QTest::keyClicks(form->txtCriteria, "Year"); }, "A-S-"},
        {"text emptied", [](CriteriaForm *form) { form->txtCriteria->clear(); }, "----"},
        {"field double-clicked", [](CriteriaForm *form) { form->listFieldNames->setCurrentRow(0); form->listFieldNames_DblClick(); }, "A-S-"},
        {"clear once more", [](CriteriaForm *form) { form->cmdClear_Click(); }, "----"},
        {"current album", [](CriteriaForm *form) { form->cmdCurrentAlbum_Click(); }, "ACS-"},
        {"clear at last", [](CriteriaForm *form) { form->cmdClear_Click(); }, "----"},
        {"restore", [](CriteriaForm *form) { form->cmdRestore_Click(); }, "ACS-"},
    };
    openForm();
    for (const Step &s : steps) {
        s.act(f);
        EXPECT_EQ(enabled(), QString::fromLatin1(s.enabled)) << s.event;
    }
    EXPECT_EQ(f->criteria(), QStringLiteral("Year > \"1900\""));
}

// ---------------------------------------------------------------- the last criteria text

TEST_F(CriteriaFormTest, LastCriteriaTextFollowsApplyAndExitOnly) {
    auto &s = core::g();
    openForm();
    EXPECT_TRUE(f->cmdRestore->isHidden());
    apply(QStringLiteral(" Artist = \"Zed\" "));
    EXPECT_EQ(s.LastCriteriaText, QStringLiteral(" Artist = \"Zed\" "));

    openForm();
    EXPECT_FALSE(f->cmdRestore->isHidden());
    EXPECT_EQ(f->cmdRestore->toolTip(), QStringLiteral(" Artist = \"Zed\" "));
    type(QStringLiteral("Typed then closed"));
    f->close();  // the close box
    EXPECT_EQ(s.LastCriteriaText, QStringLiteral(" Artist = \"Zed\" "));

    openForm();
    type(QStringLiteral("Shown all"));
    f->cmdShowAll_Click();
    EXPECT_EQ(s.LastCriteriaText, QStringLiteral(" Artist = \"Zed\" "));
    EXPECT_EQ(count(), 10);
    EXPECT_TRUE(s.WhereClause.isEmpty());
    EXPECT_FALSE(formLoaded());

    openForm();
    f->cmdRestore_Click();
    EXPECT_EQ(f->criteria(), QStringLiteral(" Artist = \"Zed\" "));
    type(QStringLiteral("Left at exit"));
    f->cmdExit_Click();
    EXPECT_EQ(s.LastCriteriaText, QStringLiteral("Left at exit"));
    EXPECT_EQ(count(), 10) << "Exit does not touch the grid";

    openForm();
    type(QStringLiteral("   "));
    f->cmdExit_Click();
    openForm();
    EXPECT_TRUE(f->cmdRestore->isHidden()) << "blanks count as no text";
    f->cmdExit_Click();
    EXPECT_EQ(s.LastCriteriaText, QString());
}

// ---------------------------------------------------------------- saved filters

TEST_F(CriteriaFormTest, SavedFiltersAreListedInTextOrderAndChoosingOneOnlyFillsTheBox) {
    addFilter(QStringLiteral("gamma"), QStringLiteral("Year > \"1990\""));
    addFilter(QStringLiteral("Beta"), QStringLiteral("Artist = \"Zed\""));
    addFilter(QStringLiteral("alpha"), QStringLiteral("Genre = \"Pop\""));
    openForm();
    EXPECT_EQ(items(f->listFilters), (QStringList{"alpha", "Beta", "gamma"}));
    EXPECT_EQ(f->listFilters->currentRow(), -1);
    EXPECT_FALSE(f->cmdRenameFilter->isEnabled());
    EXPECT_FALSE(f->cmdDeleteFilter->isEnabled());

    choose(f->listFilters, QStringLiteral("Beta"));
    EXPECT_EQ(f->criteria(), QStringLiteral("Artist = \"Zed\""));
    EXPECT_TRUE(f->cmdClear->isEnabled());
    EXPECT_TRUE(f->cmdRenameFilter->isEnabled());
    EXPECT_TRUE(f->cmdDeleteFilter->isEnabled());
    EXPECT_EQ(count(), 10) << "choosing applies nothing";
    EXPECT_TRUE(core::g().WhereClause.isEmpty());
}

TEST_F(CriteriaFormTest, SavingAsksANameAndAddsOrReplaces) {
    openForm();
    f->cmdSaveFilter_Click();
    EXPECT_EQ(lastBox().title, QStringLiteral("Criteria Required"));
    EXPECT_EQ(lastBox().text, QStringLiteral("You must supply Criteria in order to save a Filter."));
    EXPECT_EQ(lastBox().icon, ui::Icon::None);

    type(QStringLiteral("Artist = \"Zed\" "));
    prompts.answerInput(QStringLiteral("  Rock 'n' Roll  "));
    f->cmdSaveFilter_Click();
    const auto &ask = lastBox();
    EXPECT_EQ(ask.kind, ui::ScriptedPrompts::Asked::Kind::Input);
    EXPECT_EQ(ask.inputRequest.title, QStringLiteral("Filter Name"));
    EXPECT_EQ(ask.inputRequest.prompt,
              QStringLiteral("Enter a descriptive name for this Filter, then press the OK button to save it.\r\n\r\n"
                             "Descriptions can be up to 100 characters long."));
    EXPECT_EQ(ask.inputRequest.defaultText, QString());
    EXPECT_EQ(filters(), QString::fromUtf8("Rock ´n´ Roll=Artist = \"Zed\" "));
    EXPECT_EQ(items(f->listFilters), QStringList{QString::fromUtf8("Rock ´n´ Roll")});

    // The chosen filter's name is proposed; No keeps the stored text, Yes replaces it.
    choose(f->listFilters, QString::fromUtf8("Rock ´n´ Roll"));
    type(QStringLiteral("Year > \"1990\""));
    prompts.answerInput(QString::fromUtf8("Rock ´n´ Roll"));
    prompts.answer(ui::Answer::No);
    f->cmdSaveFilter_Click();
    EXPECT_EQ(prompts.asked()[prompts.asked().size() - 2].inputRequest.defaultText, QString::fromUtf8("Rock ´n´ Roll"));
    EXPECT_EQ(lastBox().title, QStringLiteral("Update confirmation"));
    EXPECT_EQ(lastBox().text, QStringLiteral("Replace existing Filter?"));
    EXPECT_EQ(lastBox().icon, ui::Icon::Question);
    EXPECT_EQ(lastBox().buttons, ui::Buttons::YesNo);
    EXPECT_EQ(lastBox().defaultButton, ui::DefaultButton::First);
    EXPECT_EQ(filters(), QString::fromUtf8("Rock ´n´ Roll=Artist = \"Zed\" "));

    prompts.answerInput(QString::fromUtf8("ROCK ´N´ ROLL"));
    prompts.answer(ui::Answer::Yes);
    f->cmdSaveFilter_Click();
    EXPECT_EQ(filters(), QString::fromUtf8("ROCK ´N´ ROLL=Year > \"1990\""));
    EXPECT_EQ(items(f->listFilters).size(), 1);

    // Cancel and blanks save nothing, without a word.
    const auto asked = prompts.asked().size();
    prompts.answerInput(std::nullopt);
    f->cmdSaveFilter_Click();
    prompts.answerInput(QStringLiteral("   "));
    f->cmdSaveFilter_Click();
    EXPECT_EQ(prompts.asked().size(), asked + 2);
    EXPECT_EQ(items(f->listFilters).size(), 1);
}

TEST_F(CriteriaFormTest, LongNamesAreCutWithANotice) {
    openForm();
    type(QStringLiteral("Year > \"1990\""));
    prompts.answerInput(QString(120, u'n'));
    f->cmdSaveFilter_Click();
    const auto &notice = prompts.asked()[1];
    EXPECT_EQ(notice.title, QStringLiteral("Name truncated to 100 characters"));
    EXPECT_EQ(notice.text,
              QStringLiteral("The name you entered for this Filter has been truncated to the maximum length of 100 characters."));
    EXPECT_EQ(notice.icon, ui::Icon::Information);
    EXPECT_EQ(filters(), QString(100, u'n') + QStringLiteral("=Year > \"1990\""));

    choose(f->listFilters, QString(100, u'n'));
    prompts.answerInput(QString(60, u'r'));
    f->cmdRenameFilter_Click();
    EXPECT_EQ(lastBox().title, QStringLiteral("Name truncated to 50 characters"));
    EXPECT_EQ(lastBox().text,
              QStringLiteral("The name you entered for this Filter has been truncated to the maximum length of 50 characters."));
    EXPECT_EQ(prompts.asked()[prompts.asked().size() - 2].inputRequest.prompt,
              QStringLiteral("Enter a new name for this Filter, then press the OK button to save it.\r\n\r\n"
                             "Descriptions can be up to 50 characters long."));
    EXPECT_EQ(filters(), QString(50, u'r') + QStringLiteral("=Year > \"1990\""));
    EXPECT_EQ(items(f->listFilters), QStringList{QString(50, u'r')});
}

TEST_F(CriteriaFormTest, RenamingToAnotherFiltersNameIsRefused) {
    addFilter(QStringLiteral("Old"), QStringLiteral("Year > \"1990\""));
    addFilter(QStringLiteral("Taken"), QStringLiteral("Artist = \"Zed\""));
    openForm();
    choose(f->listFilters, QStringLiteral("Old"));
    prompts.answerInput(QStringLiteral("TAKEN"));
    f->cmdRenameFilter_Click();
    EXPECT_EQ(lastBox().title, QStringLiteral("Filter Name"));
    EXPECT_EQ(lastBox().text, QStringLiteral("A Filter with that same name (TAKEN) already exists.  Choose a different name."));
    EXPECT_EQ(lastBox().icon, ui::Icon::Exclamation);
    EXPECT_EQ(filters(), QStringLiteral("Old=Year > \"1990\"|Taken=Artist = \"Zed\""));
    EXPECT_EQ(items(f->listFilters), (QStringList{"Old", "Taken"}));

    prompts.answerInput(QStringLiteral("OLD"));
    f->cmdRenameFilter_Click();
    EXPECT_EQ(filters(), QStringLiteral("OLD=Year > \"1990\"|Taken=Artist = \"Zed\""));
    EXPECT_EQ(items(f->listFilters), (QStringList{"OLD", "Taken"}));
    EXPECT_EQ(f->criteria(), QStringLiteral("Year > \"1990\"")) << "renaming leaves the box alone";
}

TEST_F(CriteriaFormTest, DeletingRemovesOneRowAfterAskingWithYesFirst) {
    addFilter(QStringLiteral("Twin"), QStringLiteral("Year > \"1990\""));
    addFilter(QStringLiteral("Twin"), QStringLiteral("Artist = \"Zed\""));
    addFilter(QStringLiteral("Other"), QStringLiteral("Genre = \"Pop\""));
    openForm();
    f->cmdDeleteFilter_Click();
    EXPECT_EQ(lastBox().title, QStringLiteral("No Filter selected to delete"));
    EXPECT_EQ(lastBox().text, QStringLiteral("You must select a previously saved Filter to delete."));
    EXPECT_EQ(lastBox().icon, ui::Icon::Critical);
    f->cmdRenameFilter_Click();
    EXPECT_EQ(lastBox().title, QStringLiteral("No Filter selected to rename"));
    EXPECT_EQ(lastBox().text, QStringLiteral("You must select a Filter to rename."));
    EXPECT_EQ(lastBox().icon, ui::Icon::Critical);

    f->listFilters->setCurrentRow(1);
    const QString criteria = f->criteria();
    prompts.answer(ui::Answer::No);
    f->cmdDeleteFilter_Click();
    EXPECT_EQ(lastBox().title, QStringLiteral("Delete Confirmation"));
    EXPECT_EQ(lastBox().text, QStringLiteral("Are you sure you want to delete filter: Twin?"));
    EXPECT_EQ(lastBox().icon, ui::Icon::None);
    EXPECT_EQ(lastBox().defaultButton, ui::DefaultButton::First);
    EXPECT_EQ(value(QStringLiteral("Select count(*) from tblSettings Where Type='FILTER'")), QStringLiteral("3"));

    prompts.answer(ui::Answer::Yes);
    f->cmdDeleteFilter_Click();
    EXPECT_EQ(value(QStringLiteral("Select count(*) from tblSettings Where Type='FILTER' and Name='Twin'")),
              QStringLiteral("1"));
    EXPECT_EQ(items(f->listFilters), (QStringList{"Other", "Twin"}));
    EXPECT_EQ(f->criteria(), criteria) << "the box keeps the deleted filter's text";
    EXPECT_TRUE(f->cmdDeleteFilter->isEnabled());
    f->cmdDeleteFilter_Click();
    EXPECT_EQ(lastBox().title, QStringLiteral("No Filter selected to delete")) << "no entry is chosen after a deletion";
}

} // namespace
