#pragma once
// The play-list window's File menu command that writes the chosen play list as an .m3u file,
// with every path kept, cut to the bare file name, or given another folder for use on another
// machine.
#include <QString>
#include <QStringList>

namespace player {

class frmPlayList;

class PlayListFiles {
public:
    explicit PlayListFiles(frmPlayList &w) : w_(w) {}

    void mnuFileMakePlayListFile_Click();

    // The prefix question's text.
    static QString prefixPrompt();
    // The lines written for the stored paths and the prefix answer as typed (not empty):
    // "this machine" keeps each path, "none" keeps the bare file name (the text after the last
    // "/"), any other answer stands, with a final "/" unless it ends in "/" or "\", before each
    // bare name. The two words are recognised with blanks around them ignored, case counting.
    static QStringList entries(const QStringList &paths, const QString &answer);
    // The whole text of the file for them: each of those lines ended by CR LF.
    static QString text(const QStringList &paths, const QString &answer);
    // The name chosen in the save dialog with ".m3u" appended unless it ends so (any case).
    static QString withExtension(const QString &fileName);
    // The folder the save dialog starts in: kept for the run once set; first the current
    // folder, or the catalogue's folder when the current folder is the program's own.
    static QString startFolder();

private:
    frmPlayList &w_;
};

} // namespace player
