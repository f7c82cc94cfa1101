#include "reports/RichTextForm.h"

#include "core/AppState.h"
#include "core/StartFolders.h"
#include "core/mCommonDialog.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "reports/mRichTextPrint.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QPrinter>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace reports {

namespace ui = platform::ui;

namespace {
// The save dialog's name for the folder it starts in.
const QString kSaveDialog = QStringLiteral("Save report");

std::optional<RichTextForm::Screen> &screenOverride() {
    static std::optional<RichTextForm::Screen> s;
    return s;
}
} // namespace

RichTextForm::RichTextForm(QWidget *parent) : Form<QDialog>(parent) {
    setWindowTitle(QStringLiteral("Report"));
    // A report window stands beside the main window, with the usual window buttons.
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    resize(ui::twipsToPixelsX(DesignWidth), ui::twipsToPixelsY(DesignHeight));

    RichTextBox = new platform::richtext::RichTextBox(this);
    RichTextBox->setObjectName(QStringLiteral("RichTextBox"));
    setControlRect(RichTextBox, {156, 168, 14580, DesignBoxHeight});
    // A report is a page: black on white whatever the desktop, as it prints.
    QPalette page = RichTextBox->palette();
    page.setColor(QPalette::Base, Qt::white);
    page.setColor(QPalette::Text, Qt::black);
    RichTextBox->setPalette(page);

    const auto button = [this](const char *name, const char *caption, QRectF r) {
        auto *b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        QFont f = b->font();
        f.setFamily(QStringLiteral("Arial"));
        b->setFont(f);
        setControlRect(b, r);
        return b;
    };
    cmdLock = button("cmdLock", "Edit", {168, DesignButtonTop, 1056, 420});
    cmdPrint = button("cmdPrint", "Print", {5400, DesignButtonTop, 1056, 420});
    cmdClose = button("cmdClose", "Close", {6924, DesignButtonTop, 1056, 420});
    cmdSave = button("cmdSave", "Save", {8424, DesignButtonTop, 1044, 420});

    connect(cmdLock, &QPushButton::clicked, this, [this] { cmdLock_Click(); });
    connect(cmdPrint, &QPushButton::clicked, this, [this] { cmdPrint_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });

    Form_Load();
}

// ---------------------------------------------------------------- placement

RichTextForm::Screen RichTextForm::screen() {
    if (screenOverride())
        return *screenOverride();
    Screen s;
    s.twipsPerPixelX = 1440.0 / ui::screenDpiX();
    s.twipsPerPixelY = 1440.0 / ui::screenDpiY();
    const QScreen *qs = QGuiApplication::primaryScreen();
    const QSize px = qs ? qs->geometry().size() : QSize(1024, 768);
    s.widthTwips = px.width() * s.twipsPerPixelX;
    s.heightTwips = px.height() * s.twipsPerPixelY;
    return s;
}

void RichTextForm::setScreenOverride(std::optional<Screen> s) { screenOverride() = s; }

RichTextForm::Placement RichTextForm::placement(const Screen &s, double width, double height, bool tablet) {
    Placement p;
    p.left = (s.widthTwips - width) / 2;
    p.height = height;
    p.boxHeight = DesignBoxHeight;
    p.buttonTop = DesignButtonTop;
    // Screens of fewer than 800 lines at 120 dots per inch, and tablets, get a shorter window
    // at the top of the screen.
    const long pixelsHigh = s.twipsPerPixelY > 0 ? long(s.heightTwips / s.twipsPerPixelY) : 0;
    p.compact = (pixelsHigh < 800 && s.twipsPerPixelX == 12) || tablet;
    if (p.compact) {
        p.top = 10;
        p.boxHeight = DesignBoxHeight * 0.8;
        p.height = height * 0.82;
        p.buttonTop = DesignButtonTop * 0.8;
    } else {
        p.top = (s.heightTwips - height) / 2;
    }
    return p;
}

