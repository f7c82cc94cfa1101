#pragma once
// The report window: every report of the program is written into its rich-text box and shown
// here, locked against typing. The user may unlock it for edits, save it as an .rtf file and
// print it with fixed margins, page by page.
//
// Control places and sizes are kept in twips and drawn at the screen's resolution; the load's
// placement and the resize rules work on those values.
#include "platform/ui/Forms.h"

#include <QDialog>
#include <QHash>
#include <QString>
#include <optional>

class QPushButton;

namespace platform::richtext {
class RichTextBox;
}

namespace reports {

class RichTextForm : public platform::ui::Form<QDialog> {
    Q_OBJECT
public:
    explicit RichTextForm(QWidget *parent = nullptr);

    // Designed client area (twips).
    static constexpr int DesignWidth = 14970;
    static constexpr int DesignHeight = 8865;
    static constexpr int DesignBoxHeight = 8148;
    static constexpr int DesignButtonTop = 8376;
    // Between the box's right edge and the client area's (the box is 14580 wide at 156).
    static constexpr int DesignRightMargin = DesignWidth - 156 - 14580;

    // The kind of report shown, set by the builders that need one; the window's unload empties it.
    static inline QString ReportKind;

    platform::richtext::RichTextBox *RichTextBox = nullptr;
    QPushButton *cmdLock = nullptr;
    QPushButton *cmdPrint = nullptr;
    QPushButton *cmdClose = nullptr;
    QPushButton *cmdSave = nullptr;

    // The screen as the load's placement sees it.
    struct Screen {
        double widthTwips = 0;
        double heightTwips = 0;
        double twipsPerPixelX = 15;
        double twipsPerPixelY = 15;
    };
    // Where the load puts the window and what it shrinks, in twips.
    struct Placement {
        double left = 0;
        double top = 0;
        double height = 0;       // outer height
        double boxHeight = 0;
        double buttonTop = 0;
        bool compact = false;
    };
    // The load's rule for a window of the given outer size on that screen.
    static Placement placement(const Screen &screen, double width, double height, bool tablet);
    // The screen the load uses; tests give their own (nullopt puts the real one back).
    static Screen screen();
    static void setScreenOverride(std::optional<Screen> s);

    // The resize rules on an outer size in twips: the box takes the window's height and width.
    void layoutForSize(double outerWidth, double outerHeight);

    // Place and size of a control in twips (left, top, width, height).
    QRectF controlRect(const QWidget *w) const { return rects_.value(w); }
    // The window's outer size in twips (frame included).
    double formWidth() const;
    double formHeight() const;

    void Form_Load();
    void Form_Resize();
    void Form_Activate();
    void cmdLock_Click();
    void cmdSave_Click();
    void cmdPrint_Click();
    void cmdClose_Click();

protected:
    void formUnload() override;
    void resizeEvent(QResizeEvent *e) override;
    void showEvent(QShowEvent *e) override;
    bool event(QEvent *e) override;

private:
    void setControlRect(QWidget *w, const QRectF &twips);
    double frameWidthTwips() const;
    double frameHeightTwips() const;

    QHash<const QWidget *, QRectF> rects_;
    bool loaded_ = false;
    int ownBoxes_ = 0;  // while above 0 the window's own command shows boxes and dialogs
};

} // namespace reports
