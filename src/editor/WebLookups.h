#pragma once
// The editor's web look-ups: a search for the song from what its boxes show (saved or not),
// opened in the user's browser.
#include <QString>
#include <QUrl>

namespace editor {

class NameEdit;

class WebLookups {
public:
    explicit WebLookups(NameEdit &w) : w_(w) {}

    // The four searches' addresses for the given box texts.
    static QUrl songAddress(const QString &artist, const QString &song);
    static QUrl lyricsAddress(const QString &artist, const QString &song);
    static QUrl albumArtAddress(const QString &artist, const QString &song, const QString &album);
    static QUrl coverVersionsAddress(const QString &song);

    void cmdWebLookup_Click();
    void mnuWebLookupLyrics_Click();
    void mnuWebLookupImages_Click();
    void mnuWebLookupCoverVersions_Click();

private:
    NameEdit &w_;
};

} // namespace editor
