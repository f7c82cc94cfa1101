#include "reports/frmChangeFileNamePath.h"

#include "core/AppState.h"
#include "core/mCommon.h"
#include "platform/db/Database.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "reports/CleanupWindows.h"
#include "reports/ColumnTextChange.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace reports {

namespace db = platform::db;
namespace ui = platform::ui;
using cleanup::make;

frmChangeFileNamePath::frmChangeFileNamePath(QWidget *parent) : Form<QDialog>(parent) {
    cleanup::setUpWindow(this, QStringLiteral("Change FileName Path"), 9240, 3960);

    Label1 = make<QLabel>(
        this, "Label1", 120, 120, 9000, 1440,
        QStringLiteral("Use this feature to change any text in the FileName field of every PlayList in your entire "
                       "database. This is useful if the songs in your PlayLists are in a different location from when "
                       "the PlayList was originally created.  For example, if the folder name of some songs has "
                       "changed from /home/me/Music/ to /home/me/NewMusic/, type /home/me/Music/ in the first box and "
                       "/home/me/NewMusic/ in the second box.  The trailing / is important to prevent also changing a "
                       "folder named /home/me/MusicTwo/ for example."));
    Label1->setWordWrap(true);
    lblOrigPath = make<QLabel>(this, "lblOrigPath", 120, 1680, 9000, 255,
                               QStringLiteral("Original text to find and change:   (only the characters you specify "
                                              "will be replaced in the FileName field)"));
    txtOrig = make<QLineEdit>(this, "txtOrig", 120, 1950, 9000, 315);
    lblNewPath = make<QLabel>(this, "lblNewPath", 120, 2400, 9000, 255,
                              QStringLiteral("New replacement text:                (this text will replace the original "
                                             "characters specified above)"));
    txtNew = make<QLineEdit>(this, "txtNew", 120, 2670, 9000, 315);
    cmdOK = make<QPushButton>(this, "cmdOK", 6420, 3420, 1215, 372, QStringLiteral("OK"));
    cmdCancel = make<QPushButton>(this, "cmdCancel", 7800, 3420, 1215, 372, QStringLiteral("Cancel"));
    for (QPushButton *b : {cmdOK, cmdCancel})
        b->setAutoDefault(false);

    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

void frmChangeFileNamePath::cmdCancel_Click() { close(); }

void frmChangeFileNamePath::cmdOK_Click() {
    const QString T1 = txtOrig->text(), T2 = txtNew->text();
    const QString O = mCommon::TrimBlanks(T1), N = mCommon::TrimBlanks(T2);
    if (!cleanup::filledIn(T1) || !cleanup::filledIn(T2)) {
        ui::msgBox(QStringLiteral("Both the original text and the new replacement text must be specified."),
                   ui::Buttons::OK, ui::Icon::Exclamation, QStringLiteral("Text not specified"));
        txtOrig->setText(O);
        txtNew->setText(N);
        return;
    }
    const TextColumn tracks = TextColumn::trackPaths();
    db::Database &database = *core::g().Db;
    try {
        const long B = ColumnTextChange::countContaining(database, tracks, O);
        if (B <= 0) {
            ui::msgBox(QStringLiteral("The text you specified was not found in the FileName in any PlayList."),
                       ui::Buttons::OK, ui::Icon::None, QStringLiteral("Not found"));
            return;
        }
        const QString question = QStringLiteral("The number of records that contain  ") + T1 +
                                 QStringLiteral("  is: ") + QString::number(B) +
                                 QStringLiteral(".  Are you sure you want to replace this part of the FileName with  ") +
                                 T2 + QStringLiteral("  for every one of these records in all your PlayLists?");
        if (!cleanup::confirmed(question))
            return;
        ui::setMousePointer(ui::MousePointer::Hourglass);
        {
            db::Transaction t(database);
            ColumnTextChange::replaceAll(database, tracks, O, N);
            t.commit();
        }
        ui::setMousePointer(ui::MousePointer::Default);
        ui::msgBox(QStringLiteral("Update completed."), ui::Buttons::OK, ui::Icon::None, QStringLiteral("Finished"));
    } catch (const std::exception &e) {
        cleanup::showFailure(e);
        return;
    }
    close();
}

} // namespace reports
