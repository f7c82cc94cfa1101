#include "songlist/FindAllFields.h"

#include "core/AppState.h"
#include "core/InputForm.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "songlist/LocaleDate.h"
#include "songlist/NameList.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace songlist {

namespace ui = platform::ui;

namespace {

// VB's Trim: blanks only, at both ends.
QString trimBlanks(const QString &s) {
    qsizetype a = 0, b = s.size();
    while (a < b && s.at(a) == QLatin1Char(' '))
        ++a;
    while (b > a && s.at(b - 1) == QLatin1Char(' '))
        --b;
    return s.mid(a, b - a);
}

QString errorText(const std::exception &e) {
    if (const auto *dbe = dynamic_cast<const platform::db::DbError *>(&e))
        return dbe->description();
    return QString::fromUtf8(e.what());
}

} // namespace

QString FindAllFields::prompt() {
    const QString cr = QStringLiteral("\r");
    return QStringLiteral("Enter the text to search for, then press OK.  All fields and records in the entire "
                          "database will be searched.") +
           cr + cr + QStringLiteral("There are 3 wildcard characters you can use if needed:") + cr +
           QStringLiteral("    The * matches any number of characters.") + cr +
           QStringLiteral("    The ? matches any one character.") + cr +
           QStringLiteral("    The # matches any one numeric digit.") + cr + cr +
           QStringLiteral("For more complex queries use the \"Filter\" feature.");
}

QString FindAllFields::likeOperand(const QString &text) {
    QString t = text;
    t.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QStringLiteral("\"*") + t + QStringLiteral("*\"");
}

QString FindAllFields::whereBody(const QStringList &fieldNames, const QString &text) {
    static const QStringList neverSearched = {QStringLiteral("TRACKNUM"), QStringLiteral("BITRATE"),
                                              QStringLiteral("FILETYPE"), QStringLiteral("LYRICS"),
                                              QStringLiteral("CREDITS")};
    const auto date = LocaleDate::parse(text);
    QString body = QStringLiteral(" (");
    for (qsizetype i = 1; i < fieldNames.size(); ++i) {
        const QString &name = fieldNames.at(i);
        const QString upper = name.toUpper();
        if (upper.contains(QLatin1String("DESC")) || upper.contains(QLatin1String("SELECTED")) ||
            neverSearched.contains(upper))
            continue;
        if (upper.contains(QLatin1String("DATE"))) {
            if (date)
                body += name + QLatin1Char('=') + LocaleDate::jetLiteral(*date) + QStringLiteral(" OR ");
            continue;
        }
        if (upper.contains(QLatin1String("CATEGORYNUMBER")))
            continue;
        body += name + QStringLiteral(" Like ") + likeOperand(text) + QStringLiteral(" OR ");
    }
    if (body.endsWith(QLatin1String("OR "))) {
        body.chop(3);
        body += QLatin1Char(')');
    }
    return body;
}

void FindAllFields::FindEditMenu_Click() {
    if (w_.recordCount() < 1)
        return;
    auto &s = core::g();
    // What the error path puts back: the view before this find.
    const QString priorSource = w_.Data1->recordSource();
    const QString keptWhere = s.WhereClause;
    const QString keptSelected = s.SelectedClause;
    try {
        const QString answer = modMain::ShowInputForm(prompt(), QStringLiteral("Specify text to find"));
        const QString trimmed = trimBlanks(answer);
        if (trimmed.isEmpty())
            return;
        w_.setCategoryCaption(QStringLiteral("Searching for \"") + trimmed + QStringLiteral("\"..."));
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        ui::setMousePointer(ui::MousePointer::Hourglass);

        QStringList fields;
        auto *rs = w_.Data1->recordset();
        for (int i = 0; i < rs->fieldCount(); ++i)
            fields << rs->fieldName(i);
        const QString body = whereBody(fields, answer);

        w_.PriorRecordSource = priorSource;
        s.WhereClause = QStringLiteral(" Where ") + body;
        s.SelectedClause.clear();
        s.CriteriaClause.clear();
        s.CategoryClause.clear();
        s.RecordSourceName = QStringLiteral("tblContacts");
        w_.Data1->setRecordSource(QStringLiteral("Select DISTINCTROW * from  ") + s.RecordSourceName + s.WhereClause +
                                  s.OrderByClause);
        w_.setCategoryCaption(QStringLiteral("Records containing ") + trimmed);
        w_.lblFilterMsg->hide();
        w_.Data1->refresh();
        w_.cmdShowArtistSongs->setText(QString());
        if (w_.recordCount() == 0) {
            w_.txtName->clear();
            ui::msgBox(QStringLiteral("No records found."), ui::Buttons::OK, ui::Icon::None,
                       QStringLiteral("No records to display"));
        }
        ui::setMousePointer(ui::MousePointer::Default);
    } catch (const std::exception &e) {
        ui::setMousePointer(ui::MousePointer::Default);
        ui::msgBox(QStringLiteral("The FIND command failed.  The error message generated by Microsoft explaining the "
                                  "cause of the error follows:  ") +
                       errorText(e),
                   ui::Buttons::OK, ui::Icon::Critical, QStringLiteral("Find command failed"));
        ui::setMousePointer(ui::MousePointer::Hourglass);
        w_.setCategoryCaption(QString());
        w_.Data1->setRecordSource(priorSource);
        s.WhereClause = keptWhere;
        s.SelectedClause = keptSelected;
        try {
            w_.Data1->refresh();
        } catch (const platform::db::DbError &) {
            // The earlier recordset stays bound when its source cannot run again.
        }
        ui::setMousePointer(ui::MousePointer::Default);
    }
}

} // namespace songlist
