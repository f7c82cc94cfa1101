#include "notes/MemoForm.h"

#include "core/AppState.h"
#include "core/InputForm.h"
#include "core/SettingsRows.h"
#include "core/mCommon.h"
#include "core/modMain.h"
#include "notes/NoteFormatting.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/ui/Application.h"
#include "platform/ui/LeaveChecks.h"
#include "platform/ui/OnScreenKeyboard.h"
#include "platform/ui/PromptService.h"
#include "platform/ui/TextColours.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <cmath>

namespace notes {

namespace ui = platform::ui;
namespace db = platform::db;
using core::g;

namespace {
QString productName() { return g().ProductName; }

void trapMessage(const std::exception &e) { ui::msgBox(db::errorText(e), ui::Buttons::OK, ui::Icon::None, productName()); }

QString withoutTrailingBlanks(QString s) {
    while (!s.isEmpty() && s.back() == QLatin1Char(' '))
        s.chop(1);
    return s;
}

constexpr int kBookmark = Qt::UserRole + 1;

// A title the quote rule refuses: a quote or an apostrophe would break every lookup by title,
// and a lone surrogate has no stored form (the note would be saved under another name).
bool refusedTitle(const QString &title) { return mCommon::ContainsQuote(title) || !title.isValidUtf16(); }

} // namespace

MemoForm::MemoForm()
    : finder(TextFind::Box{[this] { return txtNotes->Text(); }, [this] { return txtNotes->SelStart(); },
                           [this] { return txtNotes->SelLength(); },
                           [this](int start, int length) {
                               txtNotes->setFocus();
                               txtNotes->setSelStart(start);
                               txtNotes->setSelLength(length);
                           }}) {
    setWindowTitle(QStringLiteral("Notes"));
    buildControls();
    finder.setFindNext(cmdFindNext);
    Form_Load();
}

MemoForm::~MemoForm() = default;

void MemoForm::buildControls() {
    auto button = [&](const char *name, const char *caption, int left, int top, int width) {
        auto *b = ui::named(new QPushButton(QString::fromUtf8(caption), this), name, left, top, width, 564);
        b->setAutoDefault(false);
        return b;
    };
    auto toggle = [&](const char *name, const QString &glyph, const char *tip, int left) {
        auto *b = ui::named(new QToolButton(this), name, left, 780, 375, 315);
        b->setText(glyph);
        b->setToolTip(QString::fromUtf8(tip));
        b->setCheckable(true);
        // Reached by Tab, but a click leaves the focus (and the selection) in the note.
        b->setFocusPolicy(Qt::TabFocus);
        return b;
    };
    const QFont tahoma(QStringLiteral("Tahoma"));
    QFont big = tahoma;
    big.setPointSizeF(10.5);

    lblTitle = ui::named(new QLabel(QStringLiteral("Note Title:"), this), "lblTitle", 384, 60, 1500, 255);
    cmbTitle = ui::named(new QComboBox(this), "cmbTitle", 324, 312, 7200, 360);
    cmbTitle->setEditable(true);
    cmbTitle->setInsertPolicy(QComboBox::NoInsert);
    cmbTitle->setFont(big);
    const QColor blue(0, 0, 192);
    ui::setBlueText(cmbTitle, blue, QPalette::Text, QPalette::Base);
    ui::setBlueText(cmbTitle, blue, QPalette::ButtonText, QPalette::Button);
    cmbTitle->lineEdit()->setPalette(cmbTitle->palette());
    cmdFindNext = button("cmdFindNext", "Find Next", 8364, 264, 1008);
    cmdFindNext->setEnabled(false);
    cmdFind = button("cmdFind", "Find", 9384, 264, 1008);

    QFont bold = tahoma;
    bold.setBold(true);
    chkBold = toggle("chkBold", QStringLiteral("B"), "Bold", 372);
    chkBold->setFont(bold);
    chkItalic = toggle("chkItalic", QStringLiteral("I"), "Italic", 792);
    QFont italic = tahoma;
    italic.setItalic(true);
    chkItalic->setFont(italic);
    chkUnderline = toggle("chkUnderline", QStringLiteral("U"), "Underline", 1212);
    QFont underline = tahoma;
    underline.setUnderline(true);
    chkUnderline->setFont(underline);
    // Drawn like the toggles; its pressed state means nothing.
    cmdPicture = toggle("cmdPicture", QString(QChar(0x25A3)), "Insert Picture", 1632);
    cmdPicture->setCheckable(false);
    lblFontColor = ui::named(new QLabel(this), "lblFontColor", 2388, 780, 2280, 315);
    QFont small = tahoma;
    small.setPointSizeF(8.25);
    lblFontColor->setFont(small);
    lblFontColor->setAutoFillBackground(true);
    QPalette label = lblFontColor->palette();
    label.setColor(QPalette::Window, Qt::white);
    label.setColor(QPalette::WindowText, Qt::black);
    lblFontColor->setPalette(label);
    cmdFontColor = toggle("cmdFontColor", QStringLiteral("A"), "Font and color", 4704);
    cmdFontColor->setCheckable(false);

    txtNotes = ui::named(new platform::richtext::RichTextBox(this), "txtNotes", 360, 1116, 10056, 6000);
    txtNotes->setFont(big);
    txtNotes->richDocument()->setDefaultFont(big);
    txtNotes->setTabChangesFocus(true);  // Tab moves on to the buttons, as in the song's notes box

    cmdDelete = button("cmdDelete", "Delete", 1800, 7224, 1530);
    cmdCancel = button("cmdCancel", "&Cancel", 3672, 7224, 1530);
    cmdCancel->setToolTip(QStringLiteral("Cancel changes"));
    cmdExit = button("cmdExit", "&Exit", 5664, 7224, 1530);
    cmdExit->setToolTip(QStringLiteral("Save and Exit"));
    cmdAdd = button("cmdAdd", "Add New Note", 7524, 7224, 1530);
    ImageKeyboard = ui::named(new QToolButton(this), "ImageKeyboard", 360, 7224, 600, 375);
    ImageKeyboard->setText(QString(QChar(0x2328)));
    ImageKeyboard->setFocusPolicy(Qt::NoFocus);
    resize(ui::twipsToPixelsX(10785), ui::twipsToPixelsY(8040));

    connect(cmbTitle, &QComboBox::activated, this, [this] { cmbTitle_Click(); });
    connect(cmdFind, &QPushButton::clicked, this, [this] { cmdFind_Click(); });
    connect(cmdFindNext, &QPushButton::clicked, this, [this] { cmdFindNext_Click(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { cmdDelete_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });
    connect(cmdAdd, &QPushButton::clicked, this, [this] { cmdAdd_Click(); });
    connect(ImageKeyboard, &QToolButton::clicked, this, [this] { ImageKeyboard_Click(); });
    connect(chkBold, &QToolButton::clicked, this, [this] { chkBold_Click(); });
    connect(chkItalic, &QToolButton::clicked, this, [this] { chkItalic_Click(); });
    connect(chkUnderline, &QToolButton::clicked, this, [this] { chkUnderline_Click(); });
    connect(cmdPicture, &QToolButton::clicked, this, [this] { cmdPicture_Click(); });
    connect(cmdFontColor, &QToolButton::clicked, this, [this] { cmdFontColor_Click(); });
    connect(txtNotes, &platform::richtext::RichTextBox::Change, this, [this] { txtNotes_MarkChanged(); });
    connect(txtNotes, &platform::richtext::RichTextBox::SelChange, this, [this] { txtNotes_ShowSelectionFormat(); });

    // Leaving the title box renames the note; Cancel closes without that check.
    checks_ = new ui::LeaveChecks(this);
    checks_->setCheck(cmbTitle, [this] { return cmbTitle_Validate(); });
    checks_->setCausesChecks(cmbTitle->lineEdit(), false);
    checks_->setCausesChecks(cmdCancel, false);
    cmbTitle->installEventFilter(this);
    setTabOrder(cmbTitle, cmdFindNext);
    setTabOrder(cmdFindNext, cmdFind);
    setTabOrder(cmdFind, chkBold);
    setTabOrder(chkBold, chkItalic);
    setTabOrder(chkItalic, chkUnderline);
    setTabOrder(chkUnderline, cmdPicture);
    setTabOrder(cmdPicture, cmdFontColor);
    setTabOrder(cmdFontColor, txtNotes);
    setTabOrder(txtNotes, cmdDelete);
    setTabOrder(cmdDelete, cmdCancel);
    setTabOrder(cmdCancel, cmdExit);
    setTabOrder(cmdExit, cmdAdd);
}

bool MemoForm::hasRows() const { return NoteRecords && NoteRecords->isOpen() && NoteRecords->recordCount() > 0; }

int MemoForm::entryOf(const db::Bookmark &note) const {
    if (note.isEmpty())
        return -1;
    for (int i = 0; i < cmbTitle->count(); ++i)
        if (cmbTitle->itemData(i, kBookmark).toByteArray() == note)
            return i;
    return -1;
}

// The list sorts as the store orders titles: without regard to case, then exactly.
int MemoForm::insertSorted(const QString &title, const db::Bookmark &note) {
    int at = 0;
    while (at < cmbTitle->count()) {
        const QString other = cmbTitle->itemText(at);
        const int c = QString::compare(title, other, Qt::CaseInsensitive);
        if (c < 0 || (c == 0 && title < other))
            break;
        ++at;
    }
    const QSignalBlocker quiet(cmbTitle);
    cmbTitle->insertItem(at, title);
    cmbTitle->setItemData(at, note, kBookmark);
    return at;
}

int MemoForm::startPosition(const QString &stored, int count) {
    bool ok = false;
    const double v = stored.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v) || v < 0 || count <= 0)
        return 0;
    const double rounded = std::nearbyint(v);
    return rounded >= count ? count - 1 : int(rounded);
}

void MemoForm::Form_Load() {
    FormLoading = true;
    auto &s = g();
    ui::centreOnScreen(this);
    if (s.TabletModeOn)
        ui::setTopTwips(this, 10);
    ImageKeyboard->setVisible(s.TabletModeOn);
    try {
        QString stored;
        {
            auto last = s.Db->openRecordset(core::SettingsRows::lastNoteReadSql());
            if (last->recordCount() > 0)
                stored = modMain::NullToEmpty(last->value(0)).toString();
        }
        NoteRecords = s.Db->openRecordset(core::SettingsRows::notesSql());
        if (NoteRecords->recordCount() == 0)
            return;
        // Quotes in a stored title would break every lookup by title: make them back-quotes.
        for (NoteRecords->moveFirst(); !NoteRecords->eof(); NoteRecords->moveNext()) {
            const QString name = modMain::NullToEmpty(NoteRecords->value(QStringLiteral("Name"))).toString();
            if (!mCommon::ContainsQuote(name))
                continue;
            QString repaired = name;
            repaired.replace(QLatin1Char('\''), QLatin1Char('`')).replace(QLatin1Char('"'), QLatin1Char('`'));
            NoteRecords->edit();
            NoteRecords->setValue(QStringLiteral("Name"), repaired);
            NoteRecords->update();
        }
        for (NoteRecords->moveFirst(); !NoteRecords->eof(); NoteRecords->moveNext())
            insertSorted(modMain::NullToEmpty(NoteRecords->value(QStringLiteral("Name"))).toString(),
                         NoteRecords->bookmark());
        const int start = startPosition(stored, cmbTitle->count());
        {
            const QSignalBlocker quiet(cmbTitle);
            cmbTitle->setCurrentIndex(start);
        }
        loadNote(cmbTitle->itemData(start, kBookmark).toByteArray());
    } catch (const std::exception &e) {
        trapMessage(e);
    }
}

void MemoForm::showEvent(QShowEvent *e) {
    Form<QDialog>::showEvent(e);
    if (!activated_)
        QTimer::singleShot(0, this, [this] { Form_Activate(); });
}

void MemoForm::Form_Activate() {
    if (!FormLoading || activated_)
        return;
    activated_ = true;
    if (!hasRows()) {
        cmbTitle->setEnabled(false);
        cmdDelete->setEnabled(false);
        cmdAdd_Click();
        if (cmbTitle->count() == 0) {
            NoteChanged = false;
            FormLoading = false;
            close();
            return;
        }
        cmbTitle->setEnabled(true);
        cmdDelete->setEnabled(true);
    }
    FormLoading = false;
    NoteChanged = false;
}

void MemoForm::loadNote(const db::Bookmark &note) {
    NoteRecords->setBookmark(note);
    current_ = note;
    txtNotes->setTextRTF(modMain::NullToEmpty(NoteRecords->value(QStringLiteral("Setting8"))).toString());
    NoteChanged = false;
    if (!txtNotes->readProblems().isEmpty())
        ui::msgBox(QStringLiteral("This note could not be read completely (") + txtNotes->readProblems().first().what +
                       QStringLiteral(").  It is shown as far as it could be read; the stored note is kept unless "
                                      "you change it."),
                   ui::Buttons::OK, ui::Icon::None, productName());
}

bool MemoForm::saveShown() {
    if (current_.isEmpty() || !NoteRecords)
        return true;
    try {
        NoteRecords->setBookmark(current_);
        NoteRecords->edit();
        NoteRecords->setValue(QStringLiteral("Setting8"), txtNotes->TextRTF());
        NoteRecords->update();
        NoteChanged = false;
        return true;
    } catch (const std::exception &e) {
        try {
            if (NoteRecords->editMode() != db::EditMode::None)
                NoteRecords->cancelUpdate();
        } catch (...) {
        }
        trapMessage(e);
        return false;
    }
}

QString MemoForm::storedName() const {
    if (current_.isEmpty())
        return {};
    NoteRecords->setBookmark(current_);
    return modMain::NullToEmpty(NoteRecords->value(QStringLiteral("Name"))).toString();
}

void MemoForm::selectNote(const db::Bookmark &note) {
    const int at = entryOf(note);
    {
        const QSignalBlocker quiet(cmbTitle);
        cmbTitle->setCurrentIndex(at);
    }
    cmbTitle_Click();
}

void MemoForm::cmbTitle_Click() {
    if (FormLoading)
        return;
    const int at = cmbTitle->currentIndex();
    if (at < 0)
        return;
    const db::Bookmark chosen = cmbTitle->itemData(at, kBookmark).toByteArray();
    if (NoteChanged && chosen != current_ && !saveShown()) {
        // The edits stay on the screen under their own title.
        const QSignalBlocker quiet(cmbTitle);
        cmbTitle->setCurrentIndex(entryOf(current_));
        return;
    }
    if (NoteChanged && chosen == current_ && !saveShown())
        return;
    try {
        loadNote(chosen);
    } catch (const std::exception &e) {
        trapMessage(e);
    }
}

void MemoForm::cmbTitle_GotFocus() { modMain::ShowComboDropDown(cmbTitle); }

bool MemoForm::cmbTitle_Validate() {
    if (current_.isEmpty() || !hasRows())
        return false;
    const QString text = cmbTitle->currentText();
    try {
        const QString name = storedName();
        if (refusedTitle(text) || text.trimmed().isEmpty()) {
            ui::msgBox(refusedTitle(text) ? QStringLiteral("Cannot use quotes or apostrophes in Note Title")
                                          : QStringLiteral("Note Title cannot be blank"),
                       ui::Buttons::OK, ui::Icon::None, productName());
            cmbTitle->setEditText(name);
            return true;
        }
        const QString newName = withoutTrailingBlanks(text);
        if (name == newName)
            return false;
        NoteRecords->edit();
        NoteRecords->setValue(QStringLiteral("Name"), newName);
        NoteRecords->update();
        {
            const QSignalBlocker quiet(cmbTitle);
            cmbTitle->removeItem(entryOf(current_));
        }
        insertSorted(text, current_);
        selectNote(current_);
    } catch (...) {
        ui::Application::reportUncaught(std::current_exception());
        return true;
    }
    return false;
}

bool MemoForm::titleAccepted() {
    if (current_.isEmpty() || !hasRows())
        return true;
    return !cmbTitle_Validate();
}

bool MemoForm::eventFilter(QObject *watched, QEvent *event) {
    if (watched == cmbTitle && event->type() == QEvent::FocusIn) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::MouseFocusReason)
            cmbTitle_GotFocus();
    }
    return Form<QDialog>::eventFilter(watched, event);
}

