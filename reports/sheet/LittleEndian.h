#pragma once
// Little-endian output, the byte order of the Excel and compound file formats.
#include <QByteArray>
#include <QtEndian>
#include <cstdint>
#include <cstring>

class TBytes {
public:
    QByteArray Data;
    void U8(uint8_t v) { Data.append(char(v)); }
    void U16(uint16_t v)
    {
        char b[2];
        qToLittleEndian(v, b);
        Data.append(b, 2);
    }
    void U32(uint32_t v)
    {
        char b[4];
        qToLittleEndian(v, b);
        Data.append(b, 4);
    }
    void F64(double v)
    {
        uint64_t u;
        std::memcpy(&u, &v, 8);
        char b[8];
        qToLittleEndian(u, b);
        Data.append(b, 8);
    }
    void Raw(const QByteArray& b) { Data.append(b); }
    void Zeros(int n) { Data.append(n, '\0'); }
    qsizetype Size() const { return Data.size(); }
};
