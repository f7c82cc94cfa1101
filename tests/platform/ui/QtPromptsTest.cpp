// The Qt prompt service, driven through the modal hook: buttons, defaults, titles, masked input
// and the file and folder dialogs.
#include "common/TestEnv.h"
#include "platform/ui/Forms.h"
#include "platform/ui/QtPrompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFontDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>

using namespace platform::ui;

namespace {

class QtPromptsTest : public OrvalisTest {
protected:
    void TearDown() override {
        setModalHook({});
        OrvalisTest::TearDown();
    }
    QtPrompts qt;
};

QAbstractButton *buttonOf(QDialog *d, QMessageBox::StandardButton b) {
    return static_cast<QMessageBox *>(d)->button(b);
}

} // namespace

TEST_F(QtPromptsTest, EachButtonSetAnswersWithTheButtonPressed) {
    struct Case { Buttons set; QMessageBox::StandardButton press; Answer answer; };
    const Case cases[] = {
        {Buttons::OK, QMessageBox::Ok, Answer::OK},
        {Buttons::OKCancel, QMessageBox::Cancel, Answer::Cancel},
        {Buttons::YesNo, QMessageBox::No, Answer::No},
        {Buttons::YesNoCancel, QMessageBox::Yes, Answer::Yes},
        {Buttons::RetryCancel, QMessageBox::Retry, Answer::Retry},
        {Buttons::AbortRetryIgnore, QMessageBox::Ignore, Answer::Ignore},
    };
    for (const Case &c : cases) {
        ScopedModalHook hook([&](QDialog *d) { buttonOf(d, c.press)->click(); });
        EXPECT_EQ(qt.message({"text", "t", c.set, Icon::None, DefaultButton::First}), c.answer);
    }
}

TEST_F(QtPromptsTest, MessageBoxCarriesTextTitleIconAndDefaultButton) {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QAbstractButton *def = nullptr, *no = nullptr;
    ScopedModalHook hook([&](QDialog *d) {
        auto *box = static_cast<QMessageBox *>(d);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        def = box->defaultButton();
        no = box->button(QMessageBox::No);
        box->defaultButton()->click();
    });
    const Answer a = qt.message({"Delete all?", "Confirmation", Buttons::YesNo, Icon::Question, DefaultButton::Second});
    EXPECT_EQ(title, "Confirmation");
    EXPECT_EQ(text, "Delete all?");
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_EQ(def, no);
    EXPECT_EQ(a, Answer::No);
}

TEST_F(QtPromptsTest, AMessageBoxIsWideEnoughForItsTitleAndTheTitleBarsButtons) {
    // Boxes with a short text under a longer title: the title bar writes the title in the title
    // font beside the window's icon and its close, maximise and minimise buttons.
    const QFontMetrics titleFont(QFontDatabase::systemFont(QFontDatabase::TitleFont));
    const int button = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    for (const QString &title : {QStringLiteral("Compact Database"), QStringLiteral("No records to play"),
                                QStringLiteral("Empty and Compact Database")}) {
        SCOPED_TRACE(title.toStdString());
        int width = 0;
        ScopedModalHook hook([&](QDialog *d) { width = d->width(); });
        qt.message({QStringLiteral("Done."), title, Buttons::OK, Icon::None, DefaultButton::First});
        EXPECT_GE(width, titleFont.horizontalAdvance(title) + 3 * button);
    }
}

TEST_F(QtPromptsTest, ClosingABoxAnswersCancelOrTheOnlyButton) {
    ScopedModalHook hook([](QDialog *d) { d->close(); });
    EXPECT_EQ(qt.message({"x", "t", Buttons::OKCancel, Icon::None, DefaultButton::First}), Answer::Cancel);
    EXPECT_EQ(qt.message({"x", "t", Buttons::OK, Icon::Exclamation, DefaultButton::First}), Answer::OK);
}

TEST_F(QtPromptsTest, PlainInputIsMaskedOnRequestAndCancelGivesNothing) {
    QtPrompts::setInputWindow({});
    QLineEdit::EchoMode echo = QLineEdit::Normal;
    ScopedModalHook hook([&](QDialog *d) {
        auto *in = static_cast<QInputDialog *>(d);
        echo = in->textEchoMode();
        in->setTextValue(in->textValue() + "!");
        in->accept();
    });
    InputRequest r;
    r.prompt = "Password";
    r.defaultText = "abc";
    r.masked = true;
    EXPECT_EQ(qt.input(r), std::optional<QString>("abc!"));
    EXPECT_EQ(echo, QLineEdit::Password);

    ScopedModalHook cancel([](QDialog *d) { d->reject(); });
    EXPECT_EQ(qt.input(r), std::nullopt);
}

