#include "categories/CategoryForm.h"

#include "categories/CategoryView.h"
#include "categories/WindowKit.h"
#include "core/AppState.h"
#include "core/InputForm.h"
#include "core/SettingsRows.h"
#include "core/mCommon.h"
#include "core/mMouseScrollWheel.h"
#include "platform/db/Database.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/DbGrid.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "songlist/NameList.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

namespace categories {

namespace db = platform::db;
namespace ui = platform::ui;
using kit::guarded;
using kit::make;

namespace {

const QString kCategoriesSql = QStringLiteral("Select * from tblCategoryDesc Order By CategoryDesc");

} // namespace

CategoryForm::CategoryForm(QWidget *parent) : Form<QDialog>(parent) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(QStringLiteral("Category Selection"));
    ui::setClientSizeTwips(this, 8160, 5520);

    CatgData = new ui::DataControl(this);
    CatgData->setObjectName(QStringLiteral("CatgData"));
    CatgGrid = kit::readOnlyGrid(this, "CatgGrid", CatgData, 120, 120, 4560, 4560);
    CatgGrid->setColumns({ui::GridColumn{QStringLiteral("List Of All Categories"), QStringLiteral("CategoryDesc"), 2880},
                          ui::GridColumn{QStringLiteral("CategoryNumber"), QStringLiteral("CategoryNumber"), 1440}});

    cmdSelected = make<QPushButton>(this, "cmdSelected", 4920, 120, 3120, 450, QStringLiteral("Show &Selected Category"));
    cmdShowAll = make<QPushButton>(this, "cmdShowAll", 4920, 690, 3120, 450, QStringLiteral("Show All Categories"));
    cmdShowAll->setToolTip(QStringLiteral("Returns to the previous screen, displaying all Categories"));
    cmdAdd = make<QPushButton>(this, "cmdAdd", 4920, 1500, 3120, 450, QStringLiteral("&Add a New Category"));
    cmdChange = make<QPushButton>(this, "cmdChange", 4920, 2070, 3120, 450, QStringLiteral("&Change Category Name"));
    cmdDelete = make<QPushButton>(this, "cmdDelete", 4920, 2640, 3120, 450, QStringLiteral("&Delete"));
    cmdExit = make<QPushButton>(this, "cmdExit", 4920, 4230, 3120, 450, QStringLiteral("E&xit"));
    cmdExit->setToolTip(QStringLiteral("Returns to the previous screen."));
    cbDefaultCatg = make<QCheckBox>(this, "cbDefaultCatg", 120, 4830, 7920, 570,
                                    QStringLiteral("At program start-up, always display the last Category selected."));
    cbDefaultCatg->setToolTip(QStringLiteral("When this box is checked, only records from the last Category selected "
                                             "will be displayed the next time the program starts."));

