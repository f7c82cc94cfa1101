#include "categories/CriteriaForm.h"

#include "categories/CriteriaText.h"
#include "categories/SavedFilters.h"
#include "categories/WindowKit.h"
#include "core/AppState.h"
#include "core/mCommon.h"
#include "core/modMain.h"
#include "platform/db/Collations.h"
#include "platform/db/Database.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/PromptService.h"
#include "songlist/NameList.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>

#include <algorithm>
#include <stdexcept>

namespace categories {

namespace ui = platform::ui;
using kit::guarded;
using kit::make;

namespace {

// A list box that keeps its entries in the catalogue's case-blind text order: a new entry goes
// behind the entries that sort at or before it.
void addSorted(QListWidget *list, const QString &text) {
    int at = list->count();
    for (int i = 0; i < list->count(); ++i) {
        if (platform::db::jet::compareText(list->item(i)->text(), text) > 0) {
            at = i;
            break;
        }
    }
    list->insertItem(at, text);
}

QLabel *label(QWidget *parent, const char *name, int left, int top, int width, int height, const QString &caption) {
    auto *l = make<QLabel>(parent, name, left, top, width, height, caption);
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(true);
    return l;
}

bool isEnterKey(const QKeyEvent *k) {
    return (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && !(k->modifiers() & Qt::ControlModifier);
}

songlist::NameList &mainWindow() {
    auto *w = songlist::NameList::instance();
    if (!w)
        throw std::runtime_error("The main window is not loaded.");
    return *w;
}

} // namespace

const QStringList &CriteriaForm::ratings() {
    static const QStringList items = {QStringLiteral(" "),   QStringLiteral("*"),    QStringLiteral("**"),
                                      QStringLiteral("***"), QStringLiteral("****"), QStringLiteral("***** ")};
    return items;
}

CriteriaForm::CriteriaForm(QWidget *parent) : Form<QDialog>(parent) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(QStringLiteral("Specify Record Filter"));
    ui::setClientSizeTwips(this, 9720, 8520);

    Label1 = label(this, "Label1", 120, 120, 9480, 480,
                   QStringLiteral("Specify your criteria for limiting the records displayed.  For example, if you want "
                                  "to see all songs with a rating of 4 or 5 stars, your statement will look like this:"));
    Label2 = label(this, "Label2", 480, 600, 9120, 255, QStringLiteral(" Rating = \"****\" or Rating = \"*****\""));
    Label3 = label(this, "Label3", 120, 900, 9480, 480,
                   QStringLiteral("To see all songs with \"Love\" in the title by artists whose name starts with \"Bob\", "
                                  "your statement will look like this:"));
    Label4 = label(this, "Label4", 480, 1380, 9120, 255, QStringLiteral("SongName like \"*love*\" and Artist like \"bob*\""));
    Label5 = label(this, "Label5", 120, 1680, 9480, 255,
                   QStringLiteral("If a Category is displayed, just that Category will be filtered."));
    Label6 = label(this, "Label6", 120, 1935, 9480, 480,
                   QStringLiteral("You have the full power of SQL (Structured Query Language).  See the List of Saved "
                                  "Filters for more examples."));

    lblCriteria = label(this, "lblCriteria", 120, 2430, 5880, 255, QStringLiteral("Type your Criteria below:"));
    txtCriteria = make<QPlainTextEdit>(this, "txtCriteria", 120, 2685, 5880, 1185);
    txtCriteria->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtCriteria->setTabChangesFocus(true);  // Tab moves on, as in every other box
    lblFieldNames = label(this, "lblFieldNames", 6240, 2430, 3360, 480,
                          QStringLiteral("Double click a Field Name to copy it to the Criteria box."));
    listFieldNames = make<QListWidget>(this, "listFieldNames", 6240, 2910, 3360, 1410);

