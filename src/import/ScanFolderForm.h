#pragma once
// The progress window of the folder and one-file imports: a large message, the counts of items
// read and songs found, a progress bar and a Cancel button. The import writes its controls;
// closing it in any way (Cancel, close box, Escape) asks the running import to stop.
#include "core/ProgressForm.h"

class QLabel;
class QPushButton;

namespace import {

class ScanFolderForm : public core::ProgressForm {
    Q_OBJECT
public:
    explicit ScanFolderForm(QWidget *parent = nullptr);

    QLabel *lblRecsReadLabel = nullptr;
    QLabel *lblRecsRead = nullptr;
    QLabel *lblRecsAddedLabel = nullptr;
    QLabel *lblRecsAdded = nullptr;
    QPushButton *cmdCancel = nullptr;

    void cmdCancel_Click();

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    bool closing_ = false;
};

} // namespace import
