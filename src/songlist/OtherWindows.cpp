#include "songlist/OtherWindows.h"

#include <QHash>

namespace songlist {

namespace {
QHash<QString, OtherWindows::Opener> &openers() {
    static QHash<QString, OtherWindows::Opener> map;
    return map;
}
} // namespace

void OtherWindows::set(const QString &name, Opener opener) {
    if (opener)
        openers().insert(name, std::move(opener));
    else
        openers().remove(name);
}

bool OtherWindows::has(const QString &name) { return openers().contains(name); }

bool OtherWindows::open(const QString &name, const QString &caption) {
    // A copy: the opener may register or remove openers while it runs.
    const Opener opener = openers().value(name);
    if (!opener)
        return false;
    opener(caption);
    return true;
}

void OtherWindows::clear() { openers().clear(); }

} // namespace songlist
