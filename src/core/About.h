#pragma once
// The about box: the program's picture, its version, the project's web address (a link) and
// the maker's line.
#include "platform/ui/Forms.h"

#include <QDialog>
#include <QPixmap>

class QLabel;
class QPushButton;

namespace core {

class About : public platform::ui::Form<QDialog> {
    Q_OBJECT
public:
    static inline const QString WebAddress = QStringLiteral("https://orvalis.example/");

    explicit About(QWidget *parent = nullptr);

    QLabel *Image1 = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *Label2 = nullptr;    // the web address; a click opens it
    QLabel *lblInfo = nullptr;   // the maker's line
    QPushButton *Command1 = nullptr;

    void Label2_Click();
    void Command1_Click();

    // The picture of the about box, drawn here.
    static QPixmap picture();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace core
