#include "categories/CategoryAssign.h"

#include "categories/WindowKit.h"
#include "core/AppState.h"
#include "core/InputForm.h"
#include "core/SettingsRows.h"
#include "platform/db/Database.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/DbGrid.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "songlist/NameList.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace categories {

namespace db = platform::db;
namespace ui = platform::ui;
using kit::guarded;
using kit::make;

namespace {
const QString kNumberCaption = QStringLiteral("Category Number (cannot update)");
} // namespace

QString CategoryAssign::songCategoriesSql(qint64 recordId) {
    return QStringLiteral("SELECT ID, CategoryDesc, tblCategoryID.CategoryNumber FROM tblCategoryID LEFT JOIN "
                          "tblCategoryDesc ON tblCategoryID.CategoryNumber = tblCategoryDesc.CategoryNumber WHERE "
                          "tblCategoryID.ID=") +
           QString::number(recordId) + QStringLiteral(" Order By CategoryDesc");
}

CategoryAssign::CategoryAssign(QWidget *parent) : Form<QDialog>(parent) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(QStringLiteral("Assign Current Song to a Category"));
    ui::setClientSizeTwips(this, 9600, 5460);

    lblName = make<QLabel>(this, "lblName", 120, 120, 9360, 375);
    lblName->setAlignment(Qt::AlignCenter);

    CatgData = new ui::DataControl(this);
    CatgData->setObjectName(QStringLiteral("CatgData"));
    CatgGrid = kit::readOnlyGrid(this, "CatgGrid", CatgData, 120, 600, 3960, 3840);
    CatgGrid->setColumns({ui::GridColumn{QStringLiteral("List Of All Categories"), QStringLiteral("CategoryDesc"), 2160},
                          ui::GridColumn{kNumberCaption, QStringLiteral("CategoryNumber"), 1560}});

    CatgIdData = new ui::DataControl(this);
    CatgIdData->setObjectName(QStringLiteral("CatgIdData"));
    CatgIdGrid = kit::readOnlyGrid(this, "CatgIdGrid", CatgIdData, 5520, 600, 3960, 3840);
    CatgIdGrid->setColumns(
        {ui::GridColumn{QStringLiteral("Category Assigned To This Song"), QStringLiteral("CategoryDesc"), 2160},
         ui::GridColumn{kNumberCaption, QStringLiteral("CategoryNumber"), 1560}});

    cmdRtArrow = make<QPushButton>(this, "cmdRtArrow", 4200, 1320, 1200, 600, QStringLiteral("Assign"));
    cmdRtArrow->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    cmdRtArrow->setToolTip(QStringLiteral("Assigns the highlighted Category on the left to the current record."));
    cmdLfArrow = make<QPushButton>(this, "cmdLfArrow", 4200, 2160, 1200, 600, QStringLiteral("Remove"));
    cmdLfArrow->setIcon(style()->standardIcon(QStyle::SP_ArrowLeft));
    cmdLfArrow->setToolTip(
        QStringLiteral("Removes the highlighted Category on the right from being assigned to the current record. "));
    cmdAdd = make<QPushButton>(this, "cmdAdd", 120, 4560, 2400, 420, QStringLiteral("Add a &New Category"));
    cmdChange = make<QPushButton>(this, "cmdChange", 2640, 4560, 2400, 420, QStringLiteral("&Change Category Name"));
    cmdChange->setToolTip(QStringLiteral("Changes the name of a Category."));
    cmdExit = make<QPushButton>(this, "cmdExit", 7080, 4560, 2400, 420, QStringLiteral("E&xit"));
    cmdExit->setToolTip(QStringLiteral("Returns to the previous screen."));
    cbAssignCatgOnAdd = make<QCheckBox>(this, "cbAssignCatgOnAdd", 120, 5070, 9360, 300,
                                        QStringLiteral("Display this screen after adding a new record."));
    cbAssignCatgOnAdd->setToolTip(
        QStringLiteral("When this box is checked, this screen will appear whenever a new record is saved."));

    connect(cmdRtArrow, &QPushButton::clicked, this, [this] { guarded([this] { cmdRtArrow_Click(); }); });
    connect(cmdLfArrow, &QPushButton::clicked, this, [this] { guarded([this] { cmdLfArrow_Click(); }); });
    connect(cmdAdd, &QPushButton::clicked, this, [this] { guarded([this] { cmdAdd_Click(); }); });
    connect(cmdChange, &QPushButton::clicked, this, [this] { guarded([this] { cmdChange_Click(); }); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });
    connect(cbAssignCatgOnAdd, &QCheckBox::toggled, this, [this] { guarded([this] { cbAssignCatgOnAdd_Click(); }); });
    connect(CatgGrid, &ui::DbGrid::gridDblClick, this, [this] { guarded([this] { cmdRtArrow_Click(); }); });
    connect(CatgIdGrid, &ui::DbGrid::gridDblClick, this, [this] { guarded([this] { cmdLfArrow_Click(); }); });
    // Typing in the category list does nothing (the list is not searched by text).
    connect(CatgGrid, &ui::DbGrid::keyPress, this, [](int &ascii) { ascii = 0; });

    Form_Load();
}

