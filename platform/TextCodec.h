// Decoding of 8-bit text in a named code page (through iconv).
#pragma once

#include <QByteArray>
#include <QString>

namespace toliva {

// Decodes bytes in the code page that iconv knows by iconvName ("CP936",
// "GBK", ...). A byte sequence that is not valid in that code page becomes
// U+FFFD and decoding goes on with the next byte; an unknown code page decodes
// every byte as Latin-1.
QString DecodeCodePage(const QByteArray& bytes, const char* iconvName);

}  // namespace toliva