    connect(cmdSelected, &QPushButton::clicked, this, [this] { guarded([this] { cmdSelected_Click(); }); });
    connect(cmdShowAll, &QPushButton::clicked, this, [this] { guarded([this] { cmdShowAll_Click(); }); });
    connect(cmdAdd, &QPushButton::clicked, this, [this] { guarded([this] { cmdAdd_Click(); }); });
    connect(cmdChange, &QPushButton::clicked, this, [this] { guarded([this] { cmdChange_Click(); }); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { guarded([this] { cmdDelete_Click(); }); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });
    connect(cbDefaultCatg, &QCheckBox::toggled, this, [this] { guarded([this] { cbDefaultCatg_Click(); }); });
    connect(CatgGrid, &ui::DbGrid::gridDblClick, this, [this] { guarded([this] { cmdSelected_Click(); }); });
    connect(CatgGrid, &ui::DbGrid::keyPress, this, [this](int &ascii) { CatgGrid_KeyPress(ascii); });

    Form_Load();
}

void CategoryForm::Form_Load() {
    auto &s = core::g();
    if (!core::programFolder().toLower().contains(QLatin1String("source")))
        mMouseScrollWheel::WheelHook(this, this);
    s.CategoryFormJustLoaded = true;
    ui::centreOnScreen(this);
    kit::styleGrid(CatgGrid, s.TabletModeOn);
    kit::applyScreenFont(this, {CatgGrid}, s.ScreenFontName);
    if (!s.Db)
        return;
    CatgData->setDatabase(s.Db.get());
    CatgData->setRecordSource(kCategoriesSql);
    CatgData->refresh();
    // Setting the box runs its click handler, which stores the same value again.
    cbDefaultCatg->setChecked(CategoryView::startupBoxValue());
}

void CategoryForm::showEvent(QShowEvent *e) {
    Form<QDialog>::showEvent(e);
    guarded([this] { Form_Activate(); });
}

void CategoryForm::Form_Activate() {
    // Only the first activation places the row: later ones follow every message box this
    // window shows and must leave the user's row alone.
    if (activated_)
        return;
    activated_ = true;
    const auto *w = songlist::NameList::instance();
    if (!w || !(w->lblCategory->text() > QStringLiteral(" ")) || !hasRows())
        return;
    // The label may name a find or a category renamed since it was shown: the clause's number
    // says which category is shown, if any. Without a match the first row stays current.
    if (const auto n = CategoryView::clauseNumber(core::g().CategoryClause))
        CatgData->findFirst(QStringLiteral("CategoryNumber=") + QString::number(*n));
}

bool CategoryForm::hasRows() const { return CatgData->recordCount() > 0; }

qint64 CategoryForm::currentNumber() const {
    return CatgData->recordset()->value(QStringLiteral("CategoryNumber")).toLongLong();
}

QString CategoryForm::currentName() const {
    return CatgData->recordset()->value(QStringLiteral("CategoryDesc")).toString();
}

void CategoryForm::cmdSelected_Click() {
    auto *w = songlist::NameList::instance();
    if (!w)
        return;
    ui::DefaultPointerAtEnd pointer;
    w->clearArtistButton();
    ui::setMousePointer(ui::MousePointer::Hourglass);
    if (!hasRows()) {
        ui::msgBox(QStringLiteral("There are no Categories.  You must create one and select it before you can perform "
                                  "this action."),
                   ui::Buttons::OK, ui::Icon::Critical, QStringLiteral("No Categories"));
        return;
    }
    CategoryView(*w).showCategory(currentNumber(), currentName());
    close();
}

void CategoryForm::cmdShowAll_Click() {
    auto *w = songlist::NameList::instance();
    if (!w)
        return;
    CategoryView(*w).showAllSongs();
    close();
}

void CategoryForm::cmdAdd_Click() {
    const QString name = mCommon::TrimBlanks(modMain::ShowInputForm(
        QStringLiteral("Enter the Description for this new Category, then press the OK button."),
        QStringLiteral("Add a new Category")));
    if (name.isEmpty())
        return;
    // The name is bound, so its quotes and brackets are only text; the comparison is case-blind.
    auto *rs = CatgData->recordset();
    auto same = core::g().Db->openRecordset(
        QStringLiteral("Select CategoryNumber from tblCategoryDesc Where CategoryDesc = ?"), QVariantList{name});
    if (same->recordCount() > 0) {
        CatgData->findFirst(QStringLiteral("CategoryNumber=") + same->value(0).toString());
        ui::msgBox(QStringLiteral("Category with this name already exists."), ui::Buttons::OK, ui::Icon::Exclamation,
                   QStringLiteral("Not added"));
        return;
    }
    rs->addNew();
    rs->setValue(QStringLiteral("CategoryDesc"), name);
    rs->update();
    CatgData->rowsChanged();
    CatgGrid->setFocus();
    CatgData->setBookmark(rs->lastModified());
}

void CategoryForm::cmdChange_Click() {
    if (!hasRows()) {
        ui::msgBox(QStringLiteral("There are no Categories.  You must create one before you can change it's description."),
                   ui::Buttons::OK, ui::Icon::Critical, QStringLiteral("No Categories to change"));
        return;
    }
    const QString answer = modMain::ShowInputForm(QStringLiteral("Type your changes, then press the OK button."),
                                                  QStringLiteral("Change the Category Name"), currentName());
    if (answer.isEmpty())
        return;
    auto *rs = CatgData->recordset();
    rs->edit();
    rs->setValue(QStringLiteral("CategoryDesc"), answer);
    rs->update();
    CatgData->rowsChanged();
    CatgGrid->setFocus();
}

QString CategoryForm::deleteQuestion(long songs) {
    const QString question = QStringLiteral("Are you sure you want to delete this Category?");
    if (songs <= 0)
        return question;
    return QStringLiteral("You have ") + QString::number(songs) +
           QStringLiteral(" Song(s) still assigned to this Category.  Those Songs will still exist, they just won't be "
                          "assigned to this Category any longer.  ") +
           question;
}

void CategoryForm::cmdDelete_Click() {
    if (!hasRows()) {
        ui::msgBox(QStringLiteral("There are no Categories, so there is nothing to delete."), ui::Buttons::OK,
                   ui::Icon::Critical, QStringLiteral("No Categories to delete"));
        return;
    }
    auto &database = *core::g().Db;
    const qint64 number = currentNumber();
    const QString condition = QStringLiteral("CategoryNumber=") + QString::number(number);
    long songs = 0;
    {
        auto count = database.openRecordset(QStringLiteral("Select count(*) as CountRecs from tblCategoryID Where ") +
                                            condition);
        songs = long(count->value(QStringLiteral("CountRecs")).toLongLong());
        count->close();
    }
    if (ui::msgBox(deleteQuestion(songs), ui::Buttons::YesNo, ui::Icon::Question, QStringLiteral("Delete Confirmation"),
                   ui::DefaultButton::First) != ui::Answer::Yes)
        return;

    // The remembered category is known by its number, which a rename does not change.
    const bool shown = CategoryView::rememberedCategory() == number;
    auto *rs = CatgData->recordset();
    try {
        db::Transaction t(database);
        database.execute(QStringLiteral("Delete from tblCategoryID Where ") + condition);
        if (shown)
            core::SettingsRows::deleteKind(QString::fromLatin1(core::SettingsRows::Category));
        rs->deleteRecord();
        t.commit();
    } catch (...) {
        // Nothing was deleted: show the list as it stands.
        try {
            CatgData->refresh();
        } catch (...) {
        }
        throw;
    }
    if (rs->recordCount() > 0) {
        rs->moveNext();
        if (rs->eof())
            rs->moveLast();
    }
    CatgData->rowsChanged();
    if (shown) {
        if (auto *w = songlist::NameList::instance())
            w->ShowAllMenu_Click();
    }
}

void CategoryForm::cmdExit_Click() { close(); }

void CategoryForm::cbDefaultCatg_Click() { CategoryView::writeStartupBox(cbDefaultCatg->isChecked()); }

void CategoryForm::CatgGrid_KeyPress(int &KeyAscii) {
    if (KeyAscii == 13) {
        KeyAscii = 0;
        guarded([this] { cmdSelected_Click(); });
        return;
    }
    const bool letter = (KeyAscii >= 'A' && KeyAscii <= 'Z') || (KeyAscii >= 'a' && KeyAscii <= 'z');
    // No other typed character does anything in the list (the list is not searched by text).
    const int typed = KeyAscii;
    KeyAscii = 0;
    if (!letter || !hasRows())
        return;
    guarded([&] {
        CatgData->findFirst(QStringLiteral("CategoryDesc like \"") + QChar(typed) + QStringLiteral("*\""));
    });
}

void CategoryForm::MouseWheel(int &MouseKeys, int &Rotation, int &Xpos, int &Ypos) {
    mMouseScrollWheel::GridScroll(CatgGrid, MouseKeys, Rotation, Xpos, Ypos);
}

void CategoryForm::formUnload() { mMouseScrollWheel::WheelUnHook(this); }

} // namespace categories
