#include "player/frmPlayListHeader.h"

#include "core/AppState.h"
#include "platform/db/DbError.h"
#include "platform/ui/PromptService.h"
#include "player/PlayListErrors.h"
#include "player/PlayListStore.h"
#include "player/frmPlayList.h"
#include "player/PlayerTexts.h"

#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace player {

using core::g;
namespace ui = platform::ui;
namespace db = platform::db;

frmPlayListHeader::frmPlayListHeader(QWidget *parent) : Form<QDialog>(parent) {
    setWindowTitle(QStringLiteral("Play List Header"));
    lblPlayListName = ui::named(new QLabel(QStringLiteral("Play List Name"), this), "lblPlayListName", 120, 120, 1500, 255);
    txtPlayListName = ui::named(new QLineEdit(this), "txtPlayListName", 1680, 120, 4800, 315);
    lblNotes = ui::named(new QLabel(QStringLiteral("Notes"), this), "lblNotes", 120, 540, 1500, 255);
    txtNotes = ui::named(new QLineEdit(this), "txtNotes", 1680, 540, 4800, 315);
    cmdOK = ui::named(new QPushButton(QStringLiteral("&OK"), this), "cmdOK", 120, 1060, 2000, 372);
    cmdClose = ui::named(new QPushButton(QStringLiteral("&Cancel"), this), "cmdClose", 2280, 1060, 1400, 372);
    cmdDelete = ui::named(new QPushButton(QStringLiteral("&Delete Play List"), this), "cmdDelete", 3840, 1060, 2000, 372);
    for (QPushButton *b : {cmdOK, cmdClose, cmdDelete})
        b->setAutoDefault(false);
    cmdOK->setDefault(true);  // Enter in either box submits the window
    ui::setClientSizeTwips(this, 6600, 1560);
    connect(cmdOK, &QPushButton::clicked, this, guarded([this] { cmdOK_Click(); }));
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
    connect(cmdDelete, &QPushButton::clicked, this, guarded([this] { cmdDelete_Click(); }));

    // Load.
    auto &s = g();
    ui::applyScreenFont(this, s.ScreenFontName);
    frmPlayList *w = owner();
    if (s.HeaderEditMode && w) {
        txtPlayListName->setText(w->cmbHeader->currentText());
        setWindowTitle(QString::fromLatin1(EditCaption));
        cmdOK->setText(QStringLiteral("Save Changes"));
        cmdDelete->setVisible(true);
        runCommand([this, w] {
            auto rs = g().Db->openRecordset(QStringLiteral("Select * From tblPlayListHeader where ListID=") +
                                            QString::number(w->chosenListId()));
            if (!rs->eof()) {
                txtPlayListName->setText(textOf(rs->value(QStringLiteral("ListName"))));
                txtNotes->setText(textOf(rs->value(QStringLiteral("Notes"))));
                EditListID = long(rs->value(QStringLiteral("ListID")).toLongLong());
            }
            rs->close();
        });
    } else if (w && w->focusWidget() && w->focusWidget()->property("Tag").toString() == QLatin1String("Add")) {
        setWindowTitle(QString::fromLatin1(AddCaption));
        cmdOK->setText(QStringLiteral("Add New Play List"));
        cmdDelete->setVisible(false);
    }
}

frmPlayList *frmPlayListHeader::owner() const { return ui::findForm<frmPlayList>(); }

void frmPlayListHeader::cmdOK_Click() {
    const QString caption = windowTitle();
    if (caption == QLatin1String(AddCaption)) {
        if (!aboveBlank(txtPlayListName->text())) {
            ui::msgBox(QStringLiteral("You must enter a name for this new Play List."), ui::Buttons::OK,
                       ui::Icon::Exclamation, QStringLiteral("Name not specified"));
            txtPlayListName->setFocus();
            return;
        }
        txtPlayListName->setText(txtPlayListName->text().replace(QLatin1Char('"'), QLatin1Char('\'')));
        addList(trimRight(txtPlayListName->text()));
    } else if (caption == QLatin1String(EditCaption)) {
        if (EditListID <= 0 || !aboveBlank(txtPlayListName->text()))
            return;
        txtPlayListName->setText(txtPlayListName->text().replace(QLatin1Char('"'), QLatin1Char('\'')));
        saveList(trimRight(txtPlayListName->text()));
    }
}

