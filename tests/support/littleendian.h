#pragma once

#include <QByteArray>
#include <QtEndian>
#include <bit>
#include <initializer_list>

// The bytes a module holds for values, as tests plant and compare them.
namespace LittleEndian {

inline QByteArray singles(std::initializer_list<float> values)
{
    QByteArray out;
    for (float f : values) {
        char b[4];
        qToLittleEndian(std::bit_cast<quint32>(f), b);
        out.append(b, 4);
    }
    return out;
}

inline QByteArray ints(std::initializer_list<qint32> values)
{
    QByteArray out;
    for (qint32 v : values) {
        char b[4];
        qToLittleEndian(v, b);
        out.append(b, 4);
    }
    return out;
}

} // namespace LittleEndian
