#include "editor/WebLookups.h"

#include "editor/NameEdit.h"
#include "platform/ui/PromptService.h"
#include "platform/ui/WebSearch.h"

#include <QLineEdit>

namespace editor {

namespace ui = platform::ui;
using ui::searchPart;
using ui::SearchKind;

namespace {
const QString kPlus = QStringLiteral("+");
}

QUrl WebLookups::songAddress(const QString &artist, const QString &song) {
    return ui::searchAddress(SearchKind::Web, searchPart(artist) + kPlus + searchPart(song));
}

QUrl WebLookups::lyricsAddress(const QString &artist, const QString &song) {
    return ui::searchAddress(SearchKind::Web,
                             QStringLiteral("song+lyrics+for+") + searchPart(song) + kPlus + searchPart(artist));
}

QUrl WebLookups::albumArtAddress(const QString &artist, const QString &song, const QString &album) {
    // Without an album the song name stands in for it.
    const QString what = album.trimmed().isEmpty() ? song : album;
    return ui::searchAddress(SearchKind::Images,
                             QStringLiteral("album+art+") + searchPart(artist) + kPlus + searchPart(what));
}

QUrl WebLookups::coverVersionsAddress(const QString &song) {
    return ui::searchAddress(SearchKind::Web, QStringLiteral("cover+song+") + searchPart(song));
}

// The desktop's answer is not examined and no message is shown in any case.
void WebLookups::cmdWebLookup_Click() {
    ui::prompts().openUrl(songAddress(w_.txtArtist->text(), w_.txtSongName->text()));
}

void WebLookups::mnuWebLookupLyrics_Click() {
    ui::prompts().openUrl(lyricsAddress(w_.txtArtist->text(), w_.txtSongName->text()));
}

void WebLookups::mnuWebLookupImages_Click() {
    ui::prompts().openUrl(albumArtAddress(w_.txtArtist->text(), w_.txtSongName->text(), w_.txtAlbum->text()));
}

void WebLookups::mnuWebLookupCoverVersions_Click() {
    ui::prompts().openUrl(coverVersionsAddress(w_.txtSongName->text()));
}

} // namespace editor
