// The dialog object's font dialog: the colour comes back when the flags ask for effects, and
// sizes are bounded by Min and Max only when the flags ask for that.
#include "common/TestEnv.h"

#include "core/CommonDlgs.h"
#include "platform/ui/ScriptedPrompts.h"

using core::CommonDlgs;
using platform::ui::ScriptedPrompts;

namespace {

// The notes window's "Choose font and color" flags: screen fonts, initialised from the fields,
// effects, existing fonts only, no script choice. They do not limit the sizes.
constexpr int NotesFontFlags = 8454465;

class FontDialogTest : public OrvalisTest {
protected:
    ScriptedPrompts prompts;
};

} // namespace

TEST_F(FontDialogTest, WithEffectsTheColourIsOfferedAndComesBack) {
    CommonDlgs dlg;
    dlg.DialogTitle = "Choose font and color";
    dlg.Flags = NotesFontFlags;
    dlg.Color = 0x0000FF;  // red, as the platform's RGB long
    prompts.answerFont(QFont("DejaVu Sans", 12), QColor(0x12, 0x34, 0x56));
    ASSERT_TRUE(dlg.ShowFont());
    const auto &asked = prompts.asked().last().fontRequest;
    EXPECT_EQ(asked.title, "Choose font and color");
    EXPECT_TRUE(asked.offerColor);
    EXPECT_EQ(asked.color, QColor(255, 0, 0));
    EXPECT_EQ(asked.maxSize, 0);  // no size limit asked for: Min and Max (both 0) stay out
    EXPECT_EQ(dlg.Color, 0x563412);
    EXPECT_EQ(dlg.FontName, "DejaVu Sans");
    EXPECT_FLOAT_EQ(dlg.FontSize, 12);

    // Cancel leaves the colour as it was.
    prompts.answerFont(std::nullopt);
    EXPECT_FALSE(dlg.ShowFont());
    EXPECT_EQ(dlg.Color, 0x563412);
}

TEST_F(FontDialogTest, WithoutEffectsNoColourIsOfferedAndTheColourStays) {
    CommonDlgs dlg;
    dlg.Flags = CommonDlgs::CF_SCREENFONTS;
    dlg.Color = 0x00FF00;
    prompts.answerFont(QFont("DejaVu Sans", 12), QColor(1, 2, 3));
    ASSERT_TRUE(dlg.ShowFont());
    EXPECT_FALSE(prompts.asked().last().fontRequest.offerColor);
    EXPECT_EQ(dlg.Color, 0x00FF00);
}

TEST_F(FontDialogTest, SizesAreBoundedByMinAndMaxOnlyWithTheLimitFlag) {
    struct Case {
        int flags;
        float chosen;
        float expected;
        int askedMin, askedMax;
    };
    const Case cases[] = {
        {CommonDlgs::CF_SCREENFONTS | CommonDlgs::CF_LIMITSIZE, 36, 24, 8, 24},
        {CommonDlgs::CF_SCREENFONTS | CommonDlgs::CF_LIMITSIZE, 4, 8, 8, 24},
        {CommonDlgs::CF_SCREENFONTS | CommonDlgs::CF_LIMITSIZE, 14, 14, 8, 24},
        {CommonDlgs::CF_SCREENFONTS, 36, 36, 0, 0},
    };
    for (const Case &c : cases) {
        CommonDlgs dlg;
        dlg.Flags = c.flags;
        dlg.Min = 8;
        dlg.Max = 24;
        QFont f("DejaVu Sans");
        f.setPointSizeF(c.chosen);
        prompts.answerFont(f);
        ASSERT_TRUE(dlg.ShowFont());
        EXPECT_FLOAT_EQ(dlg.FontSize, c.expected) << c.chosen;
        EXPECT_EQ(prompts.asked().last().fontRequest.minSize, c.askedMin);
        EXPECT_EQ(prompts.asked().last().fontRequest.maxSize, c.askedMax);
    }
}
