#pragma once
// Puts every song the main grid displays into one chosen category, or takes every one out of
// it, and reports how many changed. Modal; it stays open after each command.
#include "platform/ui/Forms.h"

#include <QDialog>

class QPushButton;

namespace platform::ui {
class DataControl;
class DbGrid;
} // namespace platform::ui

namespace categories {

struct BulkCounts;

class CatgAssignAll : public platform::ui::Form<QDialog> {
    Q_OBJECT
public:
    explicit CatgAssignAll(QWidget *parent = nullptr);

    platform::ui::DataControl *CatgData = nullptr;
    platform::ui::DbGrid *CatgGrid = nullptr;
    QPushButton *cmdAssign = nullptr;
    QPushButton *cmdDelete = nullptr;
    QPushButton *cmdExit = nullptr;

    void cmdAssign_Click();
    void cmdDelete_Click();
    void cmdExit_Click();

    enum class Command { Assign, Remove };
    // The question asked before a command: the warning paragraph about the songs marked as
    // selected when the grid shows more than those, then the question itself.
    static QString question(Command c, long selectedCount, const QString &gridSource);
    // The report after a command ("Assignment Statistics" / "Un-Assignment Statistics").
    static QString report(Command c, const QString &category, const BulkCounts &counts);

private:
    void Form_Load();
    void run(Command c);
};

} // namespace categories