double RichTextForm::frameWidthTwips() const {
    if (isVisible() && frameGeometry().width() > width())
        return ui::pixelsToTwipsX(frameGeometry().width() - width());
    return 0;
}

double RichTextForm::frameHeightTwips() const {
    if (isVisible() && frameGeometry().height() > height())
        return ui::pixelsToTwipsY(frameGeometry().height() - height());
    // Before the window manager framed it: the title bar.
    return ui::pixelsToTwipsY(style()->pixelMetric(QStyle::PM_TitleBarHeight));
}

double RichTextForm::formWidth() const { return ui::pixelsToTwipsX(width()) + frameWidthTwips(); }
double RichTextForm::formHeight() const { return ui::pixelsToTwipsY(height()) + frameHeightTwips(); }

void RichTextForm::Form_Load() {
    const Placement p = placement(screen(), formWidth(), formHeight(), core::g().TabletModeOn);
    if (p.compact) {
        setControlRect(RichTextBox, QRectF(controlRect(RichTextBox).topLeft(),
                                           QSizeF(controlRect(RichTextBox).width(), p.boxHeight)));
        for (QPushButton *b : {cmdClose, cmdLock, cmdPrint, cmdSave}) {
            QRectF r = controlRect(b);
            r.moveTop(p.buttonTop);
            setControlRect(b, r);
        }
        resize(width(), std::max(1, ui::twipsToPixelsY(p.height - frameHeightTwips())));
    }
    move(ui::twipsToPixelsX(p.left), ui::twipsToPixelsY(p.top));
    loaded_ = true;
    Form_Resize();
}

// ---------------------------------------------------------------- layout

void RichTextForm::setControlRect(QWidget *w, const QRectF &r) {
    rects_[w] = r;
    w->setGeometry(ui::twipsToPixelsX(r.left()), ui::twipsToPixelsY(r.top()), std::max(0, ui::twipsToPixelsX(r.width())),
                   std::max(0, ui::twipsToPixelsY(r.height())));
}

void RichTextForm::layoutForSize(double W, double H) {
    QRectF close = controlRect(cmdClose);
    QRectF print = controlRect(cmdPrint);
    QRectF save = controlRect(cmdSave);
    QRectF lock = controlRect(cmdLock);
    QRectF box = controlRect(RichTextBox);

    close.moveLeft(W / 2 - close.width() / 2);
    print.moveLeft(close.left() - close.width() - print.width());
    save.moveLeft(close.left() + close.width() + save.width());
    // A window made very small keeps its buttons and box at the top rather than above it.
    const double top = std::max(0.0, H - close.height() - 600);
    close.moveTop(top);
    print.moveTop(top);
    save.moveTop(top);
    lock.moveTop(top);
    box.setHeight(std::max(0.0, H - close.height() - 800));
    // The box follows the window's width too, keeping its designed margin on the right, so a
    // window narrower than the design (a small screen, a large scale) shows the box whole.
    box.setWidth(std::max(0.0, W - frameWidthTwips() - box.left() - DesignRightMargin));

    setControlRect(cmdClose, close);
    setControlRect(cmdPrint, print);
    setControlRect(cmdSave, save);
    setControlRect(cmdLock, lock);
    setControlRect(RichTextBox, box);
}

void RichTextForm::Form_Resize() {
    if (loaded_ && !isMinimized())
        layoutForSize(formWidth(), formHeight());
}

void RichTextForm::resizeEvent(QResizeEvent *e) {
    QDialog::resizeEvent(e);
    Form_Resize();
}

// ---------------------------------------------------------------- activation

void RichTextForm::showEvent(QShowEvent *e) {
    QDialog::showEvent(e);
    if (!e->spontaneous())
        Form_Activate();
}

bool RichTextForm::event(QEvent *e) {
    // The user came back from another window. A box or dialog of the window's own command
    // closing is not a return: the box must not lock under a Save.
    if (e->type() == QEvent::WindowActivate && ownBoxes_ == 0 && isVisible())
        Form_Activate();
    return QDialog::event(e);
}

