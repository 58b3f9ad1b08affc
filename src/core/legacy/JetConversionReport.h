#pragma once

#include "legacy/JetRegisterWriter.h"

#include <QByteArray>
#include <QList>
#include <QString>

// What the user learns once an earlier installation's register was converted: where the
// original is kept and, when values could not be brought over, which ones (site number
// and field), in the notice and in a text file beside the original.
namespace JetConversionReport {

using LeftOut = QList<JetRegisterWriter::LeftOut>;

// The text file beside a kept original: db.jet.mdb -> db.jet.txt.
QString listPath(const QString &kept);
// The text file's content, UTF-8, one value a line.
QByteArray listText(const QString &kept, const LeftOut &leftOut);
// The one-time notice; list is the text file, when there is one.
QString notice(const QString &kept, const QString &list, const LeftOut &leftOut);

} // namespace JetConversionReport
