#pragma once
// The four duplicate views: the grid shows one of the saved duplicate queries as its whole
// record source, and the commands that would add songs or change the view are disabled until
// Show all.
#include <QString>

namespace songlist {

class NameList;

class DuplicateViews {
public:
    enum class View { Duplicates, ToDelete, DuplicatesAlbum, ToDeleteAlbum };

    struct Texts {
        const char *query;    // the saved query shown
        const char *caption;  // lblCategory while shown
        const char *empty;    // the message when the query gives no rows
    };
    static Texts texts(View v);

    explicit DuplicateViews(NameList &w) : w_(w) {}
    void show(View v);

private:
    void disableViewCommands();
    NameList &w_;
};

} // namespace songlist
