#include "platform/ui/QtPrompts.h"

#include "platform/ui/FileFilter.h"
#include "platform/ui/Forms.h"

#include <QAbstractButton>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace platform::ui {

namespace {

QtPrompts::InputWindow &inputWindow() {
    static QtPrompts::InputWindow w;
    return w;
}

// A message box at least as wide as its title. Qt sizes a box to its text; the window manager
// writes the title in its own font beside its buttons, so a short text under a longer title
// ("Compact Database") had the title cut.
class TitledMessageBox : public QMessageBox {
protected:
    // Qt sizes the box again on showing it and on later layout, font and screen changes; the
    // width for the title is put back after each.
    bool event(QEvent *e) override {
        const bool handled = QMessageBox::event(e);
        switch (e->type()) {
        case QEvent::Show:
        case QEvent::LayoutRequest:
        case QEvent::FontChange:
        case QEvent::StyleChange:
        case QEvent::ScreenChangeInternal:
        case QEvent::WindowTitleChange:
            widenToTitle();
            break;
        default:
            break;
        }
        return handled;
    }

private:
    void widenToTitle() {
        if (!isVisible())
            return;
        const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight);
        const int wanted = QFontMetrics(QFontDatabase::systemFont(QFontDatabase::TitleFont))
                               .horizontalAdvance(windowTitle()) +
                           4 * titleBar;  // the window's icon and its buttons beside the title
        const int need = std::min(wanted, availableScreenRect(this).width());
        if (width() < need)
            setFixedSize(need, height());
    }
};

struct ButtonSpec {
    QMessageBox::StandardButton button;
    Answer answer;
};

QList<ButtonSpec> buttonSet(Buttons b) {
    switch (b) {
    case Buttons::OK: return {{QMessageBox::Ok, Answer::OK}};
    case Buttons::OKCancel: return {{QMessageBox::Ok, Answer::OK}, {QMessageBox::Cancel, Answer::Cancel}};
    case Buttons::YesNo: return {{QMessageBox::Yes, Answer::Yes}, {QMessageBox::No, Answer::No}};
    case Buttons::YesNoCancel:
        return {{QMessageBox::Yes, Answer::Yes}, {QMessageBox::No, Answer::No}, {QMessageBox::Cancel, Answer::Cancel}};
    case Buttons::RetryCancel: return {{QMessageBox::Retry, Answer::Retry}, {QMessageBox::Cancel, Answer::Cancel}};
    case Buttons::AbortRetryIgnore:
        return {{QMessageBox::Abort, Answer::Abort}, {QMessageBox::Retry, Answer::Retry}, {QMessageBox::Ignore, Answer::Ignore}};
    }
    return {{QMessageBox::Ok, Answer::OK}};
}

QMessageBox::Icon boxIcon(Icon i) {
    switch (i) {
    case Icon::Critical: return QMessageBox::Critical;
    case Icon::Question: return QMessageBox::Question;
    case Icon::Exclamation: return QMessageBox::Warning;
    case Icon::Information: return QMessageBox::Information;
    case Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

// A box without a title carries the program's name, as the platform's message box did.
QString boxTitle(const QString &title) {
    if (!title.isEmpty())
        return title;
    const QString name = QGuiApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Orvalis") : name;
}

// A folder as the dialogs return it: no trailing "/" except on the root.
QString cleanFolder(const QString &path) {
    QString p = QDir::cleanPath(path);
    return p.isEmpty() ? path : p;
}

void prepareFileDialog(QFileDialog &dlg, const FileDialogRequest &r) {
    if (!r.title.isEmpty())
        dlg.setWindowTitle(r.title);
    const QStringList filters = convertFileFilter(r.filter);
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        const int i = r.filterIndex >= 1 && r.filterIndex <= filters.size() ? r.filterIndex - 1 : 0;
        dlg.selectNameFilter(filters.at(i));
    }
    QString dir = r.initialDir;
    QString name = r.fileName;
    if (!name.isEmpty() && name.contains('/')) {
        const QFileInfo fi(name);
        if (dir.isEmpty())
            dir = fi.absolutePath();
        name = fi.fileName();
    }
    if (!dir.isEmpty())
        dlg.setDirectory(dir);
    if (!name.isEmpty())
        dlg.selectFile(name);
    QString ext = r.defaultExt;
    if (ext.startsWith('.'))
        ext.remove(0, 1);
    if (!ext.isEmpty())
        dlg.setDefaultSuffix(ext);
}

std::optional<FileDialogResult> runFileDialog(QFileDialog &dlg, const FileDialogRequest &r) {
    if (showModal(&dlg) != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dlg.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty())
        return std::nullopt;
    FileDialogResult res;
    res.fileName = files.first();
    res.fileNames = files;
    res.fileTitle = QFileInfo(res.fileName).fileName();
    const int i = dlg.nameFilters().indexOf(dlg.selectedNameFilter());
    res.filterIndex = i >= 0 ? i + 1 : r.filterIndex;
    res.readOnly = r.readOnly;
    return res;
}

} // namespace

