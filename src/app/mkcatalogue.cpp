// Build tool: makes the empty catalogue that ships with the program from the schema script.
#include "platform/db/Database.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: orvalis-mkcatalogue SCHEMA.sql OUT.mdb\n");
        return 2;
    }
    QFile schema(QString::fromLocal8Bit(argv[1]));
    if (!schema.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const QString out = QString::fromLocal8Bit(argv[2]);
    const QString tmp = out + ".tmp";
    QFile::remove(tmp);
    try {
        auto db = platform::db::Database::create(tmp, QString::fromUtf8(schema.readAll()));
        db->close();
    } catch (const platform::db::DbError &e) {
        std::fprintf(stderr, "%s (%d)\n", qPrintable(e.description()), e.number());
        QFile::remove(tmp);
        return 1;
    }
    // Replaces the previous build's copy in one step.
    if (std::rename(QFile::encodeName(tmp).constData(), QFile::encodeName(out).constData()) != 0) {
        QFile::remove(tmp);
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
