#include "core/AppState.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

namespace core {

namespace {
AppState &instance() {
    static AppState state;
    return state;
}
} // namespace

AppState &g() { return instance(); }

void resetState() {
    AppState &s = instance();
    if (s.ContactsTable) {
        try { s.ContactsTable->close(); } catch (...) {}
    }
    if (s.Db) {
        try { s.Db->close(); } catch (...) {}
    }
    s = AppState{};
}

QString programFolder() {
    const QString &o = instance().ProgramFolderOverride;
    if (!o.isEmpty())
        return o.endsWith('/') && o.size() > 1 ? o.chopped(1) : o;
    return QCoreApplication::applicationDirPath();
}

QString shippedFile(const QString &name) {
    const QString base = programFolder();
    const QStringList candidates = {base + QStringLiteral("/share/orvalis/") + name,
                                    base + QStringLiteral("/../share/orvalis/") + name};
    for (const QString &c : candidates)
        if (QFileInfo(c).isFile())
            return QFileInfo(c).absoluteFilePath();
    return candidates.first();
}

} // namespace core
