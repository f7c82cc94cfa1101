#include "categories/CatgAssignAll.h"

#include "categories/BulkAssignment.h"
#include "categories/CategoryView.h"
#include "categories/WindowKit.h"
#include "core/AppState.h"
#include "platform/db/Database.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/DbGrid.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "songlist/NameList.h"

#include <QPlainTextEdit>
#include <QPushButton>

namespace categories {

namespace db = platform::db;
namespace ui = platform::ui;
using kit::guarded;
using kit::make;

CatgAssignAll::CatgAssignAll(QWidget *parent) : Form<QDialog>(parent) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(QStringLiteral("Assign or Remove All Displayed Records To or From a Category"));
    ui::setClientSizeTwips(this, 7440, 4800);

    CatgData = new ui::DataControl(this);
    CatgData->setObjectName(QStringLiteral("CatgData"));
    CatgGrid = kit::readOnlyGrid(this, "CatgGrid", CatgData, 120, 120, 4200, 4560);
    CatgGrid->setColumns({ui::GridColumn{QStringLiteral("CategoryNumber"), QStringLiteral("CategoryNumber"), 1440},
                          ui::GridColumn{QStringLiteral("List Of All Categories"), QStringLiteral("CategoryDesc"), 2400}});

    cmdAssign = make<QPushButton>(this, "cmdAssign", 4560, 120, 2760, 450, QStringLiteral("&Assign to Category"));
    cmdAssign->setToolTip(QStringLiteral(
        "Assigns the selected Category to EVERY record displayed on the previous screen.  Be careful!"));
    cmdDelete = make<QPushButton>(this, "cmdDelete", 4560, 690, 2760, 450, QStringLiteral("&Remove from Category"));
    cmdDelete->setToolTip(QStringLiteral(
        "Removes the selected Category from EVERY record displayed on the previous screen.  Be careful!"));
    cmdExit = make<QPushButton>(this, "cmdExit", 4560, 4230, 2760, 450, QStringLiteral("E&xit"));
    cmdExit->setToolTip(QStringLiteral("Returns to the previous screen."));

    connect(cmdAssign, &QPushButton::clicked, this, [this] { guarded([this] { cmdAssign_Click(); }); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { guarded([this] { cmdDelete_Click(); }); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });

    Form_Load();
}

void CatgAssignAll::Form_Load() {
    auto &s = core::g();
    ui::centreOnScreen(this);
    kit::styleGrid(CatgGrid, s.TabletModeOn);
    kit::applyScreenFont(this, {CatgGrid}, s.ScreenFontName);
    if (!s.Db)
        return;
    CatgData->setDatabase(s.Db.get());
    CatgData->setRecordSource(QStringLiteral("Select * from tblCategoryDesc Order By CategoryDesc"));
    CatgData->refresh();
}

QString CatgAssignAll::question(Command c, long selectedCount, const QString &gridSource) {
    const bool assign = c == Command::Assign;
    QString text;
    if (selectedCount >= 1 && !gridSource.contains(QLatin1String("Selected"), Qt::CaseSensitive)) {
        const QString quote = QStringLiteral("\"");
        text = (assign ? QStringLiteral("All displayed Songs will be assigned to this Category, not just the ")
                       : QStringLiteral("All displayed Songs will be removed from this Category, not just the ")) +
               QString::number(selectedCount) +
               (assign ? QStringLiteral(" you have selected.  To assign just the selected records, press Cancel, "
                                        "exit this screen, and click the ")
                       : QStringLiteral(" you have selected.  To un-assign just the selected Songs, press Cancel, "
                                        "exit this screen, and click the ")) +
               quote + QStringLiteral("Show Selected Records Only") + quote +
               QStringLiteral(" button on the previous screen or choose that option from the Edit menu.") +
               QStringLiteral("\r\n\r\n");
    }
    text += assign ? QStringLiteral("Click on the OK button to assign ALL displayed Songs to this Category, or Cancel "
                                    "if this is not what you want.")
                   : QStringLiteral("Click on the OK button to remove ALL displayed Songs from this Category, or Cancel "
                                    "if this is not what you want.");
    return text;
}

QString CatgAssignAll::report(Command c, const QString &category, const BulkCounts &counts) {
    const QString quoted = QLatin1Char('"') + category + QLatin1Char('"');
    if (c == Command::Assign) {
        QString text = QStringLiteral("Number of Songs assigned to Category ") + quoted + QStringLiteral(" (") +
                       QString::number(counts.changed) + QStringLiteral(").");
        if (counts.unchanged >= 1)
            text += QLatin1Char('\n') + QStringLiteral("Number of Songs already assigned to this Category (") +
                    QString::number(counts.unchanged) + QStringLiteral(").");
        return text;
    }
    QString text = QStringLiteral("Number of Songs removed from Category ") + quoted + QStringLiteral(" (") +
                   QString::number(counts.changed) + QStringLiteral(").");
    if (counts.unchanged >= 1)
        text += QLatin1Char('\n') + QStringLiteral("Number of Songs not found assigned to this Category (") +
                QString::number(counts.unchanged) + QStringLiteral(").");
    return text;
}

void CatgAssignAll::cmdAssign_Click() { run(Command::Assign); }
void CatgAssignAll::cmdDelete_Click() { run(Command::Remove); }
void CatgAssignAll::cmdExit_Click() { close(); }

void CatgAssignAll::run(Command c) {
    auto &s = core::g();
    auto *w = songlist::NameList::instance();
    if (!w || !s.Db)
        return;
    try {
        if (ui::msgBox(question(c, s.SelectedCount, w->Data1->recordSource()), ui::Buttons::OKCancel,
                       ui::Icon::Exclamation, QStringLiteral("Warning"), ui::DefaultButton::Second) != ui::Answer::OK)
            return;
        if (CatgData->recordCount() <= 0)
            return;
        auto *songs = w->Data1->recordset();
        if (!songs)
            return;
        const qint64 category = CatgData->recordset()->value(QStringLiteral("CategoryNumber")).toLongLong();
        const QString name = CatgData->recordset()->value(QStringLiteral("CategoryDesc")).toString();
        ui::setMousePointer(ui::MousePointer::Hourglass);
        BulkCounts counts;
        try {
            counts = c == Command::Assign ? BulkAssignment::assignAll(*s.Db, *songs, category)
                                          : BulkAssignment::removeAll(*s.Db, *songs, category);
        } catch (...) {
            w->Data1->rowMoved();
            throw;
        }
        w->Data1->rowMoved();
        // Removed from the category the grid shows, its rows are gone: the grid shows what is
        // left, so that the next command does not walk rows that no longer exist. Any other
        // view still lists every song it listed.
        if (c == Command::Remove && counts.changed > 0 && CategoryView(*w).shows(category)) {
            w->Data1->refresh();
            // As after a Find without hits: an empty view names no song below the grid.
            if (w->recordCount() == 0) {
                w->txtName->clear();
                w->clearArtistButton();
            }
        }
        ui::setMousePointer(ui::MousePointer::Default);
        ui::msgBox(report(c, name, counts), ui::Buttons::OK, ui::Icon::Information,
                   c == Command::Assign ? QStringLiteral("Assignment Statistics")
                                        : QStringLiteral("Un-Assignment Statistics"));
    } catch (const std::exception &e) {
        ui::setMousePointer(ui::MousePointer::Default);
        const auto *dbe = dynamic_cast<const db::DbError *>(&e);
        if (dbe && dbe->number() == db::err::SyntaxError)
            return;
        ui::msgBox(db::errorText(e), ui::Buttons::OK, ui::Icon::None, s.ProductName);
    }
}

} // namespace categories
