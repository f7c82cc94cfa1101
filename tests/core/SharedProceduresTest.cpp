#include "common/TestEnv.h"

#include "core/FileError.h"
#include "core/mCommon.h"
#include "core/modMain.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QDir>
#include <QFile>

class SharedProcedures : public OrvalisTest {};

TEST_F(SharedProcedures, ReplaceTextSkipsWhatItInsertedAndIsCaseSensitive) {
    QString name = "Rock 'n' Roll";
    modMain::ReplaceText(name, "'", QString(QChar(180)));
    EXPECT_EQ(name, QString("Rock %1n%1 Roll").arg(QChar(180)));

    QString a = "aaa";
    modMain::ReplaceText(a, "a", "aa");
    EXPECT_EQ(a, "aaaaaa");

    QString c = "Abc abc";
    modMain::ReplaceText(c, "a", "x");
    EXPECT_EQ(c, "Abc xbc");

    QString q = "say \"hi\"";
    modMain::ReplaceText(q, "\"", "'");
    EXPECT_EQ(q, "say 'hi'");
}

TEST_F(SharedProcedures, ReplaceTextWithAnEmptyFindTextEndsAndChangesNothing) {
    QString t = "abc";
    modMain::ReplaceText(t, "", "x");
    EXPECT_EQ(t, "abc");
}

TEST_F(SharedProcedures, NullAndEmptyConvertOnlyEachOther) {
    EXPECT_EQ(modMain::NullToEmpty(QVariant()), QVariant(QString("")));
    EXPECT_EQ(modMain::NullToEmpty(QVariant(42)), QVariant(42));
    EXPECT_EQ(modMain::NullToEmpty(QVariant(42)).typeId(), QMetaType::Int);
    EXPECT_FALSE(modMain::EmptyToNull(QVariant(QString(""))).isValid());
    EXPECT_FALSE(modMain::EmptyToNull(QVariant()).isValid());
    EXPECT_EQ(modMain::EmptyToNull(QVariant(QString("x"))), QVariant(QString("x")));
    EXPECT_EQ(modMain::EmptyToNull(QVariant(0)), QVariant(0));
}

TEST_F(SharedProcedures, ComboDropsDownOnlyWithItems) {
    QComboBox combo;
    combo.show();
    modMain::ShowComboDropDown(&combo);
    EXPECT_FALSE(combo.view()->isVisible());
    combo.addItem("Arial");
    modMain::ShowComboDropDown(&combo);
    EXPECT_TRUE(combo.view()->isVisible());
    combo.hidePopup();
}

// A list dropped as its box gets the focus kept Tab to itself: the keyboard never got past it.
TEST_F(SharedProcedures, TabInADroppedListClosesItAndMovesOnFromTheBox) {
    for (const bool editable : {false, true}) {
        QWidget window;
        auto *before = new QPushButton(QStringLiteral("Before"), &window);
        auto *combo = new QComboBox(&window);
        auto *after = new QPushButton(QStringLiteral("After"), &window);
        combo->setEditable(editable);
        combo->addItems({QStringLiteral("Arial"), QStringLiteral("Tahoma")});
        QWidget::setTabOrder(before, combo);
        QWidget::setTabOrder(combo, after);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        for (const auto &[key, expected] : {std::pair{Qt::Key_Tab, static_cast<QWidget *>(after)},
                                            std::pair{Qt::Key_Backtab, static_cast<QWidget *>(before)}}) {
            combo->setFocus();
            modMain::ShowComboDropDown(combo);
            ASSERT_TRUE(combo->view()->isVisible());
            QWidget *keys = QApplication::focusWidget();
            ASSERT_TRUE(keys);
            QTest::keyClick(keys, key);
            QApplication::processEvents();
            EXPECT_FALSE(combo->view()->isVisible()) << editable;
            (void)QTest::qWaitForWindowActive(&window);
            EXPECT_EQ(window.focusWidget(), expected) << editable << " " << key;
        }
    }
}

TEST_F(SharedProcedures, FileExistsFindsFilesNotFolders) {
    testenv::writeFile(tmp.file("song.mp3"), "x");
    testenv::writeFile(tmp.file(".hidden"), "x");
    testenv::writeFile(tmp.file("ro.txt"), "x");
    QFile::setPermissions(tmp.file("ro.txt"), QFile::ReadOwner);
    QDir(tmp.path()).mkdir("sub");

    EXPECT_FALSE(mCommon::FileExists(""));
    EXPECT_TRUE(mCommon::FileExists(tmp.file("song.mp3")));
    EXPECT_TRUE(mCommon::FileExists(tmp.file(".hidden")));
    EXPECT_TRUE(mCommon::FileExists(tmp.file("ro.txt")));
    EXPECT_FALSE(mCommon::FileExists(tmp.file("sub")));
    EXPECT_FALSE(mCommon::FileExists(tmp.file("missing.mp3")));
    EXPECT_FALSE(mCommon::FileExists("/no/such/folder/x.mp3"));
}

