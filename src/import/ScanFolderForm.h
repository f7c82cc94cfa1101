#pragma once
// The progress window of the folder and one-file imports: a large message, the counts of items
// read and songs found, a progress bar and a Cancel button. The import writes its controls;
// closing it in any way (Cancel, close box, Escape) asks the running import to stop.
#include "platform/ui/Forms.h"

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace import {

class ScanFolderForm : public platform::ui::Form<QDialog> {
    Q_OBJECT
public:
    explicit ScanFolderForm(QWidget *parent = nullptr);

    QLabel *Msg = nullptr;
    QLabel *lblRecsReadLabel = nullptr;
    QLabel *lblRecsRead = nullptr;
    QLabel *lblRecsAddedLabel = nullptr;
    QLabel *lblRecsAdded = nullptr;
    QPushButton *cmdCancel = nullptr;
    QFrame *Frame1 = nullptr;   // border of the progress bar
    QLabel *Label1 = nullptr;   // the progress bar inside Frame1; its width grows

    static constexpr int FrameWidth = 6456;
    static constexpr int BarFullWidth = 6300;

    // Width of the progress bar in twips.
    int label1Width() const { return label1Width_; }
    void setLabel1Width(int twips);

    void cmdCancel_Click();

public slots:
    void reject() override;

protected:
    void formUnload() override;
    void closeEvent(QCloseEvent *e) override;

private:
    int label1Width_ = 12;
    int label1Pixels_ = -1;
    bool closing_ = false;
};

} // namespace import