void QtPrompts::setInputWindow(InputWindow window) { inputWindow() = std::move(window); }

Answer QtPrompts::message(const MessageRequest &r) {
    TitledMessageBox box;
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setWindowTitle(boxTitle(r.title));
    box.setText(displayText(r.text));
    box.setIcon(boxIcon(r.icon));
    const QList<ButtonSpec> set = buttonSet(r.buttons);
    QList<QPushButton *> made;
    for (const ButtonSpec &b : set)
        made.append(box.addButton(b.button));
    const int d = static_cast<int>(r.defaultButton);
    box.setDefaultButton(made.value(d < made.size() ? d : 0));
    // Escape and the close box answer as Qt detects it: Cancel where there is one, OK on an
    // OK-only box, No on a Yes/No box.
    showModal(&box);
    const int i = made.indexOf(qobject_cast<QPushButton *>(box.clickedButton()));
    if (i >= 0)
        return set[i].answer;
    // Closed without a button (only possible when forced): the escape answer, else the default.
    for (const ButtonSpec &b : set)
        if (b.answer == Answer::Cancel)
            return b.answer;
    return set[d < set.size() ? d : 0].answer;
}

std::optional<QString> QtPrompts::input(const InputRequest &r) {
    if (inputWindow())
        return inputWindow()(r);
    QInputDialog dlg;
    dlg.setObjectName(QStringLiteral("InputDialog"));
    dlg.setWindowTitle(boxTitle(r.title));
    dlg.setLabelText(displayText(r.prompt));
    dlg.setTextEchoMode(r.masked ? QLineEdit::Password : QLineEdit::Normal);
    dlg.setTextValue(r.defaultText);
    if (showModal(&dlg) != QDialog::Accepted)
        return std::nullopt;
    return dlg.textValue();
}