TEST_F(SharedProcedures, FileExistsMatchesAPatternOnlyWhenNoSuchFileExists) {
    testenv::writeFile(tmp.file("a/Track.MP3"), "x");
    testenv::writeFile(tmp.file("b/README"), "x");
    QDir(tmp.path()).mkpath("c/folder.d");
    testenv::writeFile(tmp.file("d/what?.txt"), "x");

    EXPECT_TRUE(mCommon::FileExists(tmp.file("a/*.mp3")));
    EXPECT_TRUE(mCommon::FileExists(tmp.file("a/Tr?ck.*")));
    EXPECT_FALSE(mCommon::FileExists(tmp.file("a/*.ogg")));
    EXPECT_TRUE(mCommon::FileExists(tmp.file("b/*.*"))); // every file, with or without a dot
    EXPECT_FALSE(mCommon::FileExists(tmp.file("c/*.*"))); // folders are not files
    // A real file whose name holds a wildcard character is found as itself.
    EXPECT_TRUE(mCommon::FileExists(tmp.file("d/what?.txt")));
    EXPECT_FALSE(mCommon::FileExists(tmp.file("d/*.mp3")));
    // Brackets in a pattern are plain characters.
    testenv::writeFile(tmp.file("e/Song [live].mp3"), "x");
    EXPECT_TRUE(mCommon::FileExists(tmp.file("e/song [LIVE]*")));
    EXPECT_FALSE(mCommon::FileExists(tmp.file("e/[S]*")));
}

TEST_F(SharedProcedures, FolderExistsWithOrWithoutTrailingSlash) {
    EXPECT_TRUE(mCommon::FolderExists(tmp.path()));
    EXPECT_TRUE(mCommon::FolderExists(tmp.path() + "/"));
    EXPECT_FALSE(mCommon::FolderExists(""));
    EXPECT_FALSE(mCommon::FolderExists("/no/such/folder"));
    testenv::writeFile(tmp.file("f.txt"), "x");
    EXPECT_FALSE(mCommon::FolderExists(tmp.file("f.txt")));
}

TEST_F(SharedProcedures, ValidFileNamesRefuseOnlyWhatLinuxRefuses) {
    // Legal here: every character but "/" and NUL; refused: blanks, "." and "..", which name
    // the folder itself or its parent.
    const std::pair<QString, bool> cases[] = {
        {"", false},        {"   ", false},     {"\t \t", false},  {".", false},
        {" .. ", false},    {"a/b", false},     {"/", false},       {QStringLiteral("a") + QChar(u'\0') + "b", false},
        {"a:b", true},      {"say \"x\"", true}, {"a\\b", true},    {"a*", true},
        {"a?", true},       {"a|b", true},      {"<a>", true},      {"\tname", true},
        {"...", true},      {".hidden", true},  {" My Song [live] (2).mp3 ", true},
        {"What's Up? Live: Tokyo.mp3", true}};
    for (const auto &[name, valid] : cases)
        EXPECT_EQ(mCommon::IsValidFileName(name), valid) << name.toStdString();
}

TEST_F(SharedProcedures, QuotesAndTrailingSlash) {
    EXPECT_TRUE(mCommon::ContainsQuote("it's"));
    EXPECT_TRUE(mCommon::ContainsQuote("a \"b\""));
    EXPECT_FALSE(mCommon::ContainsQuote("plain `text`"));

    QString p = "/music";
    mCommon::AddBackslash(p);
    EXPECT_EQ(p, "/music/");
    mCommon::AddBackslash(p);
    EXPECT_EQ(p, "/music/");
    QString e;
    mCommon::AddBackslash(e);
    EXPECT_EQ(e, "");
}

TEST_F(SharedProcedures, KillFileDeletesReadOnlyFilesAndIgnoresMissingOnes) {
    testenv::writeFile(tmp.file("ro.txt"), "x");
    QFile::setPermissions(tmp.file("ro.txt"), QFile::ReadOwner);
    mCommon::KillFile(tmp.file("ro.txt"));
    EXPECT_FALSE(QFile::exists(tmp.file("ro.txt")));
    EXPECT_NO_THROW(mCommon::KillFile(tmp.file("missing.txt")));
}

TEST_F(SharedProcedures, KillFileReportsAFailedDeleteToTheCaller) {
    testenv::writeFile(tmp.file("locked/f.txt"), "x");
    QFile::setPermissions(tmp.file("locked"), QFile::ReadOwner | QFile::ExeOwner);
    if (QFile(tmp.file("locked/f.txt")).remove())
        GTEST_SKIP() << "root ignores the permission bits";
    EXPECT_THROW(mCommon::KillFile(tmp.file("locked/f.txt")), core::FileError);
    QFile::setPermissions(tmp.file("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(SharedProcedures, WindowsVersionHasTwoDecimals) {
    // Written in the user's number format (MainTest covers the other separators and digits).
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(mCommon::GetWindowsVersion(), "6.02");
    EXPECT_EQ(mCommon::FormatWindowsVersion(5, 1), "5.01");
    EXPECT_EQ(mCommon::FormatWindowsVersion(10, 0), "10.00");
    QLocale::setDefault(before);
}
