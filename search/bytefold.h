#pragma once

#include <QByteArray>
#include <array>

// Lower-casing of Windows-1252 bytes, as the code page's text folds: A-Z and
// the upper-case letters of the code page. Every folded byte has at most one
// other byte that folds to it.
namespace ByteFold {

const std::array<unsigned char, 256> &lowerTable();
// The byte other than `folded` that folds to it, or `folded` itself when none does.
unsigned char otherCase(unsigned char folded);
QByteArray folded(const QByteArray &bytes);

} // namespace ByteFold
