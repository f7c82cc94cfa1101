#pragma once
// The play-list window's File menu command that fills the current play list from a text file of
// "song, artist" lines: each line's names are looked up in the catalogue (in either order) and
// the first song found is appended to the list. A file of more than ProgressLines lines shows
// the progress window; closing it stops the command after the line in hand, and the tracks
// added so far stay.
#include <QString>

#include <functional>
#include <optional>

namespace player {

class frmPlayList;

class PlayListImport {
public:
    explicit PlayListImport(frmPlayList &w);

    static constexpr long ProgressLines = 1000;

    // The step that lets the event loop run between lines while the progress window shows;
    // core::yieldForInput by default. A click or key on the progress window reaches the
    // command only through it.
    void setInputYield(std::function<void()> yield) { yield_ = std::move(yield); }

    void mnuFilePopulate_Click();

    // The question asked before the file is chosen.
    static QString confirmationText();

    // The two names a line gives: a leading number and its period ("12. ") are dropped, the
    // names are split at the first comma after that, text from the first "(" on is ignored,
    // double quotes are removed and blanks trimmed. nullopt for a line without a comma.
    struct Names {
        QString first, second;
    };
    static std::optional<Names> parseLine(const QString &line);

    // Calls `line` for each line of the file, in order. Lines end at CR LF, CR or LF; the file
    // is read as UTF-8 (a byte-order mark dropped), or as Latin-1 when it is not valid UTF-8.
    // The file is read in pieces, so a large file is never held whole. `line` returns false to
    // stop. Throws core::FileError when the file cannot be opened or read.
    static void readLines(const QString &path, const std::function<bool(const QString &)> &line);

private:
    frmPlayList &w_;
    std::function<void()> yield_;
};

} // namespace player
