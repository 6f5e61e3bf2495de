#pragma once

#include <QString>

// One 656-byte bookmark record of a .hbk file with its text fields decoded
// from Windows-1252.
struct HbkRecord
{
    int number = 0;       // 1-based position in the file
    bool empty = false;   // the description field is all zero bytes
    QString description;  // up to the first zero byte
    QString offsetText;   // up to the first zero byte
    QString sizeText;     // the whole field with every zero byte dropped
    QString countText;    // up to the first zero byte
};
