#include "reports/frmReplace.h"

#include "core/AppState.h"
#include "core/mCommon.h"
#include "platform/db/Database.h"
#include "platform/ui/LeaveChecks.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "reports/CleanupWindows.h"
#include "reports/ColumnTextChange.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace reports {

namespace db = platform::db;
namespace ui = platform::ui;
using cleanup::make;

namespace {

struct Option {
    QRadioButton *frmReplace::*member;
    const char *name;
    const char *caption;
    const char *field;
    const char *toolTip;
};

const QString kMiscTip = QStringLiteral("This \"Misc Field\" can be used for anything you want.");

const Option kOptions[] = {
    {&frmReplace::optPathName, "optPathName", "Path Name", "PathName",
     "The Path (disk drive and folder/sub-folder names) to the file."},
    {&frmReplace::optArtistName, "optArtistName", "Artist Name", "Artist", "The artist name"},
    {&frmReplace::optSongName, "optSongName", "Song Name", "SongName", "The song or track name/title"},
    {&frmReplace::optComposer, "optComposer", "Composer", "Composer", "The composer of the song"},
    {&frmReplace::optNotes, "optNotes", "Notes", "Notes", "The notes for each song"},
    {&frmReplace::optMiscField1, "optMiscField1", "Misc. Field 1", "MiscField1", nullptr},
    {&frmReplace::optMiscField2, "optMiscField2", "Misc. Field 2", "MiscField2", nullptr},
    {&frmReplace::optMiscField3, "optMiscField3", "Misc. Field 3", "MiscField3", nullptr},
    {&frmReplace::optCode, "optCode", "Code", "Code", "Code field - used for anything you want."},
    {&frmReplace::optMisc1Desc, "optMisc1Desc", "Misc.1 Description", "MiscField1_Desc", "Description of Misc. Field 1"},
    {&frmReplace::optMisc2Desc, "optMisc2Desc", "Misc.2 Description", "MiscField2_Desc", "Description of Misc. Field 2"},
    {&frmReplace::optMisc3Desc, "optMisc3Desc", "Misc.3 Description", "MiscField3_Desc", "Description of Misc. Field 3"},
    {&frmReplace::optID, "optID", "ID", "ID", "A unique ID value for each song"},
    {&frmReplace::optGenre, "optGenre", "Genre", "Genre", ""},
};

void removeQuotes(QLineEdit *box) {
    if (box->text().contains(QLatin1Char('"')))
        box->setText(box->text().remove(QLatin1Char('"')));
}

} // namespace

frmReplace::frmReplace(QWidget *parent) : Form<QDialog>(parent) {
    cleanup::setUpWindow(this, QStringLiteral("Search and Replace"), 8880, 5520);

    Label1 = make<QLabel>(
        this, "Label1", 120, 120, 8640, 960,
        QStringLiteral("Use this feature to change specific text in every record in your entire database where this "
                       "text is found in the field you indicate below.  Specify the original text and the replacement "
                       "text.  To change records with a totally empty or blank field, type the word NULL for the "
                       "original text.  If you want to change a field to empty or blank, type the word NULL for the "
                       "replacement text."));
    Label1->setWordWrap(true);
    lblOrigPath = make<QLabel>(this, "lblOrigPath", 120, 1200, 8640, 255,
                               QStringLiteral("Original text to find and change:   (only the characters you specify "
                                              "will be replaced in the field)"));
    txtOrig = make<QLineEdit>(this, "txtOrig", 120, 1470, 8640, 315);
    lblNewPath = make<QLabel>(this, "lblNewPath", 120, 1920, 8640, 255,
                              QStringLiteral("New replacement text:                (this text will replace the original "
                                             "characters specified above)"));
    txtNew = make<QLineEdit>(this, "txtNew", 120, 2190, 8640, 315);
    FrameSearchField = make<QGroupBox>(this, "FrameSearchField", 120, 2640, 8640, 2220,
                                       QStringLiteral("Indicate the field to search and replace:"));
    int i = 0;
    for (const Option &o : kOptions) {
        // Three columns of five, five and four options.
        const int left = 240 + (i / 5) * 2800, top = 360 + (i % 5) * 360;
        QRadioButton *b = make<QRadioButton>(FrameSearchField, o.name, left, top, 2700, 300,
                                             QString::fromLatin1(o.caption));
        b->setProperty("Field", QString::fromLatin1(o.field));
        b->setToolTip(o.toolTip ? QString::fromLatin1(o.toolTip) : kMiscTip);
        this->*o.member = b;
        ++i;
    }
    cmdOK = make<QPushButton>(this, "cmdOK", 6060, 5010, 1215, 372, QStringLiteral("OK"));
    cmdCancel = make<QPushButton>(this, "cmdCancel", 7440, 5010, 1215, 372, QStringLiteral("Cancel"));
    for (QPushButton *b : {cmdOK, cmdCancel})
        b->setAutoDefault(false);

    // The quotes go when the focus leaves a box, before a click on OK reaches the button.
    auto *checks = new ui::LeaveChecks(this);
    checks->setCheck(txtOrig, [this] {
        txtOrig_Validate();
        return false;
    });
    checks->setCheck(txtNew, [this] {
        txtNew_Validate();
        return false;
    });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    // Load: every control takes the screen font's name.
    ui::applyScreenFont(this, core::g().ScreenFontName);
}

