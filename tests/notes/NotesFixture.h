#pragma once
// The titled notes window over a catalogue holding the notes a test puts in; helpers read the
// stored rows straight from tblSettings.
#include "common/DataFolderTest.h"

#include "notes/MemoForm.h"
#include "platform/richtext/RichTextBox.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

class MemoTest : public DataFolderTest {
protected:
    void addNote(const QString &title, const QVariant &text) {
        core::g().Db->execute(QStringLiteral("Insert Into tblSettings (Type, Name, Setting8) Values ('NOTE', ?, ?)"),
                              QVariantList{title, text});
    }
    void setLastNote(const QString &name) {
        core::g().Db->execute(QStringLiteral("Insert Into tblSettings (Type, Name) Values ('LASTNOTE', ?)"),
                              QVariantList{name});
    }
    // Loads the window and runs its first activation, as the modal show does.
    notes::MemoForm *openMemo() {
        m = platform::ui::form<notes::MemoForm>();
        m->Form_Activate();
        return m;
    }
    bool memoLoaded() {
        platform::ui::flushUnloadedForms();
        return platform::ui::findForm<notes::MemoForm>() != nullptr;
    }
    // Every NOTE row as "Name=plain text of Setting8" (Null shows as <null>), ordered by rowid.
    QStringList stored() {
        QStringList out;
        auto rs = core::g().Db->openRecordset(QStringLiteral("Select Name, Setting8 from tblSettings Where Type='NOTE'"));
        for (; !rs->eof(); rs->moveNext()) {
            const QVariant v = rs->value(1);
            QString text = QStringLiteral("<null>");
            if (!v.isNull()) {
                platform::richtext::RichTextBox box;
                box.setTextRTF(v.toString());
                text = box.Text();
            }
            out << rs->value(0).toString() + QLatin1Char('=') + text;
        }
        return out;
    }
    QString storedRtf(const QString &title) {
        auto rs = core::g().Db->openRecordset(
            QStringLiteral("Select Setting8 from tblSettings Where Type='NOTE' And Name=?"), QVariantList{title});
        return rs->value(0).toString();
    }
    QString lastNote() {
        auto rs = core::g().Db->openRecordset(QStringLiteral("Select Name from tblSettings Where Type='LASTNOTE'"));
        return rs->recordCount() ? rs->value(0).toString() : QStringLiteral("<none>");
    }
    QStringList titles() const {
        QStringList out;
        for (int i = 0; i < m->cmbTitle->count(); ++i)
            out << m->cmbTitle->itemText(i);
        return out;
    }
    int entry(const QString &title) const { return m->cmbTitle->findText(title, Qt::MatchExactly | Qt::MatchCaseSensitive); }
    // Chooses a title from the list as the user does.
    void choose(const QString &title) {
        m->cmbTitle->setCurrentIndex(entry(title));
        m->cmbTitle_Click();
    }
    void type(const QString &text) {
        m->txtNotes->moveCursor(QTextCursor::End);
        m->txtNotes->insertPlainText(text);
    }
    const platform::ui::ScriptedPrompts::Asked &lastBox() const { return *prompts.lastAsked(); }

    notes::MemoForm *m = nullptr;
};