void MemoForm::cmdAdd_Click() {
    if (!NoteRecords || !titleAccepted())
        return;
    const QString answer =
        modMain::ShowInputForm(QStringLiteral("Enter a Title for this new note."), QStringLiteral("New Note"));
    if (QString::compare(answer, QStringLiteral(" "), Qt::CaseSensitive) <= 0)
        return;
    if (refusedTitle(answer)) {
        ui::msgBox(QStringLiteral("Cannot use quotes or apostrophes in Note Title"), ui::Buttons::OK, ui::Icon::None,
                   productName());
        return;
    }
    if (NoteChanged && !saveShown())
        return;
    for (int i = 0; i < cmbTitle->count(); ++i)
        if (cmbTitle->itemText(i) == answer) {
            ui::msgBox(QStringLiteral("A note with that same name (") + answer +
                           QStringLiteral(") already exists.  Choose a different name."),
                       ui::Buttons::OK, ui::Icon::None, productName());
            return;
        }
    try {
        NoteRecords->addNew();
        NoteRecords->setValue(QStringLiteral("Type"), QString::fromLatin1(core::SettingsRows::Note));
        NoteRecords->setValue(QStringLiteral("Name"), withoutTrailingBlanks(answer));
        txtNotes->setTextRTF(QString());
        NoteRecords->update();
        NoteChanged = false;
        current_ = NoteRecords->lastModified();
        NoteRecords->setBookmark(current_);
        insertSorted(answer, current_);
        selectNote(current_);
        txtNotes->setFocus();
    } catch (...) {
        try {
            if (NoteRecords && NoteRecords->editMode() != db::EditMode::None)
                NoteRecords->cancelUpdate();
        } catch (...) {
        }
        ui::Application::reportUncaught(std::current_exception());
    }
}

