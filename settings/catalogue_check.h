#pragma once

#include <QByteArrayView>

namespace language {

/// Whether @p bytes form a catalogue that Qt's translator (the .qm reader of Qt 6.4) can look every text up in
/// without reading outside it. The reader trusts the file: a length or an offset past the end of its block makes a
/// lookup read outside the file, and one changed byte of a real catalogue is enough to crash the program in its
/// first tr(). Checked, in the reader's own order:
/// - the magic, and the tagged blocks (tag byte, 32-bit length), each inside the file;
/// - the context table: a hash table of at least one bucket, inside its block, whose every bucket leads to a chain
///   of names that ends inside the block;
/// - the message hash table: whole 8-byte entries (hash, offset), present only with messages, every offset inside
///   the messages;
/// - every message an entry leads to: each field (tag, 32-bit length, bytes) inside the messages.
/// A catalogue that names other catalogues it depends on is refused: Qt would load those unchecked.
bool isSoundCatalogue(QByteArrayView bytes);

}  // namespace language
