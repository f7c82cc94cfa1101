#pragma once
// A row of a lazy recordset as SQLite gave it. A walk reads a few fields of each row: a field
// becomes a value only when it is read, so the other fields cost no text or date conversion.
// The cells and the texts and blobs they point into share one block: one allocation a row
// however wide the table.
// A RawRow owns its bytes: it stays valid after the statement it was read from moves on.
#include "platform/db/DbInternal.h"

#include <QByteArrayView>
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
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
    mutable std::vector<std::pair<int, QVariant>> made; // the fields read so far

    RawRow(sqlite3_stmt *s, int n) : n_(n) {
        // Each field is asked of SQLite once (every call takes the connection's lock), into
        // cells on the stack for a row of usual width; then the cells and every text and blob
        // are copied into one block. A text's pointer stays valid while the statement stands
        // on the row.
        constexpr int kOnStack = 64;
        Cell onStack[kOnStack];
        const void *srcOnStack[kOnStack];
        std::vector<Cell> onHeap;
        std::vector<const void *> srcOnHeap;
        if (n > kOnStack) {
            onHeap.resize(size_t(n));
            srcOnHeap.resize(size_t(n));
        }
        Cell *read = n > kOnStack ? onHeap.data() : onStack;
        const void **src = n > kOnStack ? srcOnHeap.data() : srcOnStack;
        int total = 0;
        for (int c = 0; c < n; ++c) {
            Cell &cell = read[c];
            cell.type = sqlite3_column_type(s, c);
            if (cell.type == SQLITE_INTEGER) {
                cell.i = sqlite3_column_int64(s, c);
            } else if (cell.type == SQLITE_FLOAT) {
                cell.d = sqlite3_column_double(s, c);
            } else if (cell.type == SQLITE_NULL) {
                cell.i = 0;
            } else {
                // The text or blob first, then its size (the size of the text as read).
                src[c] = cell.type == SQLITE_TEXT ? static_cast<const void *>(sqlite3_column_text(s, c))
                                                  : sqlite3_column_blob(s, c);
                cell.text.off = total;
                cell.text.len = sqlite3_column_bytes(s, c);
                total += cell.text.len;
            }
        }
        allocate(total);
        if (n > 0) std::memcpy(static_cast<void *>(cells()), read, size_t(n) * sizeof(Cell));
        char *out = textBase();
        for (int c = 0; c < n; ++c) {
            const Cell &cell = read[c];
            if ((cell.type == SQLITE_TEXT || cell.type == SQLITE_BLOB) && cell.text.len > 0)
                std::memcpy(out + cell.text.off, src[c], size_t(cell.text.len));
        }
    }
    // A row known only by its values (one added to a recordset read whole).
    explicit RawRow(const QVariantList &values) : n_(int(values.size())) {
        allocate(0);
        for (int c = 0; c < n_; ++c) {
            cells()[c].type = SQLITE_NULL;
            cells()[c].i = 0;
        }
        made.reserve(size_t(values.size()));
        for (int c = 0; c < int(values.size()); ++c) made.emplace_back(c, values[c]);
    }
    RawRow(const RawRow &o) : made(o.made), n_(o.n_), textBytes_(o.textBytes_) {
        block_.reset(new std::byte[blockSize()]);
        std::memcpy(block_.get(), o.block_.get(), blockSize());
    }
    RawRow(RawRow &&o) noexcept
        : made(std::move(o.made)), block_(std::move(o.block_)), n_(std::exchange(o.n_, 0)),
          textBytes_(std::exchange(o.textBytes_, 0)) {}
    RawRow &operator=(RawRow o) noexcept {
        std::swap(made, o.made);
        std::swap(block_, o.block_);
        std::swap(n_, o.n_);
        std::swap(textBytes_, o.textBytes_);
        return *this;
    }
    ~RawRow() = default;

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
        const Cell &cell = cells()[c];
        if (cell.type != SQLITE_TEXT) return std::nullopt;
        return QByteArrayView(textBase() + cell.text.off, cell.text.len);
    }
    // Binds a field in its stored form (what SQLite gave, or the value written since).
    void bind(sqlite3_stmt *s, int idx, int c, Kind kind) const {
        for (const auto &m : made)
            if (m.first == c) return bindValue(s, idx, m.second);
        const Cell &cell = cells()[c];
        // Dates and Booleans are bound in the one form criteria compare with.
        if ((kind == Kind::Date || kind == Kind::Bool) && cell.type != SQLITE_NULL) return bindValue(s, idx, value(c, kind));
        switch (cell.type) {
        case SQLITE_INTEGER: sqlite3_bind_int64(s, idx, cell.i); break;
        case SQLITE_FLOAT: sqlite3_bind_double(s, idx, cell.d); break;
        case SQLITE_TEXT: sqlite3_bind_text(s, idx, textBase() + cell.text.off, cell.text.len, SQLITE_STATIC); break;
        case SQLITE_BLOB: sqlite3_bind_blob(s, idx, textBase() + cell.text.off, cell.text.len, SQLITE_STATIC); break;
        default: sqlite3_bind_null(s, idx);
        }
    }
    bool isNull(int c) const {
        for (const auto &m : made)
            if (m.first == c) return m.second.isNull();
        return cells()[c].type == SQLITE_NULL;
    }
    // A field's value, kept for the next read of it.
    QVariant value(int c, Kind kind) const {
        for (const auto &[k, v] : made)
            if (k == c) return v;
        QVariant v = stored(c, kind);
        if (made.empty()) made.reserve(8);
        made.emplace_back(c, v);
        return v;
    }
    // A field's value made afresh and not kept: for a row read once, first to last.
    QVariant peek(int c, Kind kind) const {
        for (const auto &[k, v] : made)
            if (k == c) return v;
        return stored(c, kind);
    }

private:
    std::unique_ptr<std::byte[]> block_; // n_ cells, then the texts and blobs they point into
    int n_ = 0;
    int textBytes_ = 0;

    size_t blockSize() const { return size_t(n_) * sizeof(Cell) + size_t(textBytes_); }
    void allocate(int textBytes) {
        textBytes_ = textBytes;
        block_.reset(new std::byte[std::max<size_t>(blockSize(), 1)]);
    }
    Cell *cells() const { return reinterpret_cast<Cell *>(block_.get()); }
    char *textBase() const { return reinterpret_cast<char *>(block_.get()) + size_t(n_) * sizeof(Cell); }
    QVariant stored(int c, Kind kind) const {
        const Cell &cell = cells()[c];
        const bool hasText = cell.type == SQLITE_TEXT || cell.type == SQLITE_BLOB;
        return storedValue(cell.type, cell.type == SQLITE_INTEGER ? cell.i : 0, cell.type == SQLITE_FLOAT ? cell.d : 0,
                           reinterpret_cast<const unsigned char *>(textBase()) + (hasText ? cell.text.off : 0),
                           hasText ? cell.text.len : 0, kind);
    }
};

} // namespace platform::db::detail