void RichTextForm::Form_Activate() {
    ui::setMousePointer(ui::MousePointer::Default);
    ui::unloadForm(QStringLiteral("MsgForm"));
    RichTextBox->setSelStart(0);
    RichTextBox->setLocked(true);
    // The button names what its next click does, and the box is locked now.
    cmdLock->setText(QStringLiteral("Edit"));
}

// ---------------------------------------------------------------- commands

void RichTextForm::cmdLock_Click() {
    if (cmdLock->text() != QLatin1String("Edit")) {
        RichTextBox->setLocked(true);
        cmdLock->setText(QStringLiteral("Edit"));
    } else {
        RichTextBox->setLocked(false);
        cmdLock->setText(QStringLiteral("Lock"));
    }
}

void RichTextForm::cmdSave_Click() {
    const QScopedValueRollback<int> own(ownBoxes_, ownBoxes_ + 1);
    const QString question =
        QStringLiteral("You are about to save this report to a Rich Text File (.rtf) that can be opened and printed "
                       "with Microsoft Word, LibreOffice Writer, or any Word Processor.\r\n\r\nProceed?");
    if (ui::msgBox(question, ui::Buttons::YesNo, ui::Icon::Question, QStringLiteral("Confirmation")) != ui::Answer::Yes)
        return;

    QString fileName = QStringLiteral("*.rtf");
    QString fileTitle;
    QString filter = QStringLiteral("rtf Files & (*.rtf)|*.rtf|All Files (*.*)|*.*");
    int filterIndex = 1;
    int flags = 0;
    if (!mCommonDialog::VBGetSaveFileName(fileName, fileTitle, true, filter, filterIndex,
                                          core::StartFolders::lastUsed(kSaveDialog), QString(), QString(), nullptr,
                                          flags))
        return;
    core::StartFolders::used(kSaveDialog, fileName);

    ui::HourglassPointer hourglass;
    try {
        if (fileName.right(4).toLower() != QLatin1String(".rtf")) {
            fileName += QStringLiteral(".rtf");
            // The dialog asked about the name as typed; the name actually written is asked here.
            if (QFileInfo::exists(fileName)) {
                ui::setMousePointer(ui::MousePointer::Default);
                const ui::Answer a = ui::msgBox(fileName + QStringLiteral(" already exists.\rDo you want to replace it?"),
                                                ui::Buttons::YesNo, ui::Icon::Exclamation, QStringLiteral("Save As"),
                                                ui::DefaultButton::Second);
                if (a != ui::Answer::Yes)
                    return;
                ui::setMousePointer(ui::MousePointer::Hourglass);
            }
        }
        RichTextBox->SaveFile(fileName);
    } catch (const std::exception &e) {
        ui::setMousePointer(ui::MousePointer::Default);
        ui::msgBox(QString::fromUtf8(e.what()));
        return;
    }
    ui::setMousePointer(ui::MousePointer::Default);
    ui::msgBox(QStringLiteral("File ") + fileName + QStringLiteral(" Saved"));
}

void RichTextForm::cmdPrint_Click() {
    const QScopedValueRollback<int> own(ownBoxes_, ownBoxes_ + 1);
    try {
        QPrinter printer(QPrinter::HighResolution);
        // Margins count from the sheet's edges.
        printer.setFullPage(true);
        if (!ui::prompts().choosePrinter(printer))
            return;
        mRichTextPrint::PrintRTF(*RichTextBox, printer, 1440, 1440, 720, 720);
    } catch (...) {
        // A printer that fails ends the command without a message, as a cancelled dialog does.
    }
}

void RichTextForm::cmdClose_Click() { ui::unloadForm(this); }

void RichTextForm::formUnload() {
    RichTextBox->setTextRTF(QString());
    ReportKind.clear();
}

} // namespace reports
