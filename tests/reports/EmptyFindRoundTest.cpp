// A round through the main window that once ended the program without a word: a find without
// hits, Enter in the search box on the empty view (the editor's "No current record" box), Show
// All, another sort order and a double click on a row. Every step arrives as the user's own input
// (menu action, key, combo choice, mouse) inside the event loop, with the real song editor; the
// sanitizer build runs it, so a use of a destroyed window or recordset stops the test there.
#include "ReportsFixture.h"

#include "editor/EditorWindows.h"

#include <QAction>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>

namespace ui = platform::ui;

namespace {

class EmptyFindRoundTest : public ReportsTest {
protected:
    void SetUp() override {
        ReportsTest::SetUp();
        editor::registerWindows();
        for (int i = 0; i < 12; ++i)
            song(QStringLiteral("Song %1").arg(i, 2, 10, QLatin1Char('0')), QStringLiteral("Artist %1").arg(i % 4),
                 {{"AlbumName", QStringLiteral("Album %1").arg(i % 3)}, {"PathName", "/music/"},
                  {"FileName", QStringLiteral("s%1.mp3").arg(i)}});
        open();
        w->show();
    }
    // Runs one input from inside the event loop, as the user's input arrives.
    static void inLoop(const std::function<void()> &input) {
        QEventLoop loop;
        QTimer::singleShot(0, &loop, [&] {
            input();
            loop.quit();
        });
        loop.exec();
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST_F(EmptyFindRoundTest, FindWithoutHitsEnterShowAllSortAndDoubleClickLeaveTheProgramRunning) {
    QStringList shownModally;
    ui::ScopedModalHook hook([&](QDialog *d) {
        shownModally << d->objectName();
        d->close();
    });
    QPointer<songlist::NameList> window = w;
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        prompts.clear();
        shownModally.clear();
        prompts.answerInput(QStringLiteral("zqx"));
        inLoop([&] { w->FindEditMenu->trigger(); });
        ASSERT_TRUE(window);
        EXPECT_EQ(w->recordCount(), 0);
        EXPECT_TRUE(prompts.lastMessage().startsWith(QStringLiteral("No records found.")));

        inLoop([&] {
            w->txtLocate->setFocus();
            QTest::keyClick(w->txtLocate, Qt::Key_Return);
        });
        ASSERT_TRUE(window);

        inLoop([&] { w->ShowAllMenu->trigger(); });
        ASSERT_TRUE(window);
        EXPECT_EQ(w->recordCount(), 12);

        const int sort = 1 + (round * 5) % (w->cmbSort->count() - 1);
        inLoop([&] {
            w->cmbSort->setCurrentIndex(sort);
            emit w->cmbSort->activated(sort);
        });
        ASSERT_TRUE(window);
        EXPECT_EQ(w->recordCount(), 12);

        const int row = round * 2;
        shownModally.clear();
        inLoop([&] {
            const QRect cell = w->Table1->visualRect(w->Table1->model()->index(row, 2));
            QTest::mouseClick(w->Table1->viewport(), Qt::LeftButton, {}, cell.center());
            QTest::mouseDClick(w->Table1->viewport(), Qt::LeftButton, {}, cell.center());
        });
        ASSERT_TRUE(window);
        EXPECT_TRUE(ui::isLoaded(window.data()));
        EXPECT_TRUE(shownModally.contains(QStringLiteral("NameEdit"))) << shownModally.join(',').toStdString();
        EXPECT_EQ(programEnded, 0);
    }
}
