#pragma once
// Connects the main window's controls to its command handlers: the buttons and menu entries of
// the record, view, search and selection commands, the grid's events, and the keys and clicks
// of the locate box, the alphabet labels and the text boxes under the grid.
#include <QObject>
#include <QString>

namespace songlist {

class NameList;

class CommandWiring : public QObject {
    Q_OBJECT
public:
    explicit CommandWiring(NameList &w);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectCommands();
    void connectGrid();
    void connectLocateBox();
    NameList &w_;
    QString gridKeyText_;  // text of the key the grid is handling
};

} // namespace songlist
