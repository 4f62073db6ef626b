#include "XlsWriter.h"
#include "CompoundFile.h"
#include "LittleEndian.h"
#include <QHash>
#include <QLocale>
#include <QStringList>
#include <QtEndian>
#include <algorithm>
#include <map>
#include <tuple>

namespace {

bool NeedsWideChars(const QString& s)
{
    for (const QChar c : s)
        if (c.unicode() > 0xFF)
            return true;
    return false;
}

void AppendChars(TBytes& out, const QString& s, bool wide)
{
    for (const QChar c : s) {
        if (wide)
            out.U16(c.unicode());
        else
            out.U8(uint8_t(c.unicode()));
    }
}

// Unicode string with an 8-bit or 16-bit character count, no rich text.
void AppendString(TBytes& out, const QString& s, bool longCount)
{
    const bool wide = NeedsWideChars(s);
    if (longCount)
        out.U16(uint16_t(s.size()));
    else
        out.U8(uint8_t(s.size()));
    out.U8(wide ? 1 : 0);
    AppendChars(out, s, wide);
}

constexpr int MaxRecordData = 8224;
enum : uint16_t {
    rBOF = 0x0809,
    rEOF = 0x000A,
    rCONTINUE = 0x003C,
    rCODEPAGE = 0x0042,
    rWINDOW1 = 0x003D,
    rDATEMODE = 0x0022,
    rPRECISION = 0x000E,
    rFONT = 0x0031,
    rFORMAT = 0x041E,
    rXF = 0x00E0,
    rSTYLE = 0x0293,
    rBOUNDSHEET = 0x0085,
    rSST = 0x00FC,
    rEXTSST = 0x00FF,
    rINTERFACEHDR = 0x00E1,
    rMMS = 0x00C1,
    rINTERFACEEND = 0x00E2,
    rWRITEACCESS = 0x005C,
    rDSF = 0x0161,
    rTABID = 0x013D,
    rFNGROUPCOUNT = 0x009C,
    rWINDOWPROTECT = 0x0019,
    rPROTECT = 0x0012,
    rPASSWORD = 0x0013,
    rPROT4REV = 0x01AF,
    rPROT4REVPASS = 0x01BC,
    rBACKUP = 0x0040,
    rHIDEOBJ = 0x008D,
    rREFRESHALL = 0x01B7,
    rBOOKBOOL = 0x00DA,
    rUSESELFS = 0x0160,
    rCALCMODE = 0x000D,
    rCALCCOUNT = 0x000C,
    rREFMODE = 0x000F,
    rITERATION = 0x0011,
    rDELTA = 0x0010,
    rSAVERECALC = 0x005F,
    rPRINTHEADERS = 0x002A,
    rPRINTGRIDLINES = 0x002B,
    rGRIDSET = 0x0082,
    rGUTS = 0x0080,
    rDEFAULTROWHEIGHT = 0x0225,
    rWSBOOL = 0x0081,
    rHCENTER = 0x0083,
    rVCENTER = 0x0084,
    rLEFTMARGIN = 0x0026,
    rRIGHTMARGIN = 0x0027,
    rTOPMARGIN = 0x0028,
    rBOTTOMMARGIN = 0x0029,
    rSETUP = 0x00A1,
    rDEFCOLWIDTH = 0x0055,
    rCOLINFO = 0x007D,
    rDIMENSIONS = 0x0200,
    rROW = 0x0208,
    rNUMBER = 0x0203,
    rLABELSST = 0x00FD,
    rBLANK = 0x0201,
    rMULBLANK = 0x00BE,
    rFORMULA = 0x0006,
    rSTRING = 0x0207,
    rWINDOW2 = 0x023E,
    rSELECTION = 0x001D
};

class TStream {
public:
    TBytes Out;
    // Data longer than one record goes on in CONTINUE records.
    void Record(uint16_t id, const QByteArray& data)
    {
        qsizetype pos = 0;
        bool first = true;
        do {
            const qsizetype n = std::min<qsizetype>(MaxRecordData, data.size() - pos);
            Out.U16(first ? id : uint16_t(rCONTINUE));
            Out.U16(uint16_t(n));
            Out.Raw(data.mid(pos, n));
            pos += n;
            first = false;
        } while (pos < data.size());
    }
    void Record(uint16_t id, const TBytes& body) { Record(id, body.Data); }
    void Record(uint16_t id) { Record(id, QByteArray()); }
    void RecordU16(uint16_t id, uint16_t v)
    {
        TBytes b;
        b.U16(v);
        Record(id, b);
    }
    void RecordF64(uint16_t id, double v)
    {
        TBytes b;
        b.F64(v);
        Record(id, b);
    }
};

// ------------------------------------------------------------------ colours

// The default palette of the file format, indices 8 to 63, as RRGGBB.
constexpr uint32_t Palette[56] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
                                  0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,
                                  0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,
                                  0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,
                                  0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
                                  0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,
                                  0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};
