#include "frm_ExpenseType.h"

#include "sql_ExpenseType.h"
#include "tbl_Resource.h"

#include <QGridLayout>

TfrmExpenseType::TfrmExpenseType(QWidget* parent) : TfrmBaseDBGrid(parent)
{
    setObjectName("frmExpenseType");
    setWindowTitle("Expense Type");
    auto* layout = new QGridLayout(RecordArea);
    layout->setContentsMargins(4, 8, 4, 4);
    lblExpenseType = new QLabel("Expense Type:", RecordArea);
    lblExpenseType->setObjectName("lblExpenseType");
    edExpenseType = new QLineEdit(RecordArea);
    edExpenseType->setObjectName("edExpenseType");
    // Types are kept in capitals whatever case is typed.
    connect(edExpenseType, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int cursor = edExpenseType->cursorPosition();
        edExpenseType->setText(text.toUpper());
        edExpenseType->setCursorPosition(cursor);
    });
    lblExpenseType->setBuddy(edExpenseType);
    layout->addWidget(lblExpenseType, 0, 0);
    layout->addWidget(edExpenseType, 0, 1);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(1, 1);

    dbGridBrowser->SetDataSource(dmExpenseType->dsGetAllExpenseTypes);
    FormCreate();
}

void TfrmExpenseType::RecordChanged()
{
    TfrmBaseDBGrid::RecordChanged();
    TDataSet& ds = *DataSet();
    edExpenseType->setText(ds.FieldByName("EXPENSE_TYPE_DESCRIPTION").AsString());
    CurrentExpenseTypeID = int(ds.FieldByName("EXPENSE_TYPE_ID").AsInteger());
}

void TfrmExpenseType::BeforeAdd()
{
    TfrmBaseDBGrid::BeforeAdd();
    edExpenseType->clear();
}

void TfrmExpenseType::btnAddClick()
{
    TfrmBaseDBGrid::btnAddClick();
    edExpenseType->setFocus();
}

void TfrmExpenseType::BeforeSave()
{
    TfrmBaseDBGrid::BeforeSave();
    TDataSet& ds = *DataSet();
    if (ds.IsInserting())
        ds.FieldByName("EXPENSE_TYPE_ID").SetAsInteger(IncrementResource("EXPENSE_TYPE_ID"));
    ds.FieldByName("EXPENSE_TYPE_DESCRIPTION").SetAsString(edExpenseType->text().toUpper());
}

void TfrmExpenseType::BeforeRefresh()
{
    TfrmBaseDBGrid::BeforeRefresh();
    CurrentExpenseTypeID = int(DataSet()->FieldByName("EXPENSE_TYPE_ID").AsInteger());
}

void TfrmExpenseType::AfterRefresh()
{
    TfrmBaseDBGrid::AfterRefresh();
    DataSet()->Locate("EXPENSE_TYPE_ID", {TValue(CurrentExpenseTypeID)});
}

bool TfrmExpenseType::ValidateRecord()
{
    return TfrmBaseDBGrid::ValidateRecord() && DescriptionGiven(edExpenseType);
}
