#pragma once
// File names are bytes on Linux; Qt's texts are Unicode. A name that is no valid UTF-8 (a
// Latin-1 "caf\xe9.log" from an old USB stick) loses its odd bytes on the way into a QString:
// each becomes U+FFFD, and encoding the text again names no file. Where a name only arrives as
// text (a file dialog, a drop, an edit field), the bytes are found again in the folders.

#include <QString>
#include <QUrl>
#include <string>

namespace qx7::gui {

// The bytes of a file name given as text: the text's own encoding when that names an existing
// file or holds no replacement character; otherwise each part of the path that does not exist
// as encoded is looked up among its folder's entries, and the one entry whose decoded name is
// the part stands for it. A part that matches no entry, or several, stays as encoded.
std::string FileNameBytes(const QString& text);

// The bytes of a local file's address ("file:///media/caf%E9.log", as a file manager drops it):
// its percent-encoded path decoded to bytes, not to text.
std::string FileNameBytes(const QUrl& localFile);

}  // namespace qx7::gui