constexpr uint16_t IcvSilver = 22;
constexpr uint16_t IcvWindowText = 0x40, IcvWindowBack = 0x41, IcvFontAuto = 0x7FFF;

// Nearest palette entry to a 0x00BBGGRR colour.
uint16_t PaletteIndex(uint32_t colorRef)
{
    const int r = int(colorRef & 0xFF), g = int((colorRef >> 8) & 0xFF), b = int((colorRef >> 16) & 0xFF);
    int best = 0;
    long bestDist = -1;
    for (int i = 0; i < 56; ++i) {
        const int pr = int(Palette[i] >> 16), pg = int((Palette[i] >> 8) & 0xFF), pb = int(Palette[i] & 0xFF);
        const long d = long(pr - r) * (pr - r) + long(pg - g) * (pg - g) + long(pb - b) * (pb - b);
        if (bestDist < 0 || d < bestDist) {
            best = i;
            bestDist = d;
        }
    }
    return uint16_t(8 + best);
}

// ------------------------------------------------------------------ workbook globals

struct TFontKey {
    QString Name;
    int Size;
    bool Bold, Italic, Underline, Strikeout, Outline, Shadow;
    uint32_t Colour;
    bool operator==(const TFontKey&) const = default;
    bool operator<(const TFontKey& o) const
    {
        return std::tie(Name, Size, Bold, Italic, Underline, Strikeout, Outline, Shadow, Colour)
               < std::tie(o.Name, o.Size, o.Bold, o.Italic, o.Underline, o.Strikeout, o.Outline, o.Shadow, o.Colour);
    }
    static TFontKey Of(const TCellFormat& f)
    {
        return {f.FontName, f.FontSize, f.Bold, f.Italic, f.Underline, f.Strikeout, f.Outline, f.Shadow, f.FontColour};
    }
};

void WriteFont(TStream& s, const TFontKey& k)
{
    TBytes b;
    b.U16(uint16_t(k.Size * 20));
    // Bold and underline are also carried by weight and underline type below; the flags
    // repeat them for readers that look only here.
    b.U16(uint16_t((k.Bold ? 0x01 : 0) | (k.Italic ? 0x02 : 0) | (k.Underline ? 0x04 : 0) | (k.Strikeout ? 0x08 : 0)
                   | (k.Outline ? 0x10 : 0) | (k.Shadow ? 0x20 : 0)));
    b.U16(k.Colour == 0 ? IcvFontAuto : PaletteIndex(k.Colour));
    b.U16(k.Bold ? 700 : 400);
    b.U16(0);  // no super- or subscript
    b.U8(k.Underline ? 1 : 0);
    b.U8(2);  // family: swiss
    b.U8(0);  // ANSI character set
    b.U8(0);
    AppendString(b, k.Name, false);
    s.Record(rFONT, b);
}

