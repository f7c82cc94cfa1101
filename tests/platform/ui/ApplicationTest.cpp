// An exception that escapes an event handler must not cross the event loop: the application
// reports it with the error box and the program goes on.
#include "common/TestEnv.h"
#include "platform/db/DbError.h"
#include "platform/ui/ScriptedPrompts.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <stdexcept>

namespace {

class Throwing : public QObject {
public:
    std::function<void()> thrower;
    bool event(QEvent *e) override {
        if (e->type() == QEvent::User)
            thrower();
        return QObject::event(e);
    }
};

using ApplicationTest = OrvalisTest;

TEST_F(ApplicationTest, ErrorsEscapingAHandlerAreReportedNotPropagated) {
    platform::ui::ScriptedPrompts prompts;
    Throwing target;
    QEvent ev(QEvent::User);

    target.thrower = [] { throw platform::db::DbError(3061, QStringLiteral("Too few parameters. Expected 1.")); };
    EXPECT_NO_THROW(QCoreApplication::sendEvent(&target, &ev));
    ASSERT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(prompts.asked().last().text, QStringLiteral("Too few parameters. Expected 1.    Error number: 3061"));
    EXPECT_EQ(prompts.asked().last().title, QStringLiteral("Error"));
    EXPECT_EQ(prompts.asked().last().icon, platform::ui::Icon::Critical);

    target.thrower = [] { throw std::runtime_error("disk full"); };
    EXPECT_NO_THROW(QCoreApplication::sendEvent(&target, &ev));
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("disk full"));

    target.thrower = [] { throw 42; };
    EXPECT_NO_THROW(QCoreApplication::sendEvent(&target, &ev));
    EXPECT_EQ(prompts.asked().size(), 3);
}

} // namespace
