#pragma once
// A program state on an empty catalogue in the test's temporary data folder, questions answered
// from scripts and modal dialogs returning at once. Forms still loaded are unloaded at the end.
#include "common/TestEnv.h"
#include "core/AppState.h"
#include "platform/db/Database.h"
#include "platform/ui/Forms.h"
#include "platform/ui/ScriptedPrompts.h"

#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

class DataFolderTest : public OrvalisTest {
protected:
    void SetUp() override {
        OrvalisTest::SetUp();
        auto &s = core::g();
        s.DataFolder = tmp.path() + QStringLiteral("/");
        s.DatabasePath = s.DataFolder + QStringLiteral("OVdata.mdb");
        testenv::copyEmptyCatalogue(s.DatabasePath);
        s.Db = platform::db::Database::open(s.DatabasePath);
        s.ProductName = QStringLiteral("Orvalis");
        s.ScreenFontName = QStringLiteral("Arial");
    }
    void TearDown() override {
        unloadForms();
        OrvalisTest::TearDown();
    }

    static void unloadForms() {
        platform::ui::unloadAllForms();
        platform::ui::flushUnloadedForms();
    }

    platform::ui::ScriptedPrompts prompts;
    platform::ui::ScopedModalHook modal{[](QDialog *) {}};
};