void WriteXf(TStream& s, uint16_t font, uint16_t format, bool style, const TCellFormat& f)
{
    TBytes b;
    b.U16(font);
    b.U16(format);
    b.U16(style ? 0xFFF5 : 0x0001);                // locked; a style has no parent, a cell's parent is style 0
    const uint8_t hAlign = uint8_t(f.HAlign - 1);  // general, left, centre, right
    const uint8_t vAlign = uint8_t(f.VAlign - 1);  // top, centre, bottom
    b.U8(uint8_t(hAlign | (f.Wrap ? 0x08 : 0) | vAlign << 4));
    b.U8(0);                    // no rotation
    b.U8(0);                    // no indent, left-to-right by context
    b.U8(style ? 0x00 : 0x7C);  // a cell XF uses its own number, font, alignment, border, fill
    auto icv = [](const TBorderEdge& e) { return uint32_t(e.Style ? PaletteIndex(e.Colour) : 0); };
    b.U32(uint32_t(f.Left.Style) | uint32_t(f.Right.Style) << 4 | uint32_t(f.Top.Style) << 8
          | uint32_t(f.Bottom.Style) << 12 | icv(f.Left) << 16 | icv(f.Right) << 23);
    b.U32(icv(f.Top) | icv(f.Bottom) << 7 | (f.Shaded ? 1u : 0u) << 26);
    b.U16(uint16_t((f.Shaded ? IcvSilver : IcvWindowText) | IcvWindowBack << 7));
    s.Record(rXF, b);
}

// The shared string table with its CONTINUE records, and the index that lets a reader
// find every eighth string. Returns the SST's records; base is their stream offset.
QByteArray BuildSst(const QStringList& strings, uint32_t totalRefs, qsizetype base)
{
    TStream s;
    QList<QByteArray> records;
    TBytes cur;
    cur.U32(totalRefs);
    cur.U32(uint32_t(strings.size()));
    struct TBucket {
        uint32_t StreamPos;
        uint16_t RecordOffset;
    };
    std::vector<TBucket> buckets;
    const int perBucket = std::max<int>(8, int((strings.size() + 127) / 128));
    qsizetype recordStart = base;  // stream position of the current record's header
    auto nextRecord = [&] {
        recordStart += 4 + cur.Size();
        records.append(cur.Data);
        cur.Data.clear();
    };
    for (int i = 0; i < strings.size(); ++i) {
        const QString& str = strings[i];
        const bool wide = NeedsWideChars(str);
        const int charSize = wide ? 2 : 1;
        // The count and flags never split from the first character.
        if (cur.Size() + 3 + charSize > MaxRecordData)
            nextRecord();
        if (i % perBucket == 0)
            buckets.push_back({uint32_t(recordStart + 4 + cur.Size()), uint16_t(4 + cur.Size())});
        cur.U16(uint16_t(str.size()));
        cur.U8(wide ? 1 : 0);
        qsizetype done = 0;
        while (done < str.size()) {
            const qsizetype room = (MaxRecordData - cur.Size()) / charSize;
            if (room == 0) {
                nextRecord();
                cur.U8(wide ? 1 : 0);  // a continued string restates its character width
                continue;
            }
            const qsizetype take = std::min(room, str.size() - done);
            AppendChars(cur, str.mid(done, take), wide);
            done += take;
        }
    }
    records.append(cur.Data);
    for (int i = 0; i < records.size(); ++i) {
        s.Out.U16(i == 0 ? rSST : rCONTINUE);
        s.Out.U16(uint16_t(records[i].size()));
        s.Out.Raw(records[i]);
    }
    TBytes ext;
    ext.U16(uint16_t(perBucket));
    for (const TBucket& b : buckets) {
        ext.U32(b.StreamPos);
        ext.U16(b.RecordOffset);
        ext.U16(0);
    }
    s.Record(rEXTSST, ext);
    return s.Out.Data;
}

// ------------------------------------------------------------------ worksheet

struct TSheetContext {
    const TSheetSource& Source;
    std::vector<uint16_t> XfOfFormat;  // our format index -> XF index
    QHash<QString, uint32_t> StringIndex;
    // The first row and column that hold a cell, noted while the strings are gathered.
    int FirstRow = 0, FirstCol = Sheet::ColLimit + 1;
};