    lblGenre = label(this, "lblGenre", 120, 4020, 600, 255, QStringLiteral("Genre"));
    cmbGenre = make<QComboBox>(this, "cmbGenre", 720, 3960, 2640, 315);
    lblRating = label(this, "lblRating", 3480, 4020, 720, 255, QStringLiteral("Rating"));
    cmbRating = make<QComboBox>(this, "cmbRating", 4200, 3960, 1800, 315);
    cmbRating->setEditable(true);
    cmbRating->setInsertPolicy(QComboBox::NoInsert);
    cmbRating->setCompleter(nullptr);
    cmbRating->addItems(ratings());
    cmbRating->setCurrentIndex(-1);
    cmbRating->setEditText(QString());

    cmdAddCriteria = make<QPushButton>(this, "cmdAddCriteria", 120, 4440, 1800, 375, QStringLiteral("Add Criteria"));
    cmdCurrentAlbum =
        make<QPushButton>(this, "cmdCurrentAlbum", 2040, 4440, 2640, 375, QStringLiteral("Show Current Album Only"));
    cmdRestore = make<QPushButton>(this, "cmdRestore", 4800, 4440, 2640, 375, QStringLiteral("Restore Previous Criteria"));
    cmdApplyCriteria = make<QPushButton>(this, "cmdApplyCriteria", 120, 4980, 1800, 495, QStringLiteral("&Apply Filter"));
    cmdApplyCriteria->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    cmdApplyCriteria->setToolTip(QStringLiteral(
        "Returns to the previous screen, displaying only those records that meet the criteria specified."));
    cmdClear = make<QPushButton>(this, "cmdClear", 2040, 4980, 1320, 495, QStringLiteral("Clear Filter"));
    cmdShowAll = make<QPushButton>(this, "cmdShowAll", 3480, 4980, 1800, 495, QStringLiteral("Show All &Records"));
    cmdExit = make<QPushButton>(this, "cmdExit", 5400, 4980, 840, 495, QStringLiteral("E&xit"));
    cmdExit->setToolTip(QStringLiteral("Returns to the previous screen."));

    lblSavedFilters = label(this, "lblSavedFilters", 120, 5640, 9480, 255,
                            QStringLiteral("List of Saved Filters.  Click on any Filter to display it's criteria."));
    listFilters = make<QListWidget>(this, "listFilters", 120, 5940, 7080, 2460);
    cmdSaveFilter = make<QPushButton>(this, "cmdSaveFilter", 7320, 5940, 2280, 375, QStringLiteral("&Save Filter"));
    cmdRenameFilter = make<QPushButton>(this, "cmdRenameFilter", 7320, 6420, 2280, 375, QStringLiteral("Rename Filter"));
    cmdDeleteFilter = make<QPushButton>(this, "cmdDeleteFilter", 7320, 6900, 2280, 375, QStringLiteral("&Delete Filter"));
    cmdSaveFilter->setEnabled(false);
    cmdRenameFilter->setEnabled(false);
    cmdDeleteFilter->setEnabled(false);
    cmdAddCriteria->setEnabled(false);
    // Enter belongs to the criteria box and the lists, never to a default button.
    for (auto *b : findChildren<QPushButton *>())
        b->setAutoDefault(false);