TEST_F(QtPromptsTest, OpenDialogTakesTheFilterAndReportsTheChosenEntry) {
    testenv::writeFile(tmp.file("a.mdb"), "x");
    QStringList filters;
    QString selectedFilter, title;
    ScopedModalHook hook([&](QDialog *d) {
        auto *fd = static_cast<QFileDialog *>(d);
        filters = fd->nameFilters();
        selectedFilter = fd->selectedNameFilter();
        title = fd->windowTitle();
        fd->selectNameFilter(fd->nameFilters().at(1));
        fd->selectFile(tmp.file("a.mdb"));
        d->accept();  // QFileDialog::accept is protected; it runs through QDialog
    });
    FileDialogRequest r;
    r.title = "Open database file";
    r.filter = "Database files (*.mdb)|*.mdb|All Files (*.*)|*.*";
    r.filterIndex = 1;
    r.initialDir = tmp.path();
    r.fileMustExist = true;
    const auto res = qt.openFile(r);
    ASSERT_TRUE(res);
    EXPECT_EQ(filters.size(), 2);
    EXPECT_EQ(selectedFilter, filters.value(0));
    EXPECT_EQ(title, "Open database file");
    EXPECT_EQ(res->fileName, tmp.file("a.mdb"));
    EXPECT_EQ(res->fileTitle, "a.mdb");
    EXPECT_EQ(res->filterIndex, 2);
}

TEST_F(QtPromptsTest, CancelledFileDialogsGiveNothing) {
    ScopedModalHook hook([](QDialog *d) { d->reject(); });
    EXPECT_EQ(qt.saveFile(FileDialogRequest{}), std::nullopt);
    EXPECT_EQ(qt.browseFolder(FolderRequest{}), std::nullopt);
    EXPECT_EQ(qt.chooseColor(Qt::red), std::nullopt);
    EXPECT_EQ(qt.chooseFont(FontRequest{}), std::nullopt);
    EXPECT_EQ(qt.chooseFont(FontRequest{"Choose font and color", QFont(), true}), std::nullopt);
}

TEST_F(QtPromptsTest, FolderBrowserStartsAtTheFolderAndShowsTheCaption) {
    QDir(tmp.path()).mkdir("music");
    QString title, startDir;
    ScopedModalHook hook([&](QDialog *d) {
        auto *fd = static_cast<QFileDialog *>(d);
        title = fd->windowTitle();
        startDir = fd->directory().absolutePath();
        fd->selectFile(tmp.file("music"));
        d->accept();  // QFileDialog::accept is protected; it runs through QDialog
    });
    const auto chosen = qt.browseFolder({"Select a Folder", tmp.path(), "Pick the folder"});
    EXPECT_EQ(title, "Pick the folder");
    EXPECT_EQ(startDir, QDir(tmp.path()).absolutePath());
    EXPECT_EQ(chosen, std::optional<QString>(tmp.file("music")));
}

TEST_F(QtPromptsTest, FontDialogOffersAColourBesideTheFontWhenAskedAndKeepsSizesInBounds) {
    QStringList shown;
    ScopedModalHook hook([&](QDialog *d) {
        shown << d->objectName();
        if (auto *colours = qobject_cast<QColorDialog *>(d)) {
            colours->setCurrentColor(QColor(200, 10, 30));
            colours->accept();
            return;
        }
        auto *fonts = d->findChild<QFontDialog *>("FontChoice");
        ASSERT_NE(fonts, nullptr);
        EXPECT_EQ(d->windowTitle(), "Choose font and color");
        EXPECT_EQ(fonts->currentFont().family(), QFont("DejaVu Serif").family());
        fonts->setCurrentFont(QFont("DejaVu Sans", 20));
        d->findChild<QPushButton *>("ColorButton")->click();
        d->accept();
    });
    FontRequest r{"Choose font and color", QFont("DejaVu Serif", 10), true, Qt::blue, 8, 12};
    const auto chosen = qt.chooseFont(r);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(shown, (QStringList{"FontDialog", "ColorDialog"}));
    EXPECT_EQ(chosen->color, QColor(200, 10, 30));
    EXPECT_EQ(chosen->font.family(), QFont("DejaVu Sans").family());
    EXPECT_EQ(chosen->font.pointSize(), 12);  // 20 is past the largest size offered

    // Without a colour request: Qt's own font dialog, the colour as given, sizes unbounded.
    shown.clear();
    ScopedModalHook plain([&](QDialog *d) {
        shown << d->metaObject()->className();
        static_cast<QFontDialog *>(d)->setCurrentFont(QFont("DejaVu Sans", 20));
        d->accept();
    });
    const auto plainChoice = qt.chooseFont(FontRequest{{}, QFont("DejaVu Serif", 10), false, Qt::blue});
    ASSERT_TRUE(plainChoice);
    EXPECT_EQ(shown, QStringList{"QFontDialog"});
    EXPECT_EQ(plainChoice->color, QColor(Qt::blue));
    EXPECT_EQ(plainChoice->font.pointSize(), 20);
}
