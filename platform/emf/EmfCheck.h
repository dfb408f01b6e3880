// Checks metafile bytes with an independent reader (libUEMF): every record's
// size and internal layout, the header's totals and the closing record.
// Used on files the system writes, by the tests and the picture tools.
#pragma once

#include <QByteArray>
#include <QString>

namespace toliva::emf {

struct MetafileCheck {
    bool ok = false;
    int records = 0;    // records checked, header and end record included
    QString problem;    // what failed first, empty when ok
};

MetafileCheck checkEmf(const QByteArray& emf);
// Takes a file with or without the placeable header.
MetafileCheck checkWmf(const QByteArray& wmf);

}  // namespace toliva::emf
