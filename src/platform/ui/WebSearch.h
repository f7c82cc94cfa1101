#pragma once
// Web look-ups (the editor's look-up button and menu, the player's lyrics button): an address
// on the search engine's search or image-search page for a query made of the texts the user
// sees in a window.
#include <QString>
#include <QStringList>
#include <QUrl>

namespace platform::ui {

enum class SearchKind { Web, Images };

// One part of a query: the text trimmed, then percent-encoded as UTF-8 (everything but ASCII
// letters, digits and "-._~"), with each blank written as "+". A typed "+" or "&" is encoded,
// so it reaches the search as the character the user typed, never as a separator.
QString searchPart(const QString &text);

// The address of a search for `query` (parts already encoded and joined with "+").
QUrl searchAddress(SearchKind kind, const QString &query);

} // namespace platform::ui
