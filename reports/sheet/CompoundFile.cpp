#include "CompoundFile.h"
#include "LittleEndian.h"
#include <vector>

namespace CompoundFile {

QByteArray Build(const QString& streamName, const QByteArray& streamData)
{
    constexpr int SectorSize = 512;
    constexpr uint32_t FreeSect = 0xFFFFFFFF, EndOfChain = 0xFFFFFFFE, FatSect = 0xFFFFFFFD, DifSect = 0xFFFFFFFC,
                       NoStream = 0xFFFFFFFF;
    QByteArray stream = streamData;
    if (stream.size() < 4096)
        stream.append(4096 - stream.size(), '\0');
    const uint32_t streamSize = uint32_t(stream.size());
    const uint32_t streamSectors = uint32_t((stream.size() + SectorSize - 1) / SectorSize);
    stream.append(int(streamSectors) * SectorSize - stream.size(), '\0');

    // FAT and DIFAT sectors count themselves, so settle their numbers together.
    uint32_t fatSectors = 1, difatSectors = 0;
    for (;;) {
        const uint32_t total = streamSectors + 1 + fatSectors + difatSectors;
        const uint32_t fat = (total + 127) / 128;
        const uint32_t difat = fat > 109 ? (fat - 109 + 126) / 127 : 0;
        if (fat == fatSectors && difat == difatSectors)
            break;
        fatSectors = fat;
        difatSectors = difat;
    }
    const uint32_t dirSector = streamSectors;
    const uint32_t firstFat = dirSector + 1;
    const uint32_t firstDifat = firstFat + fatSectors;

    std::vector<uint32_t> fat(size_t(fatSectors) * 128, FreeSect);
    for (uint32_t i = 0; i < streamSectors; ++i)
        fat[i] = i + 1 < streamSectors ? i + 1 : EndOfChain;
    fat[dirSector] = EndOfChain;
    for (uint32_t i = 0; i < fatSectors; ++i)
        fat[firstFat + i] = FatSect;
    for (uint32_t i = 0; i < difatSectors; ++i)
        fat[firstDifat + i] = DifSect;

    TBytes out;
    // Header.
    out.Raw(QByteArray::fromHex("D0CF11E0A1B11AE1"));
    out.Zeros(16);
    out.U16(0x003E);
    out.U16(0x0003);
    out.U16(0xFFFE);
    out.U16(9);  // 512-byte sectors
    out.U16(6);  // 64-byte mini sectors
    out.Zeros(6);
    out.U32(0);  // directory sectors: not counted in version 3
    out.U32(fatSectors);
    out.U32(dirSector);
    out.U32(0);
    out.U32(4096);
    out.U32(EndOfChain);  // no mini FAT
    out.U32(0);
    out.U32(difatSectors ? firstDifat : EndOfChain);
    out.U32(difatSectors);
    for (uint32_t i = 0; i < 109; ++i)
        out.U32(i < fatSectors ? firstFat + i : FreeSect);

    out.Raw(stream);

    // Directory: the root and the one stream.
    auto entry = [&](const QString& name, uint8_t type, uint32_t child, uint32_t start, uint32_t size) {
        const qsizetype begin = out.Size();
        for (const QChar c : name)
            out.U16(c.unicode());
        out.Zeros(int(64 - (out.Size() - begin)));
        out.U16(name.isEmpty() ? 0 : uint16_t((name.size() + 1) * 2));
        out.U8(type);
        out.U8(type ? 1 : 0);  // black; unused entries are all zero
        out.U32(NoStream);
        out.U32(NoStream);
        out.U32(child);
        out.Zeros(16 + 4 + 8 + 8);
        out.U32(start);
        out.U32(size);
        out.U32(0);
    };
    entry(QStringLiteral("Root Entry"), 5, 1, EndOfChain, 0);
    entry(streamName, 2, NoStream, 0, streamSize);
    entry(QString(), 0, NoStream, 0, 0);
    entry(QString(), 0, NoStream, 0, 0);

    for (const uint32_t v : fat)
        out.U32(v);

    // FAT sectors beyond the 109 the header lists are chained through DIFAT sectors.
    for (uint32_t d = 0; d < difatSectors; ++d) {
        for (uint32_t k = 0; k < 127; ++k) {
            const uint32_t index = 109 + d * 127 + k;
            out.U32(index < fatSectors ? firstFat + index : FreeSect);
        }
        out.U32(d + 1 < difatSectors ? firstDifat + d + 1 : EndOfChain);
    }
    return out.Data;
}

}  // namespace CompoundFile