    const auto on = [this](QPushButton *b, void (CriteriaForm::*handler)()) {
        connect(b, &QPushButton::clicked, this, [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    on(cmdAddCriteria, &CriteriaForm::cmdAddCriteria_Click);
    on(cmdCurrentAlbum, &CriteriaForm::cmdCurrentAlbum_Click);
    on(cmdRestore, &CriteriaForm::cmdRestore_Click);
    on(cmdApplyCriteria, &CriteriaForm::cmdApplyCriteria_Click);
    on(cmdClear, &CriteriaForm::cmdClear_Click);
    on(cmdShowAll, &CriteriaForm::cmdShowAll_Click);
    on(cmdExit, &CriteriaForm::cmdExit_Click);
    on(cmdSaveFilter, &CriteriaForm::cmdSaveFilter_Click);
    on(cmdRenameFilter, &CriteriaForm::cmdRenameFilter_Click);
    on(cmdDeleteFilter, &CriteriaForm::cmdDeleteFilter_Click);
    connect(txtCriteria, &QPlainTextEdit::textChanged, this, [this] { txtCriteria_Change(); });
    connect(listFieldNames, &QListWidget::itemDoubleClicked, this, [this] { listFieldNames_DblClick(); });
    connect(cmbGenre, &QComboBox::activated, this, [this] { cmbGenre_Click(); });
    connect(cmbRating, &QComboBox::activated, this, [this] { cmbRating_Click(); });
    connect(cmbRating->lineEdit(), &QLineEdit::textEdited, this, [this] { cmbRating_Change(); });
    // A click on the chosen entry shows its criteria again, as a new choice does.
    connect(listFilters, &QListWidget::itemSelectionChanged, this, [this] { guarded([this] { listFilters_Click(); }); });
    connect(listFilters, &QListWidget::itemClicked, this, [this] { guarded([this] { listFilters_Click(); }); });
    txtCriteria->installEventFilter(this);
    listFieldNames->installEventFilter(this);
    cmbRating->installEventFilter(this);

    guarded([this] { Form_Load(); });
}

CriteriaForm::~CriteriaForm() = default;

void CriteriaForm::Form_Load() {
    auto &s = core::g();
    auto &w = mainWindow();
    if (s.Db) {
        auto genres = s.Db->openRecordset(QStringLiteral("SELECT Genre FROM tblContacts GROUP BY Genre"));
        for (; genres->recordCount() > 0 && !genres->eof(); genres->moveNext()) {
            const QVariant genre = genres->value(0);
            if (!genre.isNull() && CriteriaText::afterBlank(genre.toString()))
                cmbGenre->addItem(genre.toString());
        }
        genres->close();
    }
    cmbGenre->setCurrentIndex(-1);
    if (w.Data1->recordCount() > 0)
        cmdCurrentAlbum->setToolTip(w.currentText(QStringLiteral("AlbumName")));
    else
        cmdCurrentAlbum->setToolTip(QStringLiteral("No current album"));
    cmdRestore->setToolTip(s.LastCriteriaText);
    ui::centreOnScreen(this);
    cmdRestore->setVisible(CriteriaText::afterBlank(mCommon::TrimBlanks(s.LastCriteriaText)));
    filter_ = std::make_unique<RecordFilter>(w);
    FirstActivation = true;
    const bool hasText = CriteriaText::afterBlank(mCommon::TrimBlanks(criteria()));
    cmdClear->setEnabled(hasText);
    cmdApplyCriteria->setEnabled(hasText);
    kit::applyScreenFont(this, {}, s.ScreenFontName);
}

void CriteriaForm::showEvent(QShowEvent *e) {
    Form<QDialog>::showEvent(e);
    guarded([this] { Form_Activate(); });
}

void CriteriaForm::Form_Activate() {
    // Later activations follow every box this window shows and must leave the lists alone.
    if (!FirstActivation)
        return;
    FirstActivation = false;
    if (auto *rs = mainWindow().Data1->recordset()) {
        for (int i = 0; i < rs->fieldCount(); ++i) {
            const QString field = rs->fieldName(i);
            if (CriteriaText::offersField(field))
                addSorted(listFieldNames, field);
        }
    }
    for (const QString &name : SavedFilters::names())
        addSorted(listFilters, name);
    listFilters->setCurrentRow(-1);
}

QString CriteriaForm::criteria() const { return txtCriteria->toPlainText(); }

void CriteriaForm::setCriteria(const QString &text, bool caretAtEnd) {
    const int caret = txtCriteria->textCursor().position();
    txtCriteria->setPlainText(text);
    QTextCursor c = txtCriteria->textCursor();
    c.setPosition(caretAtEnd ? int(text.size()) : std::min(caret, int(text.size())));
    txtCriteria->setTextCursor(c);
}

// ---------------------------------------------------------------- building the criteria

void CriteriaForm::listFieldNames_DblClick() {
    auto *item = listFieldNames->currentItem();
    if (!item)
        return;
    setCriteria(criteria() + item->text() + QLatin1Char(' '), false);
    txtCriteria->setFocus();
    cmdSaveFilter->setEnabled(true);
}

void CriteriaForm::listFieldNames_KeyPress(int &KeyAscii) {
    if (KeyAscii != 13)
        return;
    KeyAscii = 0;
    auto *item = listFieldNames->currentItem();
    if (!item)
        return;
    setCriteria(criteria() + item->text() + QLatin1Char(' '), false);
    txtCriteria->setFocus();
}

void CriteriaForm::enableGenreRatingCommands(const QString &text) {
    if (text.isEmpty())
        return;
    cmdAddCriteria->setEnabled(true);
    cmdClear->setEnabled(true);
}

void CriteriaForm::cmbGenre_Click() { enableGenreRatingCommands(cmbGenre->currentText()); }
void CriteriaForm::cmbRating_Click() { enableGenreRatingCommands(cmbRating->currentText()); }
void CriteriaForm::cmbRating_Change() { enableGenreRatingCommands(cmbRating->currentText()); }
void CriteriaForm::cmbRating_GotFocus() { modMain::ShowComboDropDown(cmbRating); }

void CriteriaForm::cmdAddCriteria_Click() {
    setCriteria(CriteriaText::addGenreAndRating(criteria(), cmbGenre->currentText(), cmbRating->currentText()), false);
    if (!CriteriaText::afterBlank(mCommon::TrimBlanks(criteria())))
        return;
    cmdApplyCriteria->setEnabled(true);
    cmdClear->setEnabled(true);
    cmdSaveFilter->setEnabled(true);
    cmdAddCriteria->setEnabled(false);
    cmbGenre->setCurrentIndex(-1);
    cmbRating->setCurrentIndex(-1);
    cmbRating->setEditText(QString());
    setCriteria(criteria(), true);
}

void CriteriaForm::cmdCurrentAlbum_Click() {
    auto &w = mainWindow();
    if (w.Data1->recordCount() <= 0)
        return;
    const QString album = w.currentText(QStringLiteral("AlbumName"));
    const QString artist = w.currentText(QStringLiteral("Artist"));
    setCriteria(CriteriaText::withTerm(criteria(), CriteriaText::albumTerm(album, artist)), false);
    if (!CriteriaText::afterBlank(mCommon::TrimBlanks(criteria())))
        return;
    cmdClear->setEnabled(true);
    cmdSaveFilter->setEnabled(true);
    setCriteria(criteria(), true);
}

void CriteriaForm::cmdRestore_Click() {
    setCriteria(core::g().LastCriteriaText, true);
    cmdClear->setEnabled(true);
    txtCriteria->setFocus();
}

void CriteriaForm::cmdClear_Click() {
    setCriteria(QString(), false);
    cmbGenre->setCurrentIndex(-1);
    cmbRating->setCurrentIndex(-1);
    cmbRating->setEditText(QString());
    cmdClear->setEnabled(false);
    cmdAddCriteria->setEnabled(false);
    cmdApplyCriteria->setEnabled(false);
}

void CriteriaForm::txtCriteria_Change() {
    const bool hasText = !criteria().isEmpty();
    cmdSaveFilter->setEnabled(hasText);
    cmdApplyCriteria->setEnabled(hasText);
}

void CriteriaForm::txtCriteria_KeyPress(int &KeyAscii) {
    if (KeyAscii != 13)
        return;
    KeyAscii = 0;
    guarded([this] { cmdApplyCriteria_Click(); });
}

// ---------------------------------------------------------------- applying

void CriteriaForm::cmdApplyCriteria_Click() {
    if (!filter_)
        return;
    switch (filter_->apply(criteria())) {
    case RecordFilter::Result::Applied:
        close();
        break;
    case RecordFilter::Result::NoRecords:
    case RecordFilter::Result::Invalid:
        txtCriteria->setFocus();
        break;
    case RecordFilter::Result::Cleared:
    case RecordFilter::Result::Failed:
        break;
    }
}

void CriteriaForm::cmdShowAll_Click() {
    close();
    auto &w = mainWindow();
    w.ShowAllMenu_Click();
    w.Table1->setFocus();
}

void CriteriaForm::cmdExit_Click() {
    core::g().LastCriteriaText = criteria();
    close();
}

// ---------------------------------------------------------------- saved filters

QListWidgetItem *CriteriaForm::chosenFilter() const {
    auto *item = listFilters->currentItem();
    return item && item->isSelected() ? item : nullptr;
}

void CriteriaForm::listFilters_Click() {
    auto *item = chosenFilter();
    if (!item)
        return;
    cmdDeleteFilter->setEnabled(true);
    cmdRenameFilter->setEnabled(true);
    if (const auto text = SavedFilters::criteria(item->text())) {
        setCriteria(*text, false);
        cmdClear->setEnabled(true);
    }
}

void CriteriaForm::cmdSaveFilter_Click() {
    if (mCommon::TrimBlanks(criteria()).isEmpty()) {
        ui::msgBox(QStringLiteral("You must supply Criteria in order to save a Filter."), ui::Buttons::OK,
                   ui::Icon::None, QStringLiteral("Criteria Required"));
        txtCriteria->setFocus();
        cmdSaveFilter->setEnabled(false);
        return;
    }
    const auto *item = chosenFilter();
    QString name;
    if (SavedFilters::save(criteria(), item ? item->text() : QString(), &name) == SavedFilters::Saved::Added)
        addSorted(listFilters, name);
}

void CriteriaForm::cmdRenameFilter_Click() {
    auto *item = chosenFilter();
    if (!item) {
        ui::msgBox(QStringLiteral("You must select a Filter to rename."), ui::Buttons::OK, ui::Icon::Critical,
                   QStringLiteral("No Filter selected to rename"));
        listFilters->setFocus();
        return;
    }
    if (const auto renamed = SavedFilters::rename(item->text()))
        item->setText(*renamed);
}

void CriteriaForm::cmdDeleteFilter_Click() {
    auto *item = chosenFilter();
    if (!item) {
        ui::msgBox(QStringLiteral("You must select a previously saved Filter to delete."), ui::Buttons::OK,
                   ui::Icon::Critical, QStringLiteral("No Filter selected to delete"));
        listFilters->setFocus();
        return;
    }
    if (!SavedFilters::remove(item->text()))
        return;
    // No entry is chosen after a deletion: the list must not move to another entry and show
    // its criteria.
    const QSignalBlocker quiet(listFilters);
    delete listFilters->takeItem(listFilters->row(item));
    listFilters->clearSelection();
    listFilters->setCurrentRow(-1);
}

// ---------------------------------------------------------------- keys and focus

void CriteriaForm::keyPressEvent(QKeyEvent *e) {
    // The window has no Cancel button: Escape does nothing (a dialog's own Escape would hide the
    // window without unloading it, so the next opening would not start afresh).
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    Form<QDialog>::keyPressEvent(e);
}

bool CriteriaForm::eventFilter(QObject *watched, QEvent *e) {
    if (e->type() == QEvent::KeyPress && isEnterKey(static_cast<QKeyEvent *>(e))) {
        int key = 13;
        if (watched == txtCriteria)
            txtCriteria_KeyPress(key);
        else if (watched == listFieldNames)
            guarded([&] { listFieldNames_KeyPress(key); });
        if (key == 0)
            return true;
    }
    if (e->type() == QEvent::FocusIn && watched == cmbRating) {
        // Focus coming back from the box's own list must not drop the list again.
        const auto reason = static_cast<QFocusEvent *>(e)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            cmbRating_GotFocus();
    }
    return Form<QDialog>::eventFilter(watched, e);
}

} // namespace categories