void MemoForm::cmdDelete_Click() {
    if (!hasRows() || !titleAccepted())
        return;
    if (ui::msgBox(QStringLiteral("Are you sure you want to delete this note?"), ui::Buttons::YesNo,
                   ui::Icon::Question, QStringLiteral("Confirmation"), ui::DefaultButton::First) != ui::Answer::Yes)
        return;
    try {
        NoteRecords->setBookmark(current_);
        NoteRecords->deleteRecord();
        NoteRecords->moveNext();
        if (NoteRecords->recordCount() == 0) {
            NoteChanged = false;
            current_.clear();
            close();
            return;
        }
        txtNotes->setTextRTF(QString());
        NoteChanged = false;
        {
            const QSignalBlocker quiet(cmbTitle);
            cmbTitle->removeItem(entryOf(current_));
        }
        current_.clear();
        if (NoteRecords->eof()) {
            const QSignalBlocker quiet(cmbTitle);
            cmbTitle->setCurrentIndex(cmbTitle->count() - 1);
        } else {
            const QSignalBlocker quiet(cmbTitle);
            cmbTitle->setCurrentIndex(entryOf(NoteRecords->bookmark()));
        }
        cmbTitle_Click();
    } catch (...) {
        ui::Application::reportUncaught(std::current_exception());
    }
}