std::optional<FileDialogResult> QtPrompts::openFile(const FileDialogRequest &r) {
    QFileDialog dlg;
    dlg.setObjectName(QStringLiteral("OpenFileDialog"));
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    if (r.multiSelect)
        dlg.setFileMode(QFileDialog::ExistingFiles);
    else
        dlg.setFileMode(r.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    prepareFileDialog(dlg, r);
    return runFileDialog(dlg, r);
}

std::optional<FileDialogResult> QtPrompts::saveFile(const FileDialogRequest &r) {
    QFileDialog dlg;
    dlg.setObjectName(QStringLiteral("SaveFileDialog"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setOption(QFileDialog::DontConfirmOverwrite, !r.overwritePrompt);
    prepareFileDialog(dlg, r);
    return runFileDialog(dlg, r);
}

std::optional<QString> QtPrompts::browseFolder(const FolderRequest &r) {
    QFileDialog dlg;
    dlg.setObjectName(QStringLiteral("FolderDialog"));
    dlg.setFileMode(QFileDialog::Directory);
    dlg.setOption(QFileDialog::ShowDirsOnly, true);
    dlg.setWindowTitle(r.caption.isEmpty() ? r.prompt : r.caption);
    if (!r.caption.isEmpty() && !r.prompt.isEmpty())
        dlg.setLabelText(QFileDialog::LookIn, r.prompt);
    if (!r.startFolder.isEmpty() && QFileInfo(r.startFolder).isDir())
        dlg.setDirectory(r.startFolder);
    if (showModal(&dlg) != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dlg.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return std::nullopt;
    return cleanFolder(chosen.first());
}

std::optional<QColor> QtPrompts::chooseColor(const QColor &initial) {
    QColorDialog dlg(initial);
    dlg.setObjectName(QStringLiteral("ColorDialog"));
    if (showModal(&dlg) != QDialog::Accepted || !dlg.selectedColor().isValid())
        return std::nullopt;
    return dlg.selectedColor();
}

namespace {
// A chosen size kept within the request's bounds (Qt's font dialog cannot narrow its size list).
QFont withinSizeBounds(QFont f, const FontRequest &r) {
    if (r.maxSize <= 0)
        return f;
    const double size = f.pointSizeF() > 0 ? f.pointSizeF() : r.font.pointSizeF();
    f.setPointSizeF(std::clamp(size, double(std::max(1, r.minSize)), double(std::max(r.minSize, r.maxSize))));
    return f;
}

void paintSwatch(QLabel *swatch, const QColor &color) {
    QPalette p = swatch->palette();
    p.setColor(QPalette::Window, color);
    swatch->setPalette(p);
}
} // namespace

std::optional<FontChoice> QtPrompts::chooseFont(const FontRequest &r) {
    if (!r.offerColor) {
        QFontDialog dlg(r.font);
        dlg.setObjectName(QStringLiteral("FontDialog"));
        if (!r.title.isEmpty())
            dlg.setWindowTitle(r.title);
        if (showModal(&dlg) != QDialog::Accepted)
            return std::nullopt;
        return FontChoice{withinSizeBounds(dlg.selectedFont(), r), r.color};
    }

    // Qt's font dialog offers no colour: it is set into a dialog of its own, with a colour
    // button and a swatch of the chosen colour beside it.
    QDialog dlg;
    dlg.setObjectName(QStringLiteral("FontDialog"));
    dlg.setWindowTitle(r.title.isEmpty() ? QStringLiteral("Font") : r.title);
    auto *fonts = new QFontDialog(r.font, &dlg);
    fonts->setObjectName(QStringLiteral("FontChoice"));
    fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    fonts->setWindowFlags(Qt::Widget);
    QColor color = r.color.isValid() ? r.color : QColor(Qt::black);
    auto *colorButton = new QPushButton(QStringLiteral("&Color..."), &dlg);
    colorButton->setObjectName(QStringLiteral("ColorButton"));
    colorButton->setAutoDefault(false);
    auto *swatch = new QLabel(&dlg);
    swatch->setObjectName(QStringLiteral("ColorSwatch"));
    swatch->setAutoFillBackground(true);
    swatch->setFrameShape(QFrame::Box);
    swatch->setFixedSize(48, colorButton->sizeHint().height());
    paintSwatch(swatch, color);
    QObject::connect(colorButton, &QPushButton::clicked, &dlg, [&dlg, &color, swatch] {
        QColorDialog cd(color, &dlg);
        cd.setObjectName(QStringLiteral("ColorDialog"));
        if (showModal(&cd) == QDialog::Accepted && cd.selectedColor().isValid()) {
            color = cd.selectedColor();
            paintSwatch(swatch, color);
        }
    });
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    auto *colorRow = new QHBoxLayout;
    colorRow->addWidget(colorButton);
    colorRow->addWidget(swatch);
    colorRow->addStretch();
    auto *layout = new QVBoxLayout(&dlg);
    layout->addWidget(fonts);
    layout->addLayout(colorRow);
    layout->addWidget(buttons);

    if (showModal(&dlg) != QDialog::Accepted)
        return std::nullopt;
    return FontChoice{withinSizeBounds(fonts->currentFont(), r), color};
}

bool QtPrompts::choosePrinter(QPrinter &printer) {
    QPrintDialog dlg(&printer);
    dlg.setObjectName(QStringLiteral("PrintDialog"));
    return showModal(&dlg) == QDialog::Accepted;
}

bool QtPrompts::openUrl(const QUrl &url) { return QDesktopServices::openUrl(url); }

} // namespace platform::ui