void WriteCell(TStream& s, TSheetContext& ctx, int row, int col, const TSourceCell& cell)
{
    const uint16_t xf = ctx.XfOfFormat[size_t(cell.Format)];
    TBytes b;
    b.U16(uint16_t(row - 1));
    b.U16(uint16_t(col - 1));
    b.U16(xf);
    switch (cell.Kind) {
    case TSourceCell::Number:
        b.F64(cell.Num);
        s.Record(rNUMBER, b);
        break;
    case TSourceCell::Text:
        b.U32(ctx.StringIndex.value(*cell.Str));
        s.Record(rLABELSST, b);
        break;
    case TSourceCell::Formula: {
        const TCellValue& v = *cell.Result;
        switch (v.Kind) {
        case TCellValue::Number:
        case TCellValue::Empty: b.F64(v.AsNumber()); break;
        case TCellValue::Text:
            b.U8(0x00);
            b.Zeros(5);
            b.U16(0xFFFF);
            break;
        case TCellValue::Error:
            b.U8(0x02);
            b.U8(0);
            b.U8(v.Err);
            b.Zeros(3);
            b.U16(0xFFFF);
            break;
        }
        b.U16(0);  // options: the stored result is current
        b.U32(0);
        const QByteArray rgce = XlsWriter::EncodeFormula(*cell.Expr);
        b.U16(uint16_t(rgce.size()));
        b.Raw(rgce);
        s.Record(rFORMULA, b);
        if (v.Kind == TCellValue::Text) {
            TBytes str;
            AppendString(str, v.Str, true);
            s.Record(rSTRING, str);
        }
        break;
    }
    case TSourceCell::Blank: s.Record(rBLANK, b); break;
    }
}

// Runs of format-only cells in one row go out as one MULBLANK.
void WriteBlankRun(TStream& s, TSheetContext& ctx, int row, int firstCol, const std::vector<int>& formats)
{
    TBytes b;
    b.U16(uint16_t(row - 1));
    b.U16(uint16_t(firstCol - 1));
    if (formats.size() == 1) {
        b.U16(ctx.XfOfFormat[size_t(formats[0])]);
        s.Record(rBLANK, b);
        return;
    }
    for (const int f : formats)
        b.U16(ctx.XfOfFormat[size_t(f)]);
    b.U16(uint16_t(firstCol - 1 + int(formats.size()) - 1));
    s.Record(rMULBLANK, b);
}

void WriteRowBlock(TStream& s, TSheetContext& ctx, int firstRow, int lastRow, int defaultHeight)
{
    const TSheetSource& sheet = ctx.Source;
    const TCellRange rows {firstRow, 1, lastRow, Sheet::ColLimit};
    // Each row's first and last column, or none.
    std::map<int, std::pair<int, int>> extent;
    sheet.ForEachCell(rows, [&](int row, int col, const TSourceCell&) {
        auto [it, fresh] = extent.try_emplace(row, col, col);
        if (!fresh)
            it->second.second = col;
    });
    for (int row = firstRow; row <= lastRow; ++row) {
        const int height = sheet.RowHeight(row);
        const auto it = extent.find(row);
        if (it == extent.end() && height == defaultHeight)
            continue;
        TBytes b;
        b.U16(uint16_t(row - 1));
        b.U16(it == extent.end() ? 0 : uint16_t(it->second.first - 1));
        b.U16(it == extent.end() ? 0 : uint16_t(it->second.second));
        b.U16(uint16_t(height & 0x7FFF));
        b.U16(0);
        b.U16(0);
        // Always-set bit, and "height set by hand" when it differs from the font's.
        b.U16(uint16_t(0x0100 | (height != Sheet::DefaultRowHeight ? 0x0040 : 0) | (height == 0 ? 0x0020 : 0)));
        b.U16(0x000F);
        s.Record(rROW, b);
    }
    int blankRow = 0, blankStart = 0, blankNext = 0;
    std::vector<int> blanks;
    auto flush = [&] {
        if (!blanks.empty())
            WriteBlankRun(s, ctx, blankRow, blankStart, blanks);
        blanks.clear();
    };
    sheet.ForEachCell(rows, [&](int row, int col, const TSourceCell& cell) {
        if (cell.Kind == TSourceCell::Blank) {
            if (blanks.empty() || row != blankRow || col != blankNext) {
                flush();
                blankRow = row;
                blankStart = col;
            }
            blanks.push_back(cell.Format);
            blankNext = col + 1;
            return;
        }
        flush();
        WriteCell(s, ctx, row, col, cell);
    });
    flush();
}