void CategoryAssign::Form_Load() {
    auto &s = core::g();
    ui::centreOnScreen(this);
    kit::styleGrid(CatgGrid, s.TabletModeOn);
    kit::styleGrid(CatgIdGrid, s.TabletModeOn);
    kit::applyScreenFont(this, {CatgGrid, CatgIdGrid}, s.ScreenFontName);

    const auto *w = songlist::NameList::instance();
    if (w && w->Data1->hasCurrentRow()) {
        auto *song = w->Data1->recordset();
        lblName->setText(song->value(QStringLiteral("SongName")).toString()); // a Null name shows nothing
        recordId_ = song->value(QStringLiteral("RecordID")).toLongLong();
    }
    if (s.Db) {
        CatgData->setDatabase(s.Db.get());
        CatgData->setRecordSource(
            QStringLiteral("Select CategoryDesc, CategoryNumber from tblCategoryDesc Order By CategoryDesc"));
        CatgData->refresh();
        CatgIdData->setDatabase(s.Db.get());
        CatgIdData->setRecordSource(songCategoriesSql(recordId_));
        CatgIdData->refresh();
    }
    // Setting the box runs its click handler, which stores the same value again.
    cbAssignCatgOnAdd->setChecked(std::abs(s.AssignCatgOnAdd) != 0);
    ui::setMousePointer(ui::MousePointer::Default); // the opener set the hourglass
}

void CategoryAssign::showError(const std::exception &e) {
    QString text = db::errorText(e);
    if (const auto *dbe = dynamic_cast<const db::DbError *>(&e))
        text = db::withErrorNumber(text, QStringLiteral(".  Error number:"), dbe->number());
    ui::msgBox(text, ui::Buttons::OK, ui::Icon::None, core::g().ProductName);
}

void CategoryAssign::refreshAssigned() {
    guarded([this] { CatgIdData->refresh(); });
}

void CategoryAssign::cmdRtArrow_Click() {
    if (CatgData->recordCount() <= 0)
        return;
    auto *links = CatgIdData->recordset();
    try {
        const QVariant category = CatgData->recordset()->value(QStringLiteral("CategoryNumber"));
        links->addNew();
        links->setValue(QStringLiteral("ID"), recordId_);
        links->setValue(QStringLiteral("CategoryNumber"), category);
        links->update();
        CatgIdData->refresh();
    } catch (const std::exception &e) {
        if (links && links->editMode() != db::EditMode::None) {
            try {
                links->cancelUpdate();
            } catch (...) {
            }
        }
        const auto *dbe = dynamic_cast<const db::DbError *>(&e);
        if (dbe && dbe->number() == db::err::SyntaxError)
            return;
        if (dbe && dbe->number() == db::err::DuplicateKey)
            ui::msgBox(QStringLiteral("Category is already assigned to this record."), ui::Buttons::OK,
                       ui::Icon::Critical, QStringLiteral("Can't assign twice"));
        else
            showError(e);
        refreshAssigned();
    }
}

void CategoryAssign::cmdLfArrow_Click() {
    if (CatgIdData->recordCount() <= 0)
        return;
    try {
        auto *links = CatgIdData->recordset();
        const QString number = links->value(QStringLiteral("CategoryNumber")).toString();
        links->findFirst(QStringLiteral("ID=") + QString::number(recordId_) + QStringLiteral(" AND CategoryNumber=") +
                         number);
        if (links->noMatch())
            return;
        links->deleteRecord();
        // A neighbour becomes current, so the next Remove has a row to act on.
        if (links->recordCount() > 0) {
            links->moveNext();
            if (links->eof())
                links->moveLast();
        }
        CatgIdData->rowsChanged();
    } catch (const std::exception &e) {
        const auto *dbe = dynamic_cast<const db::DbError *>(&e);
        if (dbe && dbe->number() == db::err::SyntaxError)
            return;
        showError(e);
    }
}

void CategoryAssign::cmdAdd_Click() {
    const QString name = modMain::ShowInputForm(
        QStringLiteral("Enter the Name for this new Category, then press the OK button."),
        QStringLiteral("Add a new Category"));
    if (name.isEmpty())
        return;
    auto *rs = CatgData->recordset();
    rs->addNew();
    rs->setValue(QStringLiteral("CategoryDesc"), name);
    rs->update();
    CatgData->rowsChanged();
    CatgData->setBookmark(rs->lastModified());
}

void CategoryAssign::cmdChange_Click() {
    if (CatgData->recordCount() <= 0) {
        ui::msgBox(QStringLiteral("There are no Categories.  You must create one before you can change it's name."),
                   ui::Buttons::OK, ui::Icon::Critical, QStringLiteral("No Categories to change"));
        return;
    }
    auto *rs = CatgData->recordset();
    const QString answer =
        modMain::ShowInputForm(QStringLiteral("Type your changes, then press the OK button."),
                               QStringLiteral("Change the Category Name"), rs->value(QStringLiteral("CategoryDesc")).toString());
    if (answer.isEmpty())
        return;
    rs->edit();
    rs->setValue(QStringLiteral("CategoryDesc"), answer);
    rs->update();
    // Only the left list shows the new name; the right one keeps what it read at load.
    CatgData->rowsChanged();
}

void CategoryAssign::cmdExit_Click() { close(); }

void CategoryAssign::cbAssignCatgOnAdd_Click() {
    const int value = cbAssignCatgOnAdd->isChecked() ? 1 : 0;
    core::SettingsRows::write(QString::fromLatin1(core::SettingsRows::AssignCatgOnAdd), QString::number(value));
    core::g().AssignCatgOnAdd = value;
}

} // namespace categories