QList<QRadioButton *> frmReplace::options() const {
    QList<QRadioButton *> list;
    for (const Option &o : kOptions)
        list << this->*o.member;
    return list;
}

QString frmReplace::chosenField() const {
    for (QRadioButton *b : options())
        if (b->isChecked())
            return b->property("Field").toString();
    return {};
}

bool frmReplace::isNullWord(const QString &text) {
    return mCommon::TrimBlanks(text).compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0;
}

void frmReplace::txtOrig_Validate() { removeQuotes(txtOrig); }
void frmReplace::txtNew_Validate() { removeQuotes(txtNew); }
void frmReplace::cmdCancel_Click() { close(); }

void frmReplace::cmdOK_Click() {
    const QString field = chosenField();
    if (field.isEmpty()) {
        ui::msgBox(QStringLiteral("You must indicate which field you want to change."), ui::Buttons::OK,
                   ui::Icon::Exclamation, QStringLiteral("Field not indicated"));
        return;
    }
    const QString T1 = txtOrig->text();
    QString T2 = txtNew->text();
    if (!cleanup::filledIn(T1) || !cleanup::filledIn(T2)) {
        ui::msgBox(QStringLiteral("Both the original text and the new replacement text must be specified.  If you "
                                  "want to find records with no data in a field or delete all data from a field, type "
                                  "the word NULL instead of leaving blank."),
                   ui::Buttons::OK, ui::Icon::Exclamation, QStringLiteral("Text not specified"));
        txtOrig->setText(mCommon::TrimBlanks(T1));
        txtNew->setText(mCommon::TrimBlanks(T2));
        return;
    }
    const bool findNull = isNullWord(T1), clearField = isNullWord(T2);
    const TextColumn column = TextColumn::songField(field);
    db::Database &database = *core::g().Db;
    try {
        const long C = findNull ? ColumnTextChange::countEmpty(database, column)
                                : ColumnTextChange::countContaining(database, column, T1);
        if (C <= 0) {
            ui::msgBox(QStringLiteral("The text you specified was not found in the selected field in any records."),
                       ui::Buttons::OK, ui::Icon::None, QStringLiteral("Not found"));
            return;
        }
        const QString count = QString::number(C);
        QString question;
        if (findNull)
            question = QStringLiteral("The number of records that contain no data in the selected field is: ") + count +
                       QStringLiteral(".  Are you sure you want to set the selected field equal to \"") + T2 +
                       QStringLiteral("\" for every one of these records in your database?");
        else if (clearField)
            question = QStringLiteral("The number of records that contain  ") + T1 + QStringLiteral("  is: ") + count +
                       QStringLiteral(".  Are you sure you want to remove the data from the selected field for every "
                                      "one of these records in your database?");
        else
            question = QStringLiteral("The number of records that contain  ") + T1 + QStringLiteral("  is: ") + count +
                       QStringLiteral(".  Are you sure you want to replace this part of the selected field with  ") +
                       T2 + QStringLiteral("  for every one of these records in your database?");
        if (!cleanup::confirmed(question))
            return;
        ui::setMousePointer(ui::MousePointer::Hourglass);
        if (clearField) {
            txtNew->clear();
            T2.clear();
        }
        {
            db::Transaction t(database);
            if (findNull)
                ColumnTextChange::fillEmpty(database, column, T2);
            else if (!T2.isEmpty())
                ColumnTextChange::replaceAll(database, column, T1, T2);
            else
                ColumnTextChange::clearContaining(database, column, T1);
            t.commit();
        }
        cleanup::refreshGrid();
        ui::setMousePointer(ui::MousePointer::Default);
        ui::msgBox(QStringLiteral("Update completed."), ui::Buttons::OK, ui::Icon::None, QStringLiteral("Finished"));
    } catch (const std::exception &e) {
        cleanup::showFailure(e);
        return;
    }
    close();
}

} // namespace reports
