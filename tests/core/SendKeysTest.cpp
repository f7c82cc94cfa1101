#include "common/TestEnv.h"

#include "core/MSendInput.h"

#include <QApplication>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

using MSendInput::KeyRecord;
using MSendInput::ParseKeys;

namespace {

// Records written compactly: "v28d+" = key 0x28 down with the extended flag, "v28u" = up,
// "u3a9d" / "u3a9u" = Unicode character down / up.
QString describe(const std::vector<KeyRecord> &records) {
    QStringList out;
    for (const KeyRecord &r : records) {
        const bool up = r.flags & MSendInput::KeyEventKeyUp;
        if (r.flags & MSendInput::KeyEventUnicode)
            out << QString("u%1%2").arg(r.scan, 0, 16).arg(up ? "u" : "d");
        else
            out << QString("v%1%2%3").arg(r.vk, 2, 16, QChar('0')).arg(up ? "u" : "d")
                       .arg(r.flags & MSendInput::KeyEventExtendedKey ? "+" : "");
    }
    return out.join(' ');
}

QString parsed(const QString &keys, bool caps = false) { return describe(ParseKeys(keys, caps)); }

} // namespace

class KeyStringParser : public OrvalisTest {};

TEST_F(KeyStringParser, NamedKeysModifiersAndCounts) {
    const std::pair<const char *, const char *> cases[] = {
        {"%{Down}", "v12d v28d+ v28u v12u"},
        {"+{Tab}", "v10d v09d v09u v10u"},
        {"{right}", "v27d+ v27u"},
        {"{DEL 3}", "v2ed+ v2eu v2ed+ v2eu v2ed+ v2eu"},
        {"{x 3}", "v58d v58u v58d v58u v58d v58u"},
        {"{x 0}", "v58d v58u"},
        {"{x y}", "v58d v58u"},
        {"{BREAK}{PAUSE}", "v13d+ v13u v13d v13u"},
        {"^{F12}", "v11d v7bd v7bu v11u"},
        {"~", "v0dd v0du"},
        {"{~}", "v10d vc0d vc0u v10u"},
        {"+ab", "v10d v41d v41u v10u v42d v42u"},
        {"+(ab)", "v10d v41d v41u v42d v42u v10u"},
        {"+^a", "v10d v11d v41d v41u v11u v10u"},
        {"A", "v10d v41d v41u v10u"},
        {"+A", "v10d v41d v41u v10u"}, // Shift already held: not pressed twice
        {"", ""},
    };
    for (const auto &[keys, records] : cases)
        EXPECT_EQ(parsed(keys), records) << keys;
}

TEST_F(KeyStringParser, BracesAndBracketsAsCharacters) {
    const std::pair<const char *, const char *> cases[] = {
        {"{{}", "v10d vdbd vdbu v10u"},
        {"{}}", "v10d vddd vddu v10u"},
        {"{(}", "v10d v39d v39u v10u"},
        {"{+}", "v10d vbbd vbbu v10u"},
        {"()", "v10d v30d v30u v10u"},       // "(" dropped, ")" typed
        {"(+%)", "v10d vbbd vbbu v10u v10d v35d v35u v10u"},
        {"{", ""},                          // unclosed brace dropped
        {"a{b", "v41d v41u v42d v42u"},
        {"(a", "v41d v41u"},
    };
    for (const auto &[keys, records] : cases)
        EXPECT_EQ(parsed(keys), records) << keys;
}

TEST_F(KeyStringParser, CapsLockKeepsTheWrittenCaseAndForeignCharactersGoByCode) {
    EXPECT_EQ(parsed("a", true), "v10d v41d v41u v10u");
    EXPECT_EQ(parsed("A", true), "v41d v41u");
    EXPECT_EQ(parsed("1", true), "v31d v31u");
    EXPECT_EQ(parsed(QString(QChar(0x3A9))), "u3a9d u3a9u");
    EXPECT_EQ(parsed("{" + QString(QChar(0xE9)) + " 2}"), "ue9d ue9u ue9d ue9u");
}

TEST_F(KeyStringParser, ModifierAtTheEndIsPressedAndReleasedAlone) {
    EXPECT_EQ(parsed("a%"), "v41d v41u v12d v12u");
}

TEST_F(KeyStringParser, LongItemsNeverOverrunTheQueue) {
    const std::vector<KeyRecord> r = ParseKeys("+(" + QString(2000, 'a') + ")");
    EXPECT_EQ(r.size(), 4002u);
    EXPECT_EQ(ParseKeys("{x 5000}").size(), 10000u);
    EXPECT_EQ(r.back().vk, MSendInput::VkShift);
}

class SendKeysDelivery : public OrvalisTest {
protected:
    void SetUp() override {
        OrvalisTest::SetUp();
        auto *layout = new QVBoxLayout(&window);
        first = new QLineEdit(&window);
        second = new QLineEdit(&window);
        combo = new QComboBox(&window);
        combo->addItems({"one", "two", "three"});
        layout->addWidget(first);
        layout->addWidget(second);
        layout->addWidget(combo);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        first->setFocus();
    }
    void sendAndRun(const QString &keys) {
        MSendInput::SendKeys(keys, false);
        QCoreApplication::processEvents();
    }
    QWidget window;
    QLineEdit *first = nullptr;
    QLineEdit *second = nullptr;
    QComboBox *combo = nullptr;
};

TEST_F(SendKeysDelivery, TypedTextArrivesAfterTheCallerReturns) {
    MSendInput::SendKeys("ab+c1" + QString(QChar(0x3A9)), false);
    EXPECT_EQ(first->text(), ""); // not before the event loop runs
    QCoreApplication::processEvents();
    EXPECT_EQ(first->text(), "abC1" + QString(QChar(0x3A9)));
    sendAndRun("{BS}{left}x");
    EXPECT_EQ(first->text(), "abCx1");
}

TEST_F(SendKeysDelivery, TabMovesTheFocusAndLaterKeysFollowIt) {
    sendAndRun("a{Tab}b");
    EXPECT_EQ(first->text(), "a");
    EXPECT_EQ(second->text(), "b");
    EXPECT_EQ(QApplication::focusWidget(), second);
    sendAndRun("+{Tab}");
    EXPECT_EQ(QApplication::focusWidget(), first);
}

TEST_F(SendKeysDelivery, AltDownOpensTheFocusedCombosList) {
    combo->setFocus();
    sendAndRun("%{Down}");
    EXPECT_TRUE(combo->view()->isVisible());
    combo->hidePopup();
}
