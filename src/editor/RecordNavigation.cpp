#include "editor/RecordNavigation.h"

#include "core/AppState.h"
#include "core/SettingsRows.h"
#include "core/mCommon.h"
#include "core/modMain.h"
#include "editor/NameEdit.h"
#include "editor/RecordDisplay.h"
#include "editor/SaveCommand.h"
#include "platform/db/DbError.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "songlist/NameList.h"
#include "songlist/ShowCategoryAssign.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace editor {

namespace ui = platform::ui;
namespace db = platform::db;
using mCommon::TrimBlanks;
using songlist::NameList;

namespace {

const QString kRecordId = QStringLiteral("RecordID");

QString withoutLeadingBlanks(const QString &text) {
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    return text.mid(i);
}

void showError(const std::exception &e) {
    ui::msgBox(db::errorText(e), ui::Buttons::OK, ui::Icon::None, QStringLiteral("Error"));
}

// The save the record commands begin with: true when they may go on (written, or nothing to
// write), false when it refused or failed, or its failure closed the window.
bool savedBeforeLeaving(NameEdit &w) {
    const SaveCommand::Result r = SaveCommand(w).save(false);
    if (r == SaveCommand::Result::Refused || r == SaveCommand::Result::Failed || !ui::isLoaded(&w))
        return false;
    core::g().RecordChanged = false;
    return true;
}

} // namespace

QString RecordNavigation::deleteSql() { return QStringLiteral("DELETE FROM tblContacts WHERE RecordID = ?"); }

void RecordNavigation::blankTextBoxes(NameEdit &w) {
    // The window's own boxes in their order; an editable combo box's inner box is not one.
    for (QObject *child : w.children()) {
        if (auto *box = qobject_cast<QLineEdit *>(child)) {
            if (box->isReadOnly()) // a confirmation shown for a moment, not a field
                continue;
            if (box->objectName().startsWith(QLatin1String("txtPic")) ||
                !box->property(NameEdit::FieldLabelProperty).toBool())
                NameEdit::setBoxText(box, QString());
        } else if (auto *text = qobject_cast<QPlainTextEdit *>(child)) {
            text->clear();
        }
    }
}

// ============================================================================ add new

void RecordNavigation::showAddMode() {
    w_.cmdEditTags->setEnabled(false);
    w_.cmdBrowsePath->setText(QStringLiteral("Browse"));
    w_.cmdBrowseFile->setText(QStringLiteral("Browse"));
    w_.setWindowTitle(QStringLiteral("Add a New Record"));
    core::g().EditingExistingRecord = false;
    w_.cmdCategories->hide();
    w_.cmdWebLookup->hide();
    w_.cmdPlay->setEnabled(false);
}

void RecordNavigation::cmdAddNew_Click() {
    auto &s = core::g();
    try {
        if (s.RecordChanged && !savedBeforeLeaving(w_))
            return;
        showAddMode();
        if (s.TemplateRecordId > 0) {
            s.LocateCriteria = QStringLiteral("RecordID = ") + QString::number(s.TemplateRecordId);
            NameList *main = NameList::instance();
            if (main && main->Data1->findFirst(s.LocateCriteria)) {
                // The template gives everything but the song's own name, ID, BPM and genre;
                // blanking a box that held a value marks the new record changed.
                w_.MoveDataToForm();
                NameEdit::setBoxText(w_.txtSongName, QString());
                NameEdit::setBoxText(w_.txtID, QString());
                NameEdit::setBoxText(w_.txtBPM, QString());
                w_.cmbGenre->setCurrentIndex(-1);
                w_.cmbGenre->setEditText(QString());
            } else {
                // Deleted, or not in the grid's view: a blank record, and no template for the
                // rest of the run (the settings row stays as it is).
                s.TemplateRecordId = 0;
                blankTextBoxes(w_);
                w_.cmbRating->setCurrentIndex(-1);
                const QString genre = w_.cmbGenre->currentText();
                w_.cmbGenre->setCurrentIndex(-1);
                w_.cmbGenre->setEditText(genre);
            }
        } else {
            blankTextBoxes(w_);
            w_.cmbRating->setCurrentIndex(-1);
            w_.cmbGenre->setCurrentIndex(-1);
            w_.cmbGenre->setEditText(QString());
            s.RecordChanged = false;
        }
        w_.lblDateUpdated->clear(); // neither the previous song's nor the template's
        w_.rememberStartValues();
        w_.txtSongName->setFocus();
    } catch (const std::exception &e) {
        showError(e);
        ui::setMousePointer(ui::MousePointer::Default);
        w_.close();
    }
}

// ============================================================================ next and previous

bool RecordNavigation::gridIsEmpty() {
    NameList *main = NameList::instance();
    if (main && main->Data1->recordCount() >= 1)
        return false;
    ui::msgBox(QStringLiteral("There are no records to display in the current selection.  Add some records first."),
               ui::Buttons::OK, ui::Icon::Information, QStringLiteral("No records to display"));
    return true;
}

bool RecordNavigation::leaveShownRecord() {
    auto &s = core::g();
    if (gridIsEmpty())
        return false;
    if (s.RecordChanged) {
        if (withoutLeadingBlanks(w_.txtSongName->text()).isEmpty()) {
            ui::msgBox(QStringLiteral("You have made changes to the existing record, but it cannot be saved because "
                                      "it does not have a Song Name."),
                       ui::Buttons::OK, ui::Icon::Exclamation, QStringLiteral("Critical data was not supplied"));
            return false;
        }
        // A saved song the view no longer lists may have been its last row.
        if (!savedBeforeLeaving(w_) || gridIsEmpty())
            return false;
    }
    w_.setWindowTitle(QStringLiteral("View/Edit an Existing Record"));
    s.EditingExistingRecord = true;
    return true;
}

