#pragma once
// The artist button: narrows the grid to every song by the current row's artist, sorted by
// song name, and, pressed again, brings back the view, sort, column order, current song and its
// height in the grid that were shown before, with every record-source part as it was.
#include <QString>

namespace songlist {

class NameList;

class ArtistFilter {
public:
    explicit ArtistFilter(NameList &w) : w_(w) {}

    static constexpr const char *ReturnCaption = "Return from artist filter";

    void cmdShowArtistSongs_Click();

    // " Where Artist = "<artist>" " with the artist's double quotes doubled.
    static QString whereClause(const QString &artist);

private:
    void enter();
    void leave();
    NameList &w_;
};

} // namespace songlist
