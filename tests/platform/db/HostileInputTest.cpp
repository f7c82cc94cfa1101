// Hostile and unusual input to the database layer: every failure is a DbError, never a crash, a
// hang, another exception type or a transaction left open.
#include "platform/db/SampleCatalogue.h"

#include "platform/db/JetSql.h"

#include <functional>

using namespace platform::db;

namespace {

// Runs f and reports what escaped: "" for nothing, the DbError number, or "other".
template <typename F>
QString outcome(F &&f) {
    try {
        f();
        return QString();
    } catch (const DbError &e) {
        return QString::number(e.number());
    } catch (const std::exception &e) {
        return QStringLiteral("other: ") + QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("other");
    }
}

// The parser recursed once per "(", Not or sign without a bound (a stack overflow), and each link
// of a long operator chain copied the text built so far (minutes for a pasted chain).
TEST_F(SampleDbTest, DeeplyNestedFilterTextFailsCleanly) {
    const QString deepParens = QString(100000, u'(') + QStringLiteral("Artist = \"x\"") + QString(100000, u')');
    const QString deepNots = QStringLiteral("Not ").repeated(100000) + QStringLiteral("Artist = \"x\"");
    const QString deepMinus = QStringLiteral("Year = ") + QString(100000, u'-') + QStringLiteral("1");
    const QString deepCalls = QStringLiteral("UCase(").repeated(50000) + QStringLiteral("Artist") + QString(50000, u')') +
                              QStringLiteral(" = \"x\"");
    const QString openOnly = QString(100000, u'(');
    for (const QString &text : {deepParens, deepNots, deepMinus, deepCalls, openOnly}) {
        EXPECT_EQ(outcome([&] { jet::translateExpression(text); }), QStringLiteral("3075"));
        auto rs = open(QStringLiteral("qryContacts"));
        EXPECT_EQ(outcome([&] { rs->findFirst(text); }), QStringLiteral("3075"));
        EXPECT_EQ(outcome([&] { open(QStringLiteral("SELECT * FROM tblContacts WHERE ") + text); }),
                  QStringLiteral("3075"));
    }
    // Long flat chains are no recursion for the parser; SQLite's own limits come back as DbError.
    const QString longOr = QStringLiteral("Year = 1 OR ").repeated(100000) + QStringLiteral("Year = 2");
    const QString longIn = QStringLiteral("Year IN (") + QStringLiteral("1, ").repeated(100000) + QStringLiteral("2)");
    const QString longCat = QStringLiteral("Artist & ").repeated(100000) + QStringLiteral("Artist = \"x\"");
    for (const QString &text : {longOr, longIn, longCat}) {
        const QString r = outcome([&] { open(QStringLiteral("SELECT * FROM tblContacts WHERE ") + text)->recordCount(); });
        EXPECT_TRUE(r.isEmpty() || r.front().isDigit()) << r.toStdString();
    }
    const QString deepFrom = QStringLiteral("SELECT * FROM ") + QString(100000, u'(') + QStringLiteral("tblContacts");
    EXPECT_EQ(outcome([&] { open(deepFrom); }), QStringLiteral("3075"));
    const QString deepSub = QStringLiteral("SELECT * FROM ") + QStringLiteral("(SELECT * FROM ").repeated(20000) +
                            QStringLiteral("tblContacts");
    EXPECT_EQ(outcome([&] { open(deepSub); }), QStringLiteral("3075"));
    // Saved queries that name each other in a circle.
    db->createQueryDef(QStringLiteral("qA"), QStringLiteral("SELECT * FROM qB"));
    db->createQueryDef(QStringLiteral("qB"), QStringLiteral("SELECT * FROM qA"));
    db->createQueryDef(QStringLiteral("qSelf"), QStringLiteral("SELECT * FROM qSelf"));
    for (const char *name : {"qA", "qSelf"}) {
        const QString r = outcome([&] { open(QLatin1String(name))->recordCount(); });
        EXPECT_TRUE(!r.isEmpty() && r.front().isDigit()) << r.toStdString();
    }
    // Moderate nesting still works.
    auto rs = open(QStringLiteral("SELECT * FROM tblContacts WHERE ") + QString(50, u'(') +
                   QStringLiteral("Artist = \"queen\"") + QString(50, u')'));
    EXPECT_EQ(rs->recordCount(), 3);
}

// Caught: a Like pattern of many unclosed "[" compiled in quadratic time; counts and day numbers
// beyond range were converted with undefined behaviour; (-2^63) \ -1 and Mod -1 trapped the CPU.
TEST_F(SampleDbTest, HostileTextIsOneExpressionOrAClearError) {
    const QString huge = QStringLiteral("Artist = \"") + QString(2000000, u'a') + u'"';
    const QStringList texts{
        huge,
        QStringLiteral("Artist = \"x\"; DROP TABLE tblContacts"),
        QStringLiteral("Artist = \"x\" ; DELETE FROM tblContacts"),
        QStringLiteral("Artist = 'x') OR (1=1"),
        QStringLiteral("Artist = \"x"),
        QStringLiteral("[Artist"),
        QStringLiteral("#2020-13-45#"),
        QString::fromUtf16(u"Artist = \"\0\"", 12),
        QStringLiteral("Artist Like \"[\""),
        QStringLiteral("Artist Like \"[!\""),
        QStringLiteral("Artist Like \"[z-a]\""),
        QStringLiteral("Year = 1e999999"),
        QStringLiteral("Year = 99999999999999999999999999999"),
        QStringLiteral("[a]]"),
        QStringLiteral("Artist = \"x\" --"),
        QStringLiteral("Artist = \"x\" /* c */"),
        QStringLiteral("Artist IN ()"),
        QStringLiteral("Mid(Artist, -1, 2) = \"x\""),
        QStringLiteral("Left(Artist, -1) = \"x\""),
        QStringLiteral("Right(Artist, -5) = \"x\""),
        QStringLiteral("Mid(Artist, 0) = \"x\""),
        QStringLiteral("InStr(0, Artist, \"x\") > 0"),
        QStringLiteral("Format(Year, \"") + QString(100000, u'0') + QStringLiteral("\") = \"x\""),
        QStringLiteral("Space(2000000000) = \"x\""),
        QStringLiteral("String(2000000000, \"x\") = \"x\""),
        QStringLiteral("Year \\ 0 = 1"),
        QStringLiteral("Year Mod 0 = 1"),
        QStringLiteral("Year / 0 = 1"),
        QStringLiteral("Val(\"") + QString(100000, u'9') + QStringLiteral("\") = 1"),
        QStringLiteral("Year ^ 100000 = 1"),
        QStringLiteral("Left(Artist, 1e300) = \"x\""),
        QStringLiteral("Mid(Artist, 1e300, 1e300) = \"x\""),
        QStringLiteral("InStr(1e300, Artist, \"x\") > 0"),
        QStringLiteral("Year(1e300) = 1"),
        QStringLiteral("Format(1e300, \"yyyy\") = \"x\""),
        QStringLiteral("Format(-1e300, \"dd/mm/yyyy\") = \"x\""),
        QStringLiteral("-9223372036854775807 - 1 \\ -1 = 1"),
        QStringLiteral("(-9223372036854775807 - 1) Mod -1 = 1"),
        QStringLiteral("1e300 Mod 7 = 1"),
        QStringLiteral("Artist Like \"") + QStringLiteral("*a").repeated(5000) + QStringLiteral("\""),
        QStringLiteral("Artist Like \"") + QString(100000, u'[') + QStringLiteral("\""),
    };
    for (const QString &t : texts) {
        SCOPED_TRACE(t.left(60).toStdString());
        auto rs = open(QStringLiteral("qryContacts"));
        const QString r = outcome([&] { rs->findFirst(t); });
        EXPECT_TRUE(r.isEmpty() || r.front().isDigit()) << r.toStdString();
        const QString r2 = outcome([&] { open(QStringLiteral("SELECT * FROM qryContacts WHERE ") + t)->recordCount(); });
        EXPECT_TRUE(r2.isEmpty() || r2.front().isDigit()) << r2.toStdString();
        const QString r3 = outcome([&] { db->execute(QStringLiteral("DELETE FROM tblContacts WHERE ") + t); });
        EXPECT_TRUE(r3.isEmpty() || r3.front().isDigit()) << r3.toStdString();
        EXPECT_FALSE(db->inTransaction());
    }
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'tblContacts'")), QStringLiteral("1"));
}

// A filter's record source holds the user's text between parentheses and may end in the user's
// own order: a second statement in either place is refused as a bad expression, and nothing runs.
TEST_F(SampleDbTest, FilterSourcesCarryNoSecondStatement) {
    const QString sources[] = {
        QStringLiteral("Select distinctrow * from  tblContacts Where  (1=1) ; DELETE FROM tblContacts ; --)  Order By SongName"),
        QStringLiteral("Select distinctrow * from  qryContacts Where  (1=1) ; DELETE FROM tblContacts ; --)  And  "
                       "CategoryNumber = 1  Order By SongName"),
        QStringLiteral("Select distinctrow * from  tblContacts Where  (Artist = \"Queen\")  order by Year; drop table tblSettings"),
        QStringLiteral("Select distinctrow * from  qryContacts Where  (Artist = \"Queen\")  And  CategoryNumber = 1  "
                       "order by Year; drop table tblSettings"),
        QStringLiteral("Select distinctrow * from  tblContacts Where  (Artist = \"Queen\")  order by Year /* x */"),
        QStringLiteral("Select distinctrow * from  tblContacts Where  (Artist = \"Queen\")  order by Singer"),
        QStringLiteral("Select distinctrow * from  tblContacts Where  ()  Order By SongName"),
    };
    for (const QString &sql : sources) {
        SCOPED_TRACE(sql.toStdString());
        const QString r = outcome([&] { open(sql)->recordCount(); });
        EXPECT_TRUE(r == QLatin1String("3075") || r == QLatin1String("3061")) << r.toStdString();
    }
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts")), QString::number(sample::kSongCount));
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'tblSettings'")), QStringLiteral("1"));
}

// Positions, ordinals and bookmarks out of range from a caller: a DbError, never a crash.
TEST_F(SampleDbTest, OutOfRangeArgumentsAreDbErrors) {
    for (const QString &source : {QStringLiteral("qryContacts"), QStringLiteral("tblContacts")}) {
        for (const RecordsetType type : {RecordsetType::Table, RecordsetType::Dynaset, RecordsetType::Snapshot}) {
            if (type == RecordsetType::Table && source != QLatin1String("tblContacts"))
                continue;
            SCOPED_TRACE(source.toStdString() + " " + std::to_string(int(type)));
            auto rs = open(source, type);
            const std::vector<std::function<void()>> calls{
                [&] { rs->value(-1); },
                [&] { rs->value(100000); },
                [&] { rs->fieldName(-1); },
                [&] { rs->fieldName(100000); },
                [&] { rs->valueAt(-5, 0); },
                [&] { rs->valueAt(100000, 0); },
                [&] { rs->valueAt(0, 100000); },
                [&] { rs->bookmarkAt(-1); },
                [&] { rs->bookmarkAt(100000); },
                [&] { rs->setBookmark(QByteArray("garbage")); },
                [&] { rs->setBookmark(QByteArray()); },
                [&] { rs->positionOf(QByteArray("\xff\x00\x01", 3)); },
                [&] { rs->setAbsolutePosition(-3); },
                [&] { rs->setAbsolutePosition(100000); },
                [&] { rs->move(2000000000); },
                [&] { rs->move(-2000000000); },
                [&] { rs->setValue(-1, 1); },
                [&] { rs->edit(); rs->setValue(100000, 1); },
                [&] { rs->cancelUpdate(); rs->setValue(QStringLiteral("NoSuchField"), 1); },
                [&] { rs->moveFirst(); rs->edit(); rs->setValue(QStringLiteral("Year"), QString(100, u'x')); rs->update(); },
                [&] { rs->cancelUpdate(); },
                [&] { rs->seek(QStringLiteral("="), {1}); },
                [&] { rs->setIndex(QStringLiteral("NoSuchIndex")); },
                [&] { rs->findFirst(QString()); },
                [&] { rs->findNext(QStringLiteral(";")); },
            };
            for (size_t i = 0; i < calls.size(); ++i) {
                const QString r = outcome(calls[i]);
                EXPECT_TRUE(r.isEmpty() || r.front().isDigit()) << i << ": " << r.toStdString();
            }
            EXPECT_FALSE(db->inTransaction());
        }
    }
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts")), QString::number(sample::kSongCount));
}

// Descriptions showed the layer's own SQLite statement ("... (in: SELECT "tblContacts".rowid
// FROM ...)"); a condition beyond the engine's limits said nothing a user could act on.
TEST_F(SampleDbTest, ErrorDescriptionsLeaveTheStatementOutAndNameATooLongCondition) {
    const auto description = [](auto &&f) {
        try {
            f();
        } catch (const DbError &e) {
            return QString::number(e.number()) + u' ' + e.description();
        }
        return QString();
    };
    const QString longText = QStringLiteral("Len(Space(2000000000)) > 0");
    EXPECT_EQ(description([&] { open(QStringLiteral("SELECT * FROM tblContacts WHERE ") + longText)->recordCount(); }),
              QStringLiteral("3000 Out of memory: the text asked for is too long."));
    auto rs = open(QStringLiteral("tblContacts"));
    EXPECT_EQ(description([&] { rs->findFirst(longText); }),
              QStringLiteral("3000 Out of memory: the text asked for is too long."));
    // Beyond the terms one chain may join, and beyond the engine's expression depth.
    const auto chain = [](int terms) {
        return QStringLiteral("Year = 1 Or ").repeated(terms - 1) + QStringLiteral("Year = 2");
    };
    // Short chains nested in one another: no chain is long, the tree is deep.
    QString nested = QStringLiteral("Year = 2");
    for (int level = 0; level < 180; ++level)
        nested = chain(7) + QStringLiteral(" Or (") + nested + u')';
    const auto count = [&](const QString &condition) {
        const QString sql = QStringLiteral("SELECT * FROM tblContacts WHERE ") + condition;
        return description([&] { open(sql)->recordCount(); });
    };
    for (const QString &condition : {chain(1000), chain(1001), chain(5000), nested}) {
        EXPECT_EQ(count(condition),
                  QStringLiteral("3360 The condition is too long (more than about 1,000 terms)."))
            << condition.size();
    }
    EXPECT_EQ(count(chain(999)), QString());
}

} // namespace
