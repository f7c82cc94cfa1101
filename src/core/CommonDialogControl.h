#pragma once
// The common-dialog control a window carries (the main window's CMDialog1, which other windows
// use for their file dialogs and through whose FileName a picture path passes between windows).
// Its fields keep their values between uses; ShowOpen and ShowSave ask through the prompt
// service. With CancelError set, a cancelled dialog throws DialogCancelled (error 32755) into
// the caller's own error handling; without it, Cancel returns and leaves every field as it was.
#include <QObject>
#include <QString>
#include <stdexcept>

namespace core {

class DialogCancelled : public std::runtime_error {
public:
    static constexpr int Number = 32755;
    DialogCancelled() : std::runtime_error("Cancel was selected.") {}
    int number() const noexcept { return Number; }
    QString description() const { return QStringLiteral("Cancel was selected."); }
};

class CommonDialogControl : public QObject {
    Q_OBJECT
public:
    explicit CommonDialogControl(QObject *parent = nullptr) : QObject(parent) {}

    bool CancelError = false;
    int Flags = 0;          // OFN_* bits (mCommonDialog) in; as the dialog ended, out
    QString Filter;         // "description|pattern|..."
    int FilterIndex = 0;    // 1-based entry of Filter shown first; the chosen one, out
    QString FileName;       // start name in, chosen path out
    QString FileTitle;      // chosen file's name without its folder, out
    QString DialogTitle;
    QString InitDir;
    QString DefaultExt;

    // True when a file was chosen. On Cancel: false, or DialogCancelled with CancelError set.
    bool ShowOpen();
    bool ShowSave();

private:
    bool show(bool save);
};

} // namespace core
