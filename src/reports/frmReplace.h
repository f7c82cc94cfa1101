#pragma once
// "Search and Replace": changes a text in one chosen field of every song of the
// catalogue, whatever the grid shows. The word NULL (any case) stands for an empty field: as
// the text to find it selects the songs whose field is Null or empty, as the replacement it
// empties the field. Modal; it closes after a completed change and on Cancel.
#include "platform/ui/Forms.h"

#include <QDialog>
#include <QList>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace reports {

class frmReplace : public platform::ui::Form<QDialog> {
    Q_OBJECT
public:
    explicit frmReplace(QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;
    QLabel *lblOrigPath = nullptr;
    QLineEdit *txtOrig = nullptr;
    QLabel *lblNewPath = nullptr;
    QLineEdit *txtNew = nullptr;
    QGroupBox *FrameSearchField = nullptr;
    QRadioButton *optPathName = nullptr, *optArtistName = nullptr, *optSongName = nullptr, *optComposer = nullptr,
                 *optNotes = nullptr, *optMiscField1 = nullptr, *optMiscField2 = nullptr, *optMiscField3 = nullptr,
                 *optCode = nullptr, *optMisc1Desc = nullptr, *optMisc2Desc = nullptr, *optMisc3Desc = nullptr,
                 *optID = nullptr, *optGenre = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

    // The fourteen options in their order; each carries its song field in the property "Field".
    QList<QRadioButton *> options() const;
    // The field of the option that is on; "" when none is.
    QString chosenField() const;

    // Leaving a box removes every double quote from it.
    void txtOrig_Validate();
    void txtNew_Validate();
    void cmdOK_Click();
    void cmdCancel_Click();

    // True when the text, without leading and trailing blanks, is the word NULL in any case.
    static bool isNullWord(const QString &text);
};

} // namespace reports
