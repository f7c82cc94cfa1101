// The main window's life: construction, load, activation, keys, unload and the end of the
// program, with the helpers its commands share. Its layout and menus, resize rule, views, grid
// events, record commands and options stand in the NameList*.cpp files beside this one.
#include "songlist/NameList.h"

#include "core/AppState.h"
#include "core/CatalogueInUse.h"
#include "core/MSendInput.h"
#include "core/RegistryOptions.h"
#include "core/Rnd.h"
#include "core/SettingsRows.h"
#include "core/mMouseScrollWheel.h"
#include "core/modMain.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "songlist/ColumnLayoutFile.h"
#include "songlist/CommandWiring.h"
#include "songlist/SortOrders.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTimer>
#include <cmath>
#include <cstdlib>

namespace songlist {

namespace db = platform::db;
namespace ui = platform::ui;
using core::SettingsRows;
using platform::ui::GridColumn;

namespace {

// The box that reports a database error with its number.
void showDbError(const db::DbError &e) {
    ui::setMousePointer(ui::MousePointer::Default);
    ui::msgBox(e.description() + QStringLiteral("    Error number: ") + QString::number(e.number()), ui::Buttons::OK,
               ui::Icon::Critical, QStringLiteral("Error"));
}

// The one-blank comparison the window uses to tell an empty text.
bool aboveBlank(const QString &s) { return s > QStringLiteral(" "); }

bool settingIsOn(const QString &text) {
    const QString t = text.trimmed();
    return t == QLatin1String("1") || t == QLatin1String("-1") ||
           t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0;
}

using core::RegistryOptions;
QString option(const char *key) { return RegistryOptions::get(QString::fromLatin1(key)); }

} // namespace

// ============================================================================ construction

NameList::NameList(QWidget *parent) : ui::Form<QMainWindow>(parent) {
    setObjectName(QStringLiteral("NameList"));
    buildControls();
    buildMenus();
    wireCommands();
    resize(ui::twipsToPixelsX(DesignWidth), ui::twipsToPixelsY(DesignHeight));
    setBackColor(DesignBackColor);
}

NameList::~NameList() {
    // The controls' key and click filters go before the controls: destroying a control may
    // still send it events, which must not reach a filter reading this half-destroyed window.
    delete wiring_;
    wiring_ = nullptr;
    try {
        if (mMouseScrollWheel::IsHooked(this))
            mMouseScrollWheel::WheelUnHook(this);
    } catch (...) {}
}

NameList *NameList::instance() { return ui::findForm<NameList>(); }

std::function<void()> &NameList::endProgramHook() {
    static std::function<void()> hook;
    return hook;
}

void NameList::run(const std::function<void()> &command) {
    try {
        command();
    } catch (const db::DbError &e) {
        showDbError(e);
    } catch (const std::exception &e) {
        ui::setMousePointer(ui::MousePointer::Default);
        ui::msgBox(QString::fromUtf8(e.what()), ui::Buttons::OK, ui::Icon::Critical, QStringLiteral("Error"));
    } catch (...) {
        ui::setMousePointer(ui::MousePointer::Default);
    }
}

void NameList::on(QAction *action, void (NameList::*handler)()) {
    connect(action, &QAction::triggered, this, [this, handler] { run([this, handler] { (this->*handler)(); }); });
}

void NameList::on(QAbstractButton *button, void (NameList::*handler)()) {
    connect(button, &QAbstractButton::clicked, this, [this, handler] { run([this, handler] { (this->*handler)(); }); });
}

// ============================================================================ helpers

long NameList::recordCount() const {
    try {
        openFirstContents();
        return Data1->recordCount();
    } catch (const db::DbError &) {
        return 0;
    }
}

bool NameList::isDuplicateQuery(const QString &recordSource) {
    return recordSource == QLatin1String("qryDuplicateSongs") ||
           recordSource == QLatin1String("qryShowDuplicatesToBeDeleted") ||
           recordSource == QLatin1String("qryDuplicateSongsAlbum") ||
           recordSource == QLatin1String("qryShowDuplicatesToBeDeletedAlbum");
}

bool NameList::isDuplicateView() const { return isDuplicateQuery(Data1->recordSource()); }

QString NameList::currentText(const QString &field) const {
    if (!Data1->hasCurrentRow())
        return {};
    try {
        return modMain::NullToEmpty(Data1->recordset()->value(field)).toString();
    } catch (const db::DbError &) {
        return {};
    }
}

void NameList::showArtistButton(const QString &artist, double extraTwips) {
    if (!aboveBlank(artist)) {
        cmdShowArtistSongs->hide();
        return;
    }
    QString shown = artist;
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    const QString caption = QStringLiteral("Show all songs by ") + shown;
    cmdShowArtistSongs->setText(caption);
    TwRect r = controlRect(cmdShowArtistSongs);
    r.Width = textWidthTwips(caption) + extraTwips;
    r.Left = formWidth() / 2 - r.Width / 2;
    setControlRect(cmdShowArtistSongs, r);
    cmdShowArtistSongs->show();
}

void NameList::clearArtistButton() {
    cmdShowArtistSongs->setText(QString());
    cmdShowArtistSongs->hide();
}

QString NameList::standardRecordSource() {
    const auto &s = core::g();
    return QStringLiteral("Select * from  ") + s.RecordSourceName + s.WhereClause + s.OrderByClause;
}

void NameList::setCategoryCaption(const QString &caption) { lblCategory->setText(caption); }

void NameList::lblCategory_Change() {
    const QString c = lblCategory->text();
    if (c.left(18) == QLatin1String("Records containing"))
        cmdAdd->setEnabled(false);
    else if (c.left(7) != QLatin1String("Showing"))
        cmdAdd->setEnabled(true);
}

// ============================================================================ life

void NameList::Form_Load() {
    if (loaded_)
        return;
    loaded_ = true;
    auto &s = core::g();
    if (!s.Db)
        throw db::DbError(db::err::GeneralError, QStringLiteral("The catalogue database is not open."));

    // The player's random choices draw on this generator.
    core::Randomize();

    s.RememberWindowSize = RegistryOptions::rememberWindowSize();

    // Placement.
    const QRect screen = ui::screenRect(this);
    const double screenW = ui::pixelsToTwipsX(screen.width());
    const double screenH = ui::pixelsToTwipsY(screen.height());
    auto number = [](const QString &text, double def) {
        bool ok = false;
        const float v = text.trimmed().toFloat(&ok);
        return ok ? double(v) : def;
    };
    if (s.RememberWindowSize) {
        mnuOptionWindowSize->setText(windowSizeCaption(true));
        const double top = number(option(RegistryOptions::GridScreenTopKey), (screenH - formHeight()) / 2);
        move(pos().x(), ui::twipsToPixelsY(top));
        const double left = number(option(RegistryOptions::GridScreenLeftKey), (screenW - formWidth()) / 2);
        move(ui::twipsToPixelsX(left), pos().y());
        // A remembered size too small to hold the window's controls (a damaged or hand-edited
        // settings file: width 0, height -5) is no size to open at: the designed one is taken.
        double w = number(option(RegistryOptions::GridScreenWidthKey), DesignWidth);
        if (w < MinimumWidth)
            w = DesignWidth;
        resize(ui::twipsToPixelsX(w), height());
        double h = number(option(RegistryOptions::GridScreenHeightKey), DesignHeight);
        if (h < MinimumHeight)
            h = DesignHeight;
        resize(width(), ui::twipsToPixelsY(h));
    } else {
        mnuOptionWindowSize->setText(windowSizeCaption(false));
        const double left = (screenW - formWidth()) / 2;
        const double twipsPerPixel = std::lround(1440.0 / ui::screenDpiX());
        const long screenPixelsHigh =
            std::lround(std::lround(screenH) / double(std::lround(1440.0 / ui::screenDpiY())));
        const bool lowScreen = twipsPerPixel == 12 && screenPixelsHigh < 800;
        const double top = (lowScreen || s.TabletModeOn) ? 10 : (screenH - formHeight()) / 2;
        move(ui::twipsToPixelsX(left), ui::twipsToPixelsY(top));
    }
    // Whatever was designed or remembered, the window opens inside the usable part of the screen:
    // at large scaling the designed size exceeds it, and a title bar above the screen's top
    // edge cannot be reached to move the window back.
    ui::fitOnScreen(this);

    if (!core::programFolder().toLower().contains(QLatin1String("source")))
        mMouseScrollWheel::WheelHook(this, this);

    setWindowTitle(s.ProductName + QStringLiteral(" Database  ") + s.DatabasePath);
    GridJustLoaded = true;
    FirstActivation = true;
    s.RecordSourceName = QStringLiteral("tblContacts");

    // The remembered category, when the category window's start-up box is on.
    startupCategory_ = false;
    const auto startup = SettingsRows::readName(QString::fromLatin1(SettingsRows::CategoryStartup));
    if (startup && settingIsOn(*startup)) {
        if (const auto cat = SettingsRows::readRow(QString::fromLatin1(SettingsRows::Category))) {
            s.CategoryClause = cat->setting1.value_or(QString());
            s.RecordSourceName = QStringLiteral("qryContacts");
            s.WhereClause = QStringLiteral(" Where") + s.CategoryClause;
            setCategoryCaption(cat->name);
            startupCategory_ = true;
        }
    }

    const auto assign = SettingsRows::readNumber(QString::fromLatin1(SettingsRows::AssignCatgOnAdd));
    s.AssignCatgOnAdd = assign ? int(std::llabs(*assign)) : 0;
    const auto templ = SettingsRows::readNumber(QString::fromLatin1(SettingsRows::TemplateRecordId));
    s.TemplateRecordId = templ ? long(*templ) : 0;
    if (const auto colour = SettingsRows::readNumber(QString::fromLatin1(SettingsRows::BackColor)))
        setBackColor(*colour);
    if (const auto tablet = SettingsRows::readBool(QString::fromLatin1(SettingsRows::Tablet)); tablet && *tablet)
        TabletMode_Click();

    s.FileRenameDisabled = RegistryOptions::fileRenameDisabled();
    mnuOptionFileRename->setText(fileRenameCaption(s.FileRenameDisabled));

    // The first contents of the grid. The text is set now and run when first needed: the first
    // activation replaces it by the view in the stored sort, so a start runs one query for the
    // grid and never paints it in an order about to change.
    Data1->setDatabase(s.Db.get());
    Data1->setRecordSource(QStringLiteral("Select * from ") + s.RecordSourceName + s.WhereClause +
                           QStringLiteral(" Order By SongName"));
    firstContentsPending_ = true;
    s.OrderByClause = QStringLiteral(" Order By SongName ");

    applyFonts();
    applyModeSettings(s.TabletModeOn, s.ScreenFontName);
    layoutForSize(formWidth(), scaleWidth(), scaleHeight());
    readColumnLayout();
}

void NameList::applyFonts() {
    const QString name = core::g().ScreenFontName;
    if (name.isEmpty())
        return;
    ui::applyScreenFont(this, name);
    QFont head = Table1->headFont();
    head.setFamily(name);
    Table1->setHeadFont(head);
}

void NameList::Form_Activate() {
    if (activating_)
        return;  // a message box of this handler hands the activation back
    const QScopedValueRollback<bool> reset(activating_, true);
    auto &s = core::g();

    MarkColumnClicked = false;
    if (FirstActivation) {
        // The view is opened here, in the stored sort; the commands are then set from it. The
        // start is over with it, whatever it met.
        try {
            openFirstView();
        } catch (...) {
            core::CatalogueInUse::endOfStart();
            throw;
        }
        core::CatalogueInUse::endOfStart();
        showViewState();
        if (s.ContactsTable && s.ContactsTable->bof() && s.ContactsTable->eof())
            ui::msgBox(QStringLiteral("Add songs automatically by choosing one of the options on the File menu."),
                       ui::Buttons::OK, ui::Icon::None, QStringLiteral("Empty Database"));
    } else {
        showViewState();
    }

    if (FirstActivation || s.RecordSaved) {
        FirstActivation = false;
        s.RecordSaved = false;
        MSendInput::SendKeys(QStringLiteral("{right}"), true);
    }
}

void NameList::showViewState() {
    if (recordCount() == 0) {
        txtName->clear();
        cmdPlay->setEnabled(false);
        cmdPlayAll->setEnabled(false);
        cmdShowArtistSongs->hide();
    } else {
        cmdPlay->setEnabled(true);
        cmdPlayAll->setEnabled(true);
        cmdShowArtistSongs->setVisible(!cmdShowArtistSongs->text().isEmpty() &&
                                        aboveBlank(currentText(QStringLiteral("Artist"))));
    }
    if (lblCategory->text().left(18) == QLatin1String("Records containing"))
        cmdAdd->setEnabled(false);
}

void NameList::remember(const std::function<void()> &write) {
    try {
        write();
    } catch (const db::DbError &e) {
        if (!openingFirstView_ || e.number() != db::err::Locked)
            throw;
        core::CatalogueInUse::noteLocked();
    }
}

void NameList::openFirstView() {
    const QScopedValueRollback<bool> opening(openingFirstView_, true);
    auto &s = core::g();
    cmbSort->clear();
    cmbSort->addItems(SortOrders::names());
    const auto stored = SettingsRows::readName(QString::fromLatin1(SettingsRows::GridSortOrder));
    // The list shows the stored sort; its click is applied below, with the view.
    const QString sortName = stored ? *stored : QStringLiteral("Song Name");
    cmbSort->setCurrentIndex(cmbSort->findText(sortName, Qt::MatchExactly | Qt::MatchCaseSensitive));
    if (startupCategory_) {
        try {
            // The remembered category stays on screen, opened once in the stored sort; the
            // commands are left as Show all leaves them.
            applySort(true);
            if (s.SelectedCount > 0)
                cmdShowSelected->show();
            enableViewCommands();
        } catch (const db::DbError &) {
            // Its stored condition cannot be run: all songs are shown instead and the category
            // is forgotten (Show all deletes its row), so the next start does not fail again.
            startupCategory_ = false;
            s.CategoryClause.clear();
            s.WhereClause.clear();
            s.RecordSourceName = QStringLiteral("tblContacts");
            Data1->setRecordSource(QStringLiteral("Select * from ") + s.RecordSourceName +
                                   QStringLiteral(" Order By SongName"));
        }
    }
    if (!startupCategory_) {
        // The stored sort's parts first, so that Show all runs the view once, in that order.
        applySort(false);
        ShowAllMenu_Click();
    }
    Table1->setFocus();
}

bool NameList::firstViewHasRows() const {
    const auto &s = core::g();
    auto rs = s.Db->openRecordset(QStringLiteral("Select Top 1 RecordID from ") + s.RecordSourceName + s.WhereClause,
                                  db::RecordsetType::Snapshot);
    return !rs->eof();
}

void NameList::openFirstContents() const {
    if (!firstContentsPending_)
        return;
    firstContentsPending_ = false;
    Data1->refresh();
}

void NameList::Form_KeyDown(int &KeyCode, int /*Shift*/) {
    if (KeyCode == 112)
        KeyCode = 0;
}

void NameList::keyPressEvent(QKeyEvent *e) {
    int code = ui::DbGrid::virtualKey(e);
    if (code != 0) {
        Form_KeyDown(code, ui::DbGrid::shiftState(e->modifiers()));
        if (code == 0) {
            e->accept();
            return;
        }
    }
    QMainWindow::keyPressEvent(e);
}

void NameList::formUnload() { Form_Unload(); }

void NameList::Form_Unload() {
    auto &s = core::g();
    try {
        mMouseScrollWheel::WheelUnHook(this);
    } catch (...) {}
    ui::unloadForm(QStringLiteral("Pics3"));
    ui::unloadForm(QStringLiteral("RichTextForm"));
    ui::setMousePointer(ui::MousePointer::Hourglass);

    if (ColumnsChanged)
        writeColumnLayout();

    if (!isMinimized() && formTop() >= 0 && s.RememberWindowSize) {
        RegistryOptions::setGridScreenPlacement({int(std::lround(formTop())), int(std::lround(formLeft())),
                                                 int(std::lround(formWidth())), int(std::lround(formHeight()))});
    }

    if (s.ContactsTable) {
        try { s.ContactsTable->close(); } catch (...) {}
        s.ContactsTable.reset();
    }
    // The grid's recordset goes first so that nothing holds the rows being written.
    Data1->close();
    try {
        if (s.Db && s.Db->isOpen())
            s.Db->execute(QStringLiteral("Update tblContacts Set Selected=' ' Where Selected='x'"));
    } catch (const db::DbError &e) {
        showDbError(e);
    }
    ui::setMousePointer(ui::MousePointer::Default);

    if (!s.ReopeningDatabase && !CompactInProgress)
        endProgram();
}

QList<GridColumn> NameList::gridColumns() const {
    QList<GridColumn> cols;
    for (int i = 0; i < Table1->columnCount(); ++i)
        cols << Table1->column(i);
    return cols;
}

void NameList::writeColumnLayout() {
    const QString path = core::g().DataFolder + ColumnLayoutFile::fileName();
    try {
        ColumnLayoutFile::write(path, gridColumns());
    } catch (const std::exception &e) {
        // The layout is lost for the next start, but closing goes on.
        ui::setMousePointer(ui::MousePointer::Default);
        ui::msgBox(QStringLiteral("The column layout could not be saved in ") + path + QStringLiteral(":  ") +
                       QString::fromUtf8(e.what()),
                   ui::Buttons::OK, ui::Icon::Exclamation, QStringLiteral("Column layout not saved"));
        ui::setMousePointer(ui::MousePointer::Hourglass);
    }
}

void NameList::readColumnLayout() {
    QList<GridColumn> cols = gridColumns();
    if (ColumnLayoutFile::read(core::g().DataFolder + ColumnLayoutFile::fileName(), cols) > 0)
        Table1->setColumns(cols);
}

void NameList::endProgram() {
    if (auto &hook = endProgramHook()) {
        hook();
        return;
    }
    for (QWidget *w : ui::loadedForms())
        if (w != this)
            ui::unloadForm(w);
    QCoreApplication::quit();
}

void NameList::cmdExit_Click() { close(); }
void NameList::cmdExitSign_Click() { close(); }
void NameList::FileExit_Click() { close(); }

void NameList::changeEvent(QEvent *e) {
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow() && loaded_)
        run([this] { Form_Activate(); });
    else if (e->type() == QEvent::WindowStateChange && loaded_)
        run([this] { Form_Resize(); });
}

void NameList::showEvent(QShowEvent *e) {
    QMainWindow::showEvent(e);
    // The first activation opens the grid's view. A window manager that shows the window without
    // activating it (focus-stealing prevention) must not leave the grid empty until a click.
    if (loaded_ && FirstActivation)
        QTimer::singleShot(0, this, [this] {
            if (FirstActivation && isVisible())
                run([this] { Form_Activate(); });
        });
}

void NameList::resizeEvent(QResizeEvent *e) {
    QMainWindow::resizeEvent(e);
    if (loaded_)
        run([this] { Form_Resize(); });
}

} // namespace songlist