void MemoForm::cmdCancel_Click() {
    if (NoteChanged) {
        if (ui::msgBox(QStringLiteral("Lose any changes?"), ui::Buttons::YesNo, ui::Icon::Question,
                       QStringLiteral("Confirmation"), ui::DefaultButton::First) != ui::Answer::Yes)
            return;
        NoteChanged = false;
    }
    cancelling_ = true;
    close();
    cancelling_ = false;
}

// Esc runs Cancel. QDialog's own close handling rejects too, while the window closes: that
// reject only hides it.
void MemoForm::reject() {
    if (closing_)
        Form<QDialog>::reject();
    else
        cmdCancel_Click();
}

void MemoForm::cmdExit_Click() { close(); }

void MemoForm::closeEvent(QCloseEvent *e) {
    // Exit and the close box save; a title typed but not yet checked is checked first, and a
    // save that fails keeps the window open on the note and its edits.
    if (!cancelling_ && hasRows() && !current_.isEmpty()) {
        if (!titleAccepted() || (NoteChanged && !saveShown())) {
            e->ignore();
            return;
        }
    }
    closing_ = true;
    Form<QDialog>::closeEvent(e);
    closing_ = false;
}

void MemoForm::formUnload() {
    finder.FindText.clear();
    FormLoading = false;
    try {
        const int at = cmbTitle->currentIndex();
        core::SettingsRows::writeBySelect(core::SettingsRows::lastNoteWriteSql(),
                                          core::SettingsRow{QString::fromLatin1(core::SettingsRows::LastNote),
                                                            QString::number(at < 0 ? 0 : at), {}, {}});
    } catch (const std::exception &ex) {
        trapMessage(ex);
    }
    NoteChanged = false;
}

