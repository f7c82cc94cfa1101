// The user's help page: shipped beside the program as the source tree holds it, and a missing
// page said, not opened.
#include "common/TestEnv.h"

#include "core/AppState.h"
#include "core/HelpViewer.h"
#include "platform/ui/ScriptedPrompts.h"

#include <QFile>

using core::HelpViewer;

namespace {

QByteArray bytesOf(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

using HelpViewerTest = OrvalisTest;

TEST_F(HelpViewerTest, PageIsShippedBesideTheProgramAsTheSourceHoldsIt) {
    const QString page = HelpViewer::pagePath();
    EXPECT_TRUE(page.endsWith(QStringLiteral("/share/orvalis/help.html")));
    EXPECT_EQ(bytesOf(page), bytesOf(QStringLiteral(ORVALIS_SOURCE_DIR "/help/help.html")));
}

TEST_F(HelpViewerTest, MissingPageIsSaidAndNothingOpens) {
    platform::ui::ScriptedPrompts prompts;
    core::g().ProductName = QStringLiteral("Orvalis");
    core::g().ProgramFolderOverride = tmp.path();
    HelpViewer::showHelp(nullptr);
    EXPECT_TRUE(prompts.openedUrls.isEmpty());
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Orvalis could not find its help file ") + tmp.path() +
                                         QStringLiteral("/share/orvalis/help.html."));
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("Help"));
}

} // namespace
