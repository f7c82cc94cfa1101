#pragma once
// Connects the main window's controls to their event handlers: the grid's events, and the keys
// and clicks of the locate box, the alphabet labels and the text boxes under the grid. (Buttons
// and menu entries are wired where the window builds them.)
#include <QList>
#include <QObject>
#include <QString>

namespace songlist {

class NameList;

class CommandWiring : public QObject {
    Q_OBJECT
public:
    explicit CommandWiring(NameList &w);
    // Takes the key and click filters off the window's controls: the window deletes its wiring
    // first when it goes, so that no event of a control being destroyed reaches a filter that
    // reads the window.
    ~CommandWiring() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectGrid();
    void connectLocateBox();
    // The controls whose events the filter reads.
    QList<QObject *> watched() const;
    NameList &w_;
    QString gridKeyText_;  // text of the key the grid is handling
};

} // namespace songlist