void MemoForm::cmdFind_Click() {
    if (titleAccepted())
        finder.cmdFind_Click();
}

void MemoForm::cmdFindNext_Click() {
    if (titleAccepted())
        finder.cmdFindNext_Click();
}

void MemoForm::ImageKeyboard_Click() {
    if (g().TabletModeOn)
        ui::startOnScreenKeyboard();
}

void MemoForm::resizeEvent(QResizeEvent *e) {
    Form<QDialog>::resizeEvent(e);
    Form_Resize();
}

void MemoForm::Form_Resize() {
    const QRect frame = frameGeometry();
    const double height = ui::pixelsToTwipsY(frame.height());
    const double width = ui::pixelsToTwipsX(frame.width());
    auto twips = [](QWidget *w) { return ui::pixelsToTwipsX(w->width()); };
    auto place = [](QWidget *w, double l, double t, double wd, double ht) {
        ui::placeTwips(w, int(std::lround(l)), int(std::lround(t)), int(std::lround(wd)), int(std::lround(ht)));
    };
    auto leftOf = [](QWidget *w) { return ui::pixelsToTwipsX(w->x()); };
    auto topOf = [](QWidget *w) { return ui::pixelsToTwipsY(w->y()); };
    auto heightOf = [](QWidget *w) { return ui::pixelsToTwipsY(w->height()); };
    if (height > 1600) {
        place(txtNotes, leftOf(txtNotes), topOf(txtNotes), twips(txtNotes), height - 2515);
        for (QWidget *b : {cmdExit, cmdCancel, cmdAdd, cmdDelete})
            place(b, leftOf(b), height - 1200, twips(b), heightOf(b));
    }
    if (width > 1200) {
        place(txtNotes, leftOf(txtNotes), topOf(txtNotes), width - 900, heightOf(txtNotes));
        const double exitLeft = width / 2 + 150;
        const double cancelLeft = width / 2 - twips(cmdCancel) - 150;
        place(cmdExit, exitLeft, topOf(cmdExit), twips(cmdExit), heightOf(cmdExit));
        place(cmdCancel, cancelLeft, topOf(cmdCancel), twips(cmdCancel), heightOf(cmdCancel));
        place(cmdAdd, exitLeft + twips(cmdExit) + 300, topOf(cmdAdd), twips(cmdAdd), heightOf(cmdAdd));
        place(cmdDelete, cancelLeft - twips(cmdCancel) - 300, topOf(cmdDelete), twips(cmdDelete), heightOf(cmdDelete));
    }
    place(ImageKeyboard, leftOf(txtNotes), topOf(cmdExit), twips(ImageKeyboard), heightOf(ImageKeyboard));
}

// ---------------------------------------------------------------- formatting row
void MemoForm::chkBold_Click() { NoteFormatting(*this).chkBold_Click(); }
void MemoForm::chkItalic_Click() { NoteFormatting(*this).chkItalic_Click(); }
void MemoForm::chkUnderline_Click() { NoteFormatting(*this).chkUnderline_Click(); }
void MemoForm::cmdFontColor_Click() { NoteFormatting(*this).cmdFontColor_Click(); }
void MemoForm::cmdPicture_Click() { NoteFormatting(*this).cmdPicture_Click(); }
void MemoForm::txtNotes_MarkChanged() { NoteChanged = true; }
void MemoForm::txtNotes_ShowSelectionFormat() { NoteFormatting(*this).txtNotes_ShowSelectionFormat(); }

} // namespace notes
