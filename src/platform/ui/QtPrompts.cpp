#include "platform/ui/QtPrompts.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace platform::ui {

// Minimal first version; the full conversions (filters, flags, defaults) come with the
// dialog helpers.
Answer QtPrompts::message(const MessageRequest &r) {
    QMessageBox box;
    box.setWindowTitle(r.title);
    box.setText(r.text);
    switch (r.icon) {
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::None: break;
    }
    QList<QPair<QMessageBox::StandardButton, Answer>> set;
    switch (r.buttons) {
    case Buttons::OK: set = {{QMessageBox::Ok, Answer::OK}}; break;
    case Buttons::OKCancel: set = {{QMessageBox::Ok, Answer::OK}, {QMessageBox::Cancel, Answer::Cancel}}; break;
    case Buttons::YesNo: set = {{QMessageBox::Yes, Answer::Yes}, {QMessageBox::No, Answer::No}}; break;
    case Buttons::YesNoCancel:
        set = {{QMessageBox::Yes, Answer::Yes}, {QMessageBox::No, Answer::No}, {QMessageBox::Cancel, Answer::Cancel}};
        break;
    case Buttons::RetryCancel: set = {{QMessageBox::Retry, Answer::Retry}, {QMessageBox::Cancel, Answer::Cancel}}; break;
    case Buttons::AbortRetryIgnore:
        set = {{QMessageBox::Abort, Answer::Abort}, {QMessageBox::Retry, Answer::Retry}, {QMessageBox::Ignore, Answer::Ignore}};
        break;
    }
    QMessageBox::StandardButtons buttons;
    for (auto &p : set)
        buttons |= p.first;
    box.setStandardButtons(buttons);
    const int d = static_cast<int>(r.defaultButton);
    if (d < set.size())
        box.setDefaultButton(set[d].first);
    const int res = box.exec();
    for (auto &p : set)
        if (p.first == res)
            return p.second;
    return set.size() > 1 ? Answer::Cancel : Answer::OK;
}

std::optional<QString> QtPrompts::input(const InputRequest &r) {
    bool ok = false;
    const QString s = QInputDialog::getText(nullptr, r.title, r.prompt,
                                            r.masked ? QLineEdit::Password : QLineEdit::Normal,
                                            r.defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return s;
}

std::optional<FileDialogResult> QtPrompts::openFile(const FileDialogRequest &r) {
    const QString f = QFileDialog::getOpenFileName(nullptr, r.title, r.initialDir);
    if (f.isEmpty())
        return std::nullopt;
    FileDialogResult res;
    res.fileName = f;
    res.fileNames = {f};
    res.fileTitle = QFileInfo(f).fileName();
    return res;
}

std::optional<FileDialogResult> QtPrompts::saveFile(const FileDialogRequest &r) {
    const QString f = QFileDialog::getSaveFileName(nullptr, r.title, r.initialDir);
    if (f.isEmpty())
        return std::nullopt;
    FileDialogResult res;
    res.fileName = f;
    res.fileNames = {f};
    res.fileTitle = QFileInfo(f).fileName();
    return res;
}

std::optional<QString> QtPrompts::browseFolder(const FolderRequest &r) {
    const QString f = QFileDialog::getExistingDirectory(nullptr, r.prompt, r.startFolder);
    if (f.isEmpty())
        return std::nullopt;
    return f;
}

std::optional<QColor> QtPrompts::chooseColor(const QColor &initial) {
    const QColor c = QColorDialog::getColor(initial);
    if (!c.isValid())
        return std::nullopt;
    return c;
}

std::optional<QFont> QtPrompts::chooseFont(const QFont &initial) {
    bool ok = false;
    const QFont f = QFontDialog::getFont(&ok, initial);
    if (!ok)
        return std::nullopt;
    return f;
}

bool QtPrompts::openUrl(const QUrl &url) { return QDesktopServices::openUrl(url); }

} // namespace platform::ui
