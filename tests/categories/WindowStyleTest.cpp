// The grids of the three category windows in desktop and tablet mode: row height, font size and
// weight, and the screen font on the cells and the header.
#include "CategoriesFixture.h"

#include "categories/CategoryAssign.h"
#include "categories/CategoryForm.h"
#include "categories/CatgAssignAll.h"

namespace ui = platform::ui;

namespace {

using WindowStyleTest = CategoriesTest;

TEST_F(WindowStyleTest, GridsFollowTheModeAndTheScreenFont) {
    open();
    core::g().ScreenFontName = QStringLiteral("DejaVu Serif");
    for (const bool tablet : {false, true}) {
        core::g().TabletModeOn = tablet;
        const QList<ui::DbGrid *> grids = {ui::form<categories::CategoryForm>()->CatgGrid,
                                           ui::form<categories::CategoryAssign>()->CatgGrid,
                                           ui::form<categories::CategoryAssign>()->CatgIdGrid,
                                           ui::form<categories::CatgAssignAll>()->CatgGrid};
        for (ui::DbGrid *g : grids) {
            SCOPED_TRACE(g->window()->objectName().toStdString() + "." + g->objectName().toStdString());
            EXPECT_DOUBLE_EQ(g->rowHeightTwips(), tablet ? 400 : 225.0709);
            EXPECT_EQ(g->font().pointSize(), tablet ? 14 : 8);
            EXPECT_EQ(g->font().bold(), !tablet);
            EXPECT_EQ(g->font().family(), QStringLiteral("DejaVu Serif"));
            EXPECT_EQ(g->headFont().family(), QStringLiteral("DejaVu Serif"));
            EXPECT_FALSE(g->allowUpdate());
        }
        for (ui::DbGrid *g : grids)
            ui::unloadForm(g->window());
        ui::flushUnloadedForms();
    }
}

} // namespace