void RecordNavigation::step(Step direction) {
    try {
        if (!leaveShownRecord())
            return;
        ui::DataControl &data = mainGrid();
        db::Recordset &rows = *data.recordset();
        if (direction == Step::Next) {
            data.moveNext();
            if (rows.eof())
                data.moveLast();
        } else {
            const QVariant leaving = rows.value(kRecordId);
            data.movePrevious();
            if (rows.bof()) {
                // The first row is shown even when it was shown already: a save must never
                // write what the window holds (a new record, or a saved song the view no
                // longer lists) over a row the window does not show.
                data.moveFirst();
            } else {
                // In a view listing one song in several rows, leaving a row of the first row's
                // song goes to the first row.
                const db::Bookmark previous = rows.bookmark();
                data.moveFirst();
                if (rows.value(kRecordId) != leaving)
                    data.setBookmark(previous);
            }
        }
        w_.cmdCategories->show();
        w_.cmdWebLookup->show();
        w_.MoveDataToForm();
    } catch (const std::exception &e) {
        ui::msgBox(db::errorText(e), ui::Buttons::OK, ui::Icon::None);
    }
}

void RecordNavigation::cmdNext_Click() { step(Step::Next); }
void RecordNavigation::cmdPrev_Click() { step(Step::Previous); }

// ============================================================================ delete

void RecordNavigation::cmdDelete_Click() {
    auto &s = core::g();
    if (!s.EditingExistingRecord) {
        ui::msgBox(QStringLiteral("You cannot delete a record before you add it!"), ui::Buttons::OK,
                   ui::Icon::Critical, QStringLiteral("New record not saved yet"));
        return;
    }
    if (withoutLeadingBlanks(w_.txtSongName->text()).isEmpty()) {
        ui::msgBox(QStringLiteral("Name is blank."), ui::Buttons::OK, ui::Icon::Information,
                   QStringLiteral("No record deleted"));
        return;
    }
    try {
        ui::DataControl &data = mainGrid();
        db::Recordset &rows = *data.recordset();
        const QString name = TrimBlanks(modMain::NullToEmpty(rows.value(QStringLiteral("SongName"))).toString());
        if (ui::msgBox(QStringLiteral("Are you sure you want to delete this record?\r") + name, ui::Buttons::YesNo,
                       ui::Icon::Question, QStringLiteral("Confirmation"), ui::DefaultButton::First) != ui::Answer::Yes)
            return;
        const QVariant id = rows.value(kRecordId);
        // The song shown afterwards: the next row, or the previous one after the last. A row
        // of the same song (a view listing it twice) goes with it, so it is passed over.
        const int idField = rows.fieldOrdinal(kRecordId);
        const long here = rows.absolutePosition(), count = rows.recordCount();
        QVariant neighbour;
        for (long p = here + 1; p < count && !neighbour.isValid(); ++p)
            if (rows.valueAt(p, idField) != id)
                neighbour = rows.valueAt(p, idField);
        for (long p = here - 1; p >= 0 && !neighbour.isValid(); --p)
            if (rows.valueAt(p, idField) != id)
                neighbour = rows.valueAt(p, idField);

        data.database()->execute(deleteSql(), QVariantList{id});
        ui::HourglassPointer hourglass;
        data.refresh();
        if (!neighbour.isValid() || data.recordCount() < 1) {
            // The song was the view's only one: nothing is left to show or to save.
            s.RecordChanged = false;
            w_.close();
            return;
        }
        data.findFirst(QStringLiteral("RecordID = ") + neighbour.toString());
        w_.MoveDataToForm();
    } catch (const std::exception &e) {
        ui::setMousePointer(ui::MousePointer::Default);
        showError(e);
    }
}

// ============================================================================ template

void RecordNavigation::writeTemplate(long recordId) {
    core::SettingsRows::write(QString::fromLatin1(core::SettingsRows::TemplateRecordId), QString::number(recordId));
    core::g().TemplateRecordId = recordId;
}

void RecordNavigation::cmdMakeDefault_Click() {
    if (!core::g().EditingExistingRecord) {
        ui::msgBox(QStringLiteral("You must save this record first before you can make it the default template."),
                   ui::Buttons::OK, ui::Icon::None, QStringLiteral("Must save record first"));
        return;
    }
    try {
        writeTemplate(long(mainGrid().recordset()->value(kRecordId).toLongLong()));
    } catch (const std::exception &e) {
        showError(e);
        return;
    }
    ui::msgBox(QStringLiteral("This record will be used as a template for new records.  All data in this record "
                              "(except the Name and ID fields) will now appear in new records."),
               ui::Buttons::OK, ui::Icon::None, QStringLiteral("Template Saved"));
}

void RecordNavigation::cmdClearDefault_Click() {
    try {
        writeTemplate(0);
    } catch (const std::exception &e) {
        core::g().TemplateRecordId = 0;
        showError(e);
        return;
    }
    ui::msgBox(QStringLiteral("Template reset to original default."), ui::Buttons::OK, ui::Icon::None,
               QStringLiteral("Template Cleared"));
}

void RecordNavigation::cmdCategories_Click() {
    try {
        modMain::ShowCategoryAssign();
    } catch (const std::exception &e) {
        ui::setMousePointer(ui::MousePointer::Default);
        showError(e);
    }
}

} // namespace editor
