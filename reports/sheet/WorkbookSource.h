#pragma once
// A workbook seen through the face exporters read: the model itself never hands its
// cells to a file writer.
#include "SheetSource.h"

class TWorkbook;

class TWorkbookSource final : public TSheetSource {
public:
    // The workbook must outlive the source.
    explicit TWorkbookSource(const TWorkbook& book) : m_book(book) { }

    int LastRow() const override;
    int LastCol() const override;
    void ForEachCell(const TCellRange& range,
                     const std::function<void(int row, int col, const TSourceCell&)>& visit) const override;
    QString CellText(int row, int col) const override;
    int FormatCount() const override;
    const TCellFormat& Format(int index) const override;
    int ColumnWidth(int col) const override;
    int RowHeight(int row) const override;
    int PrevailingRowHeight() const override;
    bool ShowGridLines() const override;
    TCellRange Selection() const override;
    TPageSetup PageSetup() const override;

private:
    const TWorkbook& m_book;
};
