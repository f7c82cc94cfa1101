#pragma once
// Another program in the middle of a change to a catalogue: a connection of its own that holds
// the catalogue's write lock (as an SQLite shell after BEGIN IMMEDIATE) until it is released or
// goes. Reading the catalogue goes on meanwhile; writing waits for the lock or fails.
#include <QFile>
#include <QString>
#include <sqlite3.h>
#include <stdexcept>

class OtherWriter {
public:
    explicit OtherWriter(const QString &catalogue) {
        if (sqlite3_open_v2(QFile::encodeName(catalogue).constData(), &db_, SQLITE_OPEN_READWRITE, nullptr) !=
                SQLITE_OK ||
            sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot take the write lock of " + catalogue.toStdString());
    }
    ~OtherWriter() { release(); }
    OtherWriter(const OtherWriter &) = delete;
    OtherWriter &operator=(const OtherWriter &) = delete;

    // The other program is done: its change is undone and the lock given back.
    void release() {
        if (db_)
            sqlite3_close_v2(db_);
        db_ = nullptr;
    }

private:
    sqlite3 *db_ = nullptr;
};
