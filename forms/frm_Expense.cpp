#include "frm_Expense.h"

#include "ErrorHandler.h"
#include "frm_ExpenseType.h"
#include "sql_Expense.h"
#include "tbl_ExpenseType.h"
#include "tbl_Resource.h"

#include <QGridLayout>
#include <memory>

TfrmExpense::TfrmExpense(QWidget* parent) : TfrmBaseDBGrid(parent)
{
    setObjectName("frmExpense");
    setWindowTitle("Expense");
    auto* layout = new QGridLayout(RecordArea);
    layout->setContentsMargins(4, 8, 4, 4);
    lblExpenseDescription = new QLabel("Expense Description", RecordArea);
    lblExpenseDescription->setObjectName("lblExpenseDescription");
    edExpenseDescription = new QLineEdit(RecordArea);
    edExpenseDescription->setObjectName("edExpenseDescription");
    lblExpenseDescription->setBuddy(edExpenseDescription);
    lblAmount = new QLabel("Default Amount", RecordArea);
    lblAmount->setObjectName("lblAmount");
    edExpense = new TDBEdit(RecordArea);
    edExpense->setObjectName("edExpense");
    lblAmount->setBuddy(edExpense);
    rgTaxable = new TRadioGroup("Taxable Default", {"No", "Yes"}, 2, RecordArea);
    rgTaxable->setObjectName("rgTaxable");
    rgTaxable->SetItemIndex(0);
    // Every expense belongs to type 1; the choice of type stays out of sight.
    lblExpenseType = new QLabel("Expense Type:", RecordArea);
    lblExpenseType->setObjectName("lblExpenseType");
    cbExpenseType = new TItemCombo(RecordArea);
    cbExpenseType->setObjectName("cbExpenseType");
    spdbtnExpenseType = new QToolButton(RecordArea);
    spdbtnExpenseType->setObjectName("spdbtnExpenseType");
    spdbtnExpenseType->setText("...");
    lblExpenseType->hide();
    cbExpenseType->hide();
    spdbtnExpenseType->hide();
    connect(spdbtnExpenseType, &QToolButton::clicked, this, Guarded([this] { spdbtnExpenseTypeClick(); }));

    layout->addWidget(lblExpenseDescription, 0, 0);
    layout->addWidget(edExpenseDescription, 0, 1, 1, 2);
    layout->addWidget(lblAmount, 1, 0);
    layout->addWidget(edExpense, 1, 1, 1, 2);
    layout->addWidget(rgTaxable, 2, 0, 1, 3);
    layout->addWidget(lblExpenseType, 3, 0);
    layout->addWidget(cbExpenseType, 3, 1);
    layout->addWidget(spdbtnExpenseType, 3, 2);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(4, 1);

    dbGridBrowser->SetDataSource(dmExpense->dsGetAllExpenses);
    edExpense->SetDataSource(dmExpense->dsGetAllExpenses);
    edExpense->SetDataField("AMOUNT");
    FormCreate();
}

void TfrmExpense::FillExpenseTypes()
{
    ExpenseTypeIDs.clear();
    ExpenseTypeDescriptions.clear();
    GetExpenseTypeList(ExpenseTypeIDs, ExpenseTypeDescriptions);
    cbExpenseType->SetItems(ExpenseTypeIDs, ExpenseTypeDescriptions);
}

void TfrmExpense::FormShow()
{
    FillExpenseTypes();
    TfrmBaseDBGrid::FormShow();
}

void TfrmExpense::RecordChanged()
{
    TfrmBaseDBGrid::RecordChanged();
    TDataSet& ds = *DataSet();
    edExpenseDescription->setText(ds.FieldByName("EXPENSE_DESCRIPTION").AsString());
    CurrentExpenseID = int(ds.FieldByName("EXPENSE_ID").AsInteger());
    rgTaxable->SetItemIndex(ds.FieldByName("TAXABLE").AsString() == "N" ? 0 : 1);
}

void TfrmExpense::BeforeAdd()
{
    TfrmBaseDBGrid::BeforeAdd();
    edExpenseDescription->clear();
}

void TfrmExpense::btnAddClick()
{
    TfrmBaseDBGrid::btnAddClick();
    edExpenseDescription->setFocus();
    DataSet()->FieldByName("AMOUNT").SetAsMoney(Money());
}

void TfrmExpense::btnEditClick()
{
    TfrmBaseDBGrid::btnEditClick();
    edExpenseDescription->setFocus();
}

void TfrmExpense::BeforeSave()
{
    TfrmBaseDBGrid::BeforeSave();
    TDataSet& ds = *DataSet();
    if (ds.IsInserting())
        ds.FieldByName("EXPENSE_ID").SetAsInteger(IncrementResource("EXPENSE_ID"));
    ds.FieldByName("EXPENSE_DESCRIPTION").SetAsString(edExpenseDescription->text());
    ds.FieldByName("EXPENSE_TYPE_ID").SetAsInteger(1);
    ds.FieldByName("TAXABLE").SetAsString(rgTaxable->ItemIndex() == 1 ? "Y" : "N");
}

void TfrmExpense::BeforeRefresh()
{
    TfrmBaseDBGrid::BeforeRefresh();
    CurrentExpenseID = int(DataSet()->FieldByName("EXPENSE_ID").AsInteger());
}

void TfrmExpense::AfterRefresh()
{
    TfrmBaseDBGrid::AfterRefresh();
    DataSet()->Locate("EXPENSE_ID", {TValue(CurrentExpenseID)});
}

void TfrmExpense::spdbtnExpenseTypeClick()
{
    int id;
    {
        auto types = std::make_unique<TfrmExpenseType>(this);
        types->exec();
        id = types->CurrentExpenseTypeID;
    }
    FillExpenseTypes();
    cbExpenseType->SelectId(id);
}

bool TfrmExpense::ValidateRecord()
{
    return TfrmBaseDBGrid::ValidateRecord() && DescriptionGiven(edExpenseDescription);
}