// The start of a BIFF8 substream of the given type, as written by the build of Excel 97.
void WriteBOF(TStream& stream, uint16_t type)
{
    TBytes b;
    b.U16(0x0600);
    b.U16(type);
    b.U16(0x0DBB);
    b.U16(0x07CC);
    b.U32(0);
    b.U32(6);
    stream.Record(rBOF, b);
}

QByteArray BuildSheet(TSheetContext& ctx)
{
    const TSheetSource& sheet = ctx.Source;
    const TPageSetup setup = sheet.PageSetup();
    TStream s;
    WriteBOF(s, 0x0010);  // worksheet
    s.RecordU16(rCALCMODE, 1);
    s.RecordU16(rCALCCOUNT, 100);
    s.RecordU16(rREFMODE, 1);
    s.RecordU16(rITERATION, 0);
    s.RecordF64(rDELTA, 0.001);
    s.RecordU16(rSAVERECALC, 1);
    s.RecordU16(rPRINTHEADERS, 0);
    s.RecordU16(rPRINTGRIDLINES, sheet.ShowGridLines() ? 1 : 0);
    s.RecordU16(rGRIDSET, 1);
    {
        TBytes b;
        b.Zeros(8);
        s.Record(rGUTS, b);
    }
    const int defaultHeight = sheet.PrevailingRowHeight();
    {
        TBytes b;
        b.U16(defaultHeight != Sheet::DefaultRowHeight ? 0x0001 : 0x0000);
        b.U16(uint16_t(defaultHeight));
        s.Record(rDEFAULTROWHEIGHT, b);
    }
    s.RecordU16(rWSBOOL, uint16_t(0x04C1 | (setup.FitToPages ? 0x0100 : 0)));
    s.RecordU16(rHCENTER, 0);
    s.RecordU16(rVCENTER, 0);
    // Margins in inches, the same the printed page uses.
    s.RecordF64(rLEFTMARGIN, 0.7);
    s.RecordF64(rRIGHTMARGIN, 0.7);
    s.RecordF64(rTOPMARGIN, 0.75);
    s.RecordF64(rBOTTOMMARGIN, 0.75);
    {
        TBytes b;
        const bool letter = QLocale::system().measurementSystem() == QLocale::ImperialUSSystem;
        b.U16(letter ? 1 : 9);  // paper: Letter or A4
        b.U16(uint16_t(setup.Scale));
        b.U16(1);  // first page number
        b.U16(uint16_t(setup.PagesWide));
        b.U16(uint16_t(setup.PagesTall));
        // Pages down then across; bit 1 set means portrait; the settings are valid.
        b.U16(setup.Landscape ? 0x0000 : 0x0002);
        b.U16(600);
        b.U16(600);
        b.F64(0.3);
        b.F64(0.3);
        b.U16(1);
        s.Record(rSETUP, b);
    }
    s.RecordU16(rDEFCOLWIDTH, 8);
    for (int col = 1; col <= Sheet::ColLimit;) {
        const int width = sheet.ColumnWidth(col);
        int last = col;
        while (last < Sheet::ColLimit && sheet.ColumnWidth(last + 1) == width)
            ++last;
        if (width != Sheet::DefaultColumnWidth) {
            TBytes b;
            b.U16(uint16_t(col - 1));
            b.U16(uint16_t(last - 1));
            b.U16(uint16_t(width));
            b.U16(0x000F);
            b.U16(width == 0 ? 0x0001 : 0x0000);  // a zero width hides the column
            b.U16(0);
            s.Record(rCOLINFO, b);
        }
        col = last + 1;
    }
    const int lastRow = sheet.LastRow();
    const int lastCol = sheet.LastCol();
    {
        TBytes b;
        b.U32(lastRow ? uint32_t(ctx.FirstRow - 1) : 0);
        b.U32(uint32_t(lastRow));
        b.U16(lastRow ? uint16_t(ctx.FirstCol - 1) : 0);
        b.U16(uint16_t(lastCol));
        b.U16(0);
        s.Record(rDIMENSIONS, b);
    }
    // Rows that have cells or a height of their own, in blocks of 32 as Excel groups them.
    int lastListedRow = lastRow;
    for (int row = Sheet::RowLimit; row > lastListedRow; --row) {
        if (sheet.RowHeight(row) != defaultHeight) {
            lastListedRow = row;
            break;
        }
    }
    for (int block = 1; block <= lastListedRow; block += 32)
        WriteRowBlock(s, ctx, block, std::min(block + 31, lastListedRow), defaultHeight);
    {
        TBytes b;
        b.U16(uint16_t(0x06B4 | (sheet.ShowGridLines() ? 0x0002 : 0)));
        b.U16(0);
        b.U16(0);
        b.U16(IcvWindowText);
        b.U16(0);
        b.U16(0);
        b.U16(0);
        b.U32(0);
        s.Record(rWINDOW2, b);
    }
    {
        const TCellRange sel = sheet.Selection();
        TBytes b;
        b.U8(3);
        b.U16(uint16_t(sel.Row1 - 1));
        b.U16(uint16_t(sel.Col1 - 1));
        b.U16(0);
        b.U16(1);
        b.U16(uint16_t(sel.Row1 - 1));
        b.U16(uint16_t(sel.Row2 - 1));
        b.U8(uint8_t(sel.Col1 - 1));
        b.U8(uint8_t(sel.Col2 - 1));
        s.Record(rSELECTION, b);
    }
    s.Record(rEOF);
    return s.Out.Data;
}

}  // namespace

