// The user's options: defaults when a key is absent and the text each value is stored as.
#include "common/TestEnv.h"

#include "core/RegistryOptions.h"

#include <QDir>
#include <QSettings>

using core::RegistryOptions;

namespace {

class RegistryOptionsTest : public OrvalisTest {};

QString stored(const QString &key) { return QSettings("Orvalis", "Orvalis").value("Options/" + key).toString(); }

TEST_F(RegistryOptionsTest, AbsentKeysGiveTheirDefaults) {
    EXPECT_EQ(RegistryOptions::databaseLocation(), QString());
    EXPECT_EQ(RegistryOptions::defaultDataFolder(), QDir::homePath() + "/Orvalis/");
    EXPECT_EQ(RegistryOptions::font(), QString());
    EXPECT_EQ(RegistryOptions::defaultFont(5), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(RegistryOptions::defaultFont(6), QStringLiteral("Arial"));
    EXPECT_EQ(RegistryOptions::rptLinesPerPage(), QString());
    EXPECT_EQ(RegistryOptions::defaultRptLinesPerPage(), QStringLiteral("54"));
    EXPECT_FALSE(RegistryOptions::rememberWindowSize());
    EXPECT_FALSE(RegistryOptions::gridScreenPlacement());
    EXPECT_FALSE(RegistryOptions::fileRenameDisabled());
    EXPECT_FALSE(RegistryOptions::warningSilenced(RegistryOptions::FileNameWarningKey));
    EXPECT_FALSE(RegistryOptions::warningSilenced(RegistryOptions::PathNameWarningKey));
}

TEST_F(RegistryOptionsTest, ValuesAreStoredAsTextInTheOptionsSection) {
    RegistryOptions::setDatabaseLocation("/music/cat/");
    RegistryOptions::setRememberWindowSize(true);
    RegistryOptions::setFileRenameDisabled(false);
    RegistryOptions::setGridScreenPlacement({100, 200, 9000, 6000});
    EXPECT_EQ(stored("Database Location"), QStringLiteral("/music/cat/"));
    EXPECT_EQ(stored("Remember Window Size"), QStringLiteral("-1"));
    EXPECT_EQ(stored("File Rename Disabled"), QStringLiteral("0"));
    EXPECT_EQ(stored("GridScreenWidth"), QStringLiteral("9000"));
    EXPECT_TRUE(RegistryOptions::rememberWindowSize());
    const auto p = RegistryOptions::gridScreenPlacement();
    ASSERT_TRUE(p);
    EXPECT_EQ(p->top, 100);
    EXPECT_EQ(p->left, 200);
    EXPECT_EQ(p->height, 6000);

    RegistryOptions::setRememberWindowSize(false);
    EXPECT_EQ(stored("Remember Window Size"), QStringLiteral("0"));
    EXPECT_FALSE(RegistryOptions::rememberWindowSize());
}

TEST_F(RegistryOptionsTest, ResettingTheWarningsShowsBothAgain) {
    RegistryOptions::setWarningCheckbox(RegistryOptions::FileNameWarningKey, "1");
    RegistryOptions::setWarningCheckbox(RegistryOptions::PathNameWarningKey, "1");
    EXPECT_TRUE(RegistryOptions::warningSilenced(RegistryOptions::FileNameWarningKey));
    RegistryOptions::resetWarnings();
    EXPECT_EQ(stored("Checkbox FileName Change Warning"), QStringLiteral("0"));
    EXPECT_EQ(stored("Checkbox PathName Change Warning"), QStringLiteral("0"));
    EXPECT_FALSE(RegistryOptions::warningSilenced(RegistryOptions::FileNameWarningKey));
    EXPECT_FALSE(RegistryOptions::warningSilenced(RegistryOptions::PathNameWarningKey));
}

} // namespace
