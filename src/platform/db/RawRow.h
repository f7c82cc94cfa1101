#pragma once
// A row of a lazy recordset as SQLite gave it. A walk reads a few fields of each row: a field
// becomes a value only when it is read, so the other fields cost no text or date conversion.
// The parts are small, so a row costs a few small allocations however wide the table.
// A RawRow owns its bytes: it stays valid after the statement it was read from moves on.
#include "platform/db/DbInternal.h"

#include <QByteArrayView>
#include <utility>

namespace platform::db::detail {

struct RawRow {
    struct Cell {
        union {
            qint64 i;
            double d;
            struct {
                int off;
                int len;
            } text;
        };
        int type;
    };
    std::vector<Cell> cells;
    QByteArray bytes;
    mutable std::vector<std::pair<int, QVariant>> made; // the fields read so far

    RawRow(sqlite3_stmt *s, int n) : cells(size_t(n)) {
        int total = 0;
        for (int c = 0; c < n; ++c) {
            Cell &cell = cells[size_t(c)];
            cell.type = sqlite3_column_type(s, c);
            if (cell.type == SQLITE_INTEGER) {
                cell.i = sqlite3_column_int64(s, c);
            } else if (cell.type == SQLITE_FLOAT) {
                cell.d = sqlite3_column_double(s, c);
            } else if (cell.type != SQLITE_NULL) {
                if (cell.type == SQLITE_TEXT) sqlite3_column_text(s, c); // the size as text
                cell.text.off = total;
                cell.text.len = sqlite3_column_bytes(s, c);
                total += cell.text.len;
            }
        }
        bytes.reserve(total);
        for (int c = 0; c < n; ++c) {
            const Cell &cell = cells[size_t(c)];
            if (cell.type == SQLITE_TEXT)
                bytes.append(reinterpret_cast<const char *>(sqlite3_column_text(s, c)), cell.text.len);
            else if (cell.type == SQLITE_BLOB)
                bytes.append(static_cast<const char *>(sqlite3_column_blob(s, c)), cell.text.len);
        }
    }
    // A row known only by its values (one added to a recordset read whole).
    explicit RawRow(const QVariantList &values) : cells(size_t(values.size())) {
        for (Cell &cell : cells) cell.type = SQLITE_NULL;
        made.reserve(size_t(values.size()));
        for (int c = 0; c < int(values.size()); ++c) made.emplace_back(c, values[c]);
    }
    // A field written through the recordset: later reads give the written value.
    void set(int c, const QVariant &v) {
        for (auto &[k, old] : made)
            if (k == c) {
                old = v;
                return;
            }
        made.emplace_back(c, v);
    }
    // The stored text of a field, as SQLite holds it (UTF-8); nullopt when the field is not a
    // text as read or was written since.
    std::optional<QByteArrayView> text(int c) const {
        for (const auto &m : made)
            if (m.first == c) return std::nullopt;
        const Cell &cell = cells[size_t(c)];
        if (cell.type != SQLITE_TEXT) return std::nullopt;
        return QByteArrayView(bytes.constData() + cell.text.off, cell.text.len);
    }
    // Binds a field in its stored form (what SQLite gave, or the value written since).
    void bind(sqlite3_stmt *s, int idx, int c, Kind kind) const {
        for (const auto &m : made)
            if (m.first == c) return bindValue(s, idx, m.second);
        const Cell &cell = cells[size_t(c)];
        // Dates and Booleans are bound in the one form criteria compare with.
        if ((kind == Kind::Date || kind == Kind::Bool) && cell.type != SQLITE_NULL) return bindValue(s, idx, value(c, kind));
        switch (cell.type) {
        case SQLITE_INTEGER: sqlite3_bind_int64(s, idx, cell.i); break;
        case SQLITE_FLOAT: sqlite3_bind_double(s, idx, cell.d); break;
        case SQLITE_TEXT: sqlite3_bind_text(s, idx, bytes.constData() + cell.text.off, cell.text.len, SQLITE_STATIC); break;
        case SQLITE_BLOB: sqlite3_bind_blob(s, idx, bytes.constData() + cell.text.off, cell.text.len, SQLITE_STATIC); break;
        default: sqlite3_bind_null(s, idx);
        }
    }
    bool isNull(int c) const {
        for (const auto &m : made)
            if (m.first == c) return m.second.isNull();
        return cells[size_t(c)].type == SQLITE_NULL;
    }
    QVariant value(int c, Kind kind) const {
        for (const auto &[k, v] : made)
            if (k == c) return v;
        const Cell &cell = cells[size_t(c)];
        const bool hasText = cell.type == SQLITE_TEXT || cell.type == SQLITE_BLOB;
        QVariant v = storedValue(cell.type, cell.type == SQLITE_INTEGER ? cell.i : 0, cell.type == SQLITE_FLOAT ? cell.d : 0,
                                 reinterpret_cast<const unsigned char *>(bytes.constData()) + (hasText ? cell.text.off : 0),
                                 hasText ? cell.text.len : 0, kind);
        if (made.empty()) made.reserve(8);
        made.emplace_back(c, v);
        return v;
    }
};

} // namespace platform::db::detail
