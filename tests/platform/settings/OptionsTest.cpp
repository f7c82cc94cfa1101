#include "common/FileSizeLimit.h"
#include "common/TestEnv.h"

#include "platform/settings/Options.h"
#include "platform/settings/SystemMetrics.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

using namespace platform::settings;

class OptionsStore : public OrvalisTest {};

TEST_F(OptionsStore, AbsentKeyGivesTheDefaultAndAStoredValueComesBackAsText) {
    EXPECT_EQ(GetSetting(OptionsSection, "Font"), "");
    EXPECT_EQ(GetSetting(OptionsSection, "RptLinesPerPage", "54"), "54");

    SaveSetting(OptionsSection, "Database Location", "/music/Orvalis/");
    SaveSetting(OptionsSection, "Remember Window Size", boolText(true));
    SaveSetting(OptionsSection, "File Rename Disabled", boolText(false));
    SaveSetting(OptionsSection, "RptLinesPerPage", "");
    EXPECT_EQ(GetSetting(OptionsSection, "Database Location", "x"), "/music/Orvalis/");
    EXPECT_EQ(GetSetting(OptionsSection, "Remember Window Size"), "-1");
    EXPECT_EQ(GetSetting(OptionsSection, "File Rename Disabled"), "0");
    // A key stored empty is present: its empty text, not the default.
    EXPECT_EQ(GetSetting(OptionsSection, "RptLinesPerPage", "54"), "");
}

TEST_F(OptionsStore, AFullDiskIsNamedAsTheReasonAndTheStoredValueStays) {
    SaveSetting(OptionsSection, "Font", "Before");
    const QString file = QSettings("Orvalis", "Orvalis").fileName();
    SaveStatus status;
    {
        FileSizeLimit full(QFileInfo(file).size() + 16);  // no room for the store's file to grow
        status = SaveSetting(OptionsSection, "Font", QString(8192, u'x'));
    }
    EXPECT_FALSE(status);
    EXPECT_EQ(status.file, file);
    EXPECT_EQ(status.reason, "the disk holding " + QFileInfo(file).absolutePath() + "/ is full");
    EXPECT_EQ(GetSetting(OptionsSection, "Font"), "Before");
    // The probe that found the disk full leaves nothing behind.
    EXPECT_EQ(QDir(QFileInfo(file).absolutePath()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QFileInfo(file).fileName()});
}

TEST_F(OptionsStore, ValuesLiveUnderTheProgramsOwnAddressInTheOptionsGroup) {
    SaveSetting(OptionsSection, "Checkbox FileName Change Warning", "1");
    const QSettings s("Orvalis", "Orvalis");
    EXPECT_EQ(s.value("Options/Checkbox FileName Change Warning").toString(), "1");
    EXPECT_EQ(GetSetting("Other", "Checkbox FileName Change Warning", "none"), "none");
}

TEST_F(OptionsStore, OnOffTextsReadBackAsTheyWereMeant) {
    const std::pair<const char *, bool> cases[] = {{"-1", true}, {"1", true}, {"True", true}, {"true", true},
                                                   {"0", false}, {"", false}, {"False", false}, {"abc", false}};
    for (const auto &[text, on] : cases)
        EXPECT_EQ(textIsTrue(text), on) << text;
}

TEST_F(OptionsStore, ScrollBarWidthIsKeptOutsideTheOptions) {
    EXPECT_FALSE(scrollBarWidth().has_value());
    setMetric("ScrollWidth", "-500");
    setMetric("ScrollHeight", "-500");
    EXPECT_EQ(scrollBarWidth(), 500);
    EXPECT_EQ(metric("ScrollHeight"), "-500");
    EXPECT_EQ(GetSetting(OptionsSection, "ScrollWidth", "absent"), "absent");
    setMetric("ScrollWidth", "wide");
    EXPECT_FALSE(scrollBarWidth().has_value());
}
