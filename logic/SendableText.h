#pragma once
/// Text the user types for the library. The library carries Windows-1252, where a character
/// the code page lacks would arrive as '?' and be written, compared or looked up as that; such
/// text is refused before anything is sent, with the characters named.
#include <QString>
#include <QStringList>
#include <optional>

namespace ui {
class Host;
}

namespace logic {

/// Why the texts cannot be sent: each character that Windows-1252 lacks, once, in the order
/// met, with its code point, as in "№ (U+2116) cannot be sent: the library carries
/// Windows-1252 text". Nothing when every character can go.
std::optional<QString> UnsendableText(const QStringList& texts);

/// True when the texts can be sent; otherwise shows why in a box (information icon, the
/// application's title) and returns false.
bool Sendable(ui::Host& host, const QStringList& texts);

}  // namespace logic