namespace XlsWriter {

QByteArray BuildWorkbookStream(const TSheetSource& sheet)
{
    TSheetContext ctx {sheet, {}, {}};

    // Formats, fonts and strings that the cells use.
    std::vector<bool> used(size_t(sheet.FormatCount()), false);
    used[0] = true;
    QStringList strings;
    uint32_t stringRefs = 0;
    sheet.ForEachCell({1, 1, Sheet::RowLimit, Sheet::ColLimit}, [&](int row, int col, const TSourceCell& cell) {
        if (ctx.FirstRow == 0)
            ctx.FirstRow = row;
        ctx.FirstCol = std::min(ctx.FirstCol, col);
        used[size_t(cell.Format)] = true;
        if (cell.Kind == TSourceCell::Text) {
            ++stringRefs;
            if (!ctx.StringIndex.contains(*cell.Str)) {
                ctx.StringIndex.insert(*cell.Str, uint32_t(strings.size()));
                strings.append(*cell.Str);
            }
        }
    });
    const TCellFormat defaults;
    std::map<TFontKey, uint16_t> fonts;
    std::map<QString, uint16_t> numberFormats;
    std::vector<TFontKey> fontOrder;
    std::vector<QString> formatOrder;
    for (int i = 0; i < sheet.FormatCount(); ++i) {
        if (!used[size_t(i)])
            continue;
        const TCellFormat& f = sheet.Format(i);
        const TFontKey key = TFontKey::Of(f);
        if (!(key == TFontKey::Of(defaults)) && !fonts.count(key)) {
            // Font index 4 does not exist in the file format; ours start at 5.
            fonts[key] = uint16_t(5 + fontOrder.size());
            fontOrder.push_back(key);
        }
        if (f.NumberFormat != QLatin1String("General") && !numberFormats.count(f.NumberFormat)) {
            numberFormats[f.NumberFormat] = uint16_t(164 + formatOrder.size());
            formatOrder.push_back(f.NumberFormat);
        }
    }
    ctx.XfOfFormat.assign(size_t(sheet.FormatCount()), 15);
    uint16_t nextXf = 16;
    std::vector<int> xfOrder;
    for (int i = 1; i < sheet.FormatCount(); ++i) {
        if (!used[size_t(i)])
            continue;
        ctx.XfOfFormat[size_t(i)] = nextXf++;
        xfOrder.push_back(i);
    }

    TStream g;
    WriteBOF(g, 0x0005);  // workbook globals
    g.RecordU16(rINTERFACEHDR, 0x04B0);
    g.RecordU16(rMMS, 0);
    g.Record(rINTERFACEEND);
    {
        TBytes b;
        AppendString(b, QStringLiteral("Brindlemark"), true);
        while (b.Size() < 112)
            b.U8(' ');
        g.Record(rWRITEACCESS, b);
    }
    g.RecordU16(rCODEPAGE, 0x04B0);
    g.RecordU16(rDSF, 0);
    g.RecordU16(rTABID, 1);
    g.RecordU16(rFNGROUPCOUNT, 14);
    g.RecordU16(rWINDOWPROTECT, 0);
    g.RecordU16(rPROTECT, 0);
    g.RecordU16(rPASSWORD, 0);
    g.RecordU16(rPROT4REV, 0);
    g.RecordU16(rPROT4REVPASS, 0);
    g.RecordU16(rBACKUP, 0);
    g.RecordU16(rHIDEOBJ, 0);
    {
        TBytes b;
        b.U16(0x0168);
        b.U16(0x001E);
        b.U16(0x3A5C);
        b.U16(0x23BE);
        b.U16(0x0038);
        b.U16(0);
        b.U16(0);
        b.U16(1);
        b.U16(0x0258);
        g.Record(rWINDOW1, b);
    }
    g.RecordU16(rDATEMODE, 0);
    g.RecordU16(rPRECISION, 1);
    g.RecordU16(rREFRESHALL, 0);
    g.RecordU16(rBOOKBOOL, 0);
    for (int i = 0; i < 4; ++i)
        WriteFont(g, TFontKey::Of(defaults));
    for (const TFontKey& k : fontOrder)
        WriteFont(g, k);
    for (const QString& f : formatOrder) {
        TBytes b;
        b.U16(numberFormats[f]);
        AppendString(b, f, true);
        g.Record(rFORMAT, b);
    }
    for (int i = 0; i < 15; ++i)
        WriteXf(g, 0, 0, true, defaults);
    WriteXf(g, 0, 0, false, defaults);
    for (const int i : xfOrder) {
        const TCellFormat& f = sheet.Format(i);
        const TFontKey key = TFontKey::Of(f);
        const uint16_t font = key == TFontKey::Of(defaults) ? 0 : fonts[key];
        const uint16_t format = f.NumberFormat == QLatin1String("General") ? 0 : numberFormats[f.NumberFormat];
        WriteXf(g, font, format, false, f);
    }
    {
        TBytes b;
        b.U16(0x8000);  // built-in style on XF 0: Normal
        b.U8(0);
        b.U8(0xFF);
        g.Record(rSTYLE, b);
    }
    g.RecordU16(rUSESELFS, 1);
    const qsizetype boundSheetPos = g.Out.Size();
    {
        TBytes b;
        b.U32(0);  // sheet offset, filled in below
        b.U16(0);  // visible worksheet
        AppendString(b, QStringLiteral("Sheet1"), false);
        g.Record(rBOUNDSHEET, b);
    }
    g.Out.Raw(BuildSst(strings, stringRefs, g.Out.Size()));
    g.Record(rEOF);

    QByteArray stream = g.Out.Data;
    qToLittleEndian(uint32_t(stream.size()), stream.data() + boundSheetPos + 4);
    stream += BuildSheet(ctx);
    return stream;
}

QByteArray BuildWorkbookFile(const TSheetSource& sheet)
{
    return CompoundFile::Build(QStringLiteral("Workbook"), BuildWorkbookStream(sheet));
}

}  // namespace XlsWriter

QString TXlsExporter::FileFilter() const
{
    return QStringLiteral("Excel 97-2003|*.xls");
}

QString TXlsExporter::Extension() const
{
    return QStringLiteral("xls");
}

void TXlsExporter::Export(const TSheetSource& sheet, const QString& path) const
{
    WriteFile(path, [&] { return XlsWriter::BuildWorkbookFile(sheet); });
}