// The name is checked as it will be stored (without trailing blanks), and the list being edited
// does not count, so "Rock " is taken beside "Rock" and a change of letter case alone saves.
static bool nameTaken(const QString &name, long exceptId) {
    if (PlayListStore::findList(*g().Db, name, exceptId) == 0)
        return false;
    ui::msgBox(QStringLiteral("A Play List already exists with this name.  Please chose another name."), ui::Buttons::OK,
               ui::Icon::Exclamation, QStringLiteral("Name already taken"));
    return true;
}

void frmPlayListHeader::addList(const QString &name) {
    auto &s = g();
    if (nameTaken(name, 0))
        return;
    auto rs = s.Db->openRecordset(QStringLiteral("select * from tblPlayListHeader Where ListID=0"));
    rs->addNew();
    rs->setValue(QStringLiteral("ListName"), name);
    rs->setValue(QStringLiteral("Notes"), txtNotes->text());
    rs->setValue(QStringLiteral("LastUpdated"), QDateTime::currentDateTime());
    rs->update();
    rs->close();
    if (frmPlayList *w = owner()) {
        w->LoadHeaderCombo();
        w->selectList(name);
    }
    s.CurrentPlayList = name;
    ui::msgBox(QStringLiteral("New play list added.\r\n(") + name + QStringLiteral(")"), ui::Buttons::OK,
               ui::Icon::None, QStringLiteral("Added"));
    close();
}

void frmPlayListHeader::saveList(const QString &name) {
    auto &s = g();
    if (nameTaken(name, EditListID))
        return;
    auto rs = s.Db->openRecordset(QStringLiteral("Select * From tblPlayListHeader where ListID=") +
                                  QString::number(EditListID));
    if (rs->eof()) {
        rs->close();
        return;
    }
    const QString oldName = textOf(rs->value(QStringLiteral("ListName")));
    rs->edit();
    rs->setValue(QStringLiteral("ListName"), name);
    rs->setValue(QStringLiteral("Notes"), txtNotes->text());
    rs->setValue(QStringLiteral("LastUpdated"), QDateTime::currentDateTime());
    rs->update();
    rs->close();
    if (s.PlayerSelectedList == oldName)
        s.PlayerSelectedList = name;
    if (frmPlayList *w = owner()) {
        w->LoadHeaderCombo();
        w->selectList(name);  // runs the selection handling: CurrentPlayList follows the rename
    }
    close();
}

void frmPlayListHeader::cmdDelete_Click() {
    auto &s = g();
    if (ui::msgBox(QStringLiteral("Are you sure you want to delete this play list?"), ui::Buttons::YesNo,
                   ui::Icon::None, QStringLiteral("Confirm Play List Deletion"),
                   ui::DefaultButton::Second) != ui::Answer::Yes)
        return;
    const QString name = txtPlayListName->text();
    QString stored;
    try {
        auto rs = s.Db->openRecordset(QStringLiteral("Select ListName From tblPlayListHeader where ListID=") +
                                      QString::number(EditListID));
        stored = rs->eof() ? name : textOf(rs->value(0));
        rs->close();
        PlayListStore::deleteList(*s.Db, EditListID);
    } catch (const db::DbError &e) {
        ui::msgBox(e.description());
        return;
    }
    // Names that point at the deleted list are forgotten.
    if (s.CurrentPlayList.compare(stored, Qt::CaseInsensitive) == 0)
        s.CurrentPlayList.clear();
    if (s.PlayerSelectedList.compare(stored, Qt::CaseInsensitive) == 0)
        s.PlayerSelectedList.clear();
    if (frmPlayList *w = owner())
        w->LoadHeaderCombo();
    close();
}

void frmPlayListHeader::cmdClose_Click() { close(); }

} // namespace player
