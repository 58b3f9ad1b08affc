#pragma once

#include <QString>

// Statement texts carry dates as "#2011-3-7#" literals, as the Jet engine read them.
namespace DateLiterals {
// Every "#Y-M-D#" literal becomes the ISO text literal '2011-03-07'; a literal that is
// no real date throws StoreError, so the statement fails instead of matching nothing.
QString translate(const QString &sql);
} // namespace DateLiterals
