#include "frm_Sales.h"

#include "sql_Sales.h"
#include "tbl_Resource.h"

#include <QGridLayout>

TfrmSales::TfrmSales(QWidget* parent) : TfrmBaseDBGrid(parent)
{
    setObjectName("frmSales");
    setWindowTitle("Income");
    auto* layout = new QGridLayout(RecordArea);
    layout->setContentsMargins(4, 8, 4, 4);
    lblSalesDescription = new QLabel("Income Description", RecordArea);
    lblSalesDescription->setObjectName("lblSalesDescription");
    edSalesDescription = new TDBEdit(RecordArea);
    edSalesDescription->setObjectName("edSalesDescription");
    lblSalesDescription->setBuddy(edSalesDescription);
    lblAmount = new QLabel("Default Amount", RecordArea);
    lblAmount->setObjectName("lblAmount");
    edIncome = new TDBEdit(RecordArea);
    edIncome->setObjectName("edIncome");
    lblAmount->setBuddy(edIncome);
    rgTaxable = new TRadioGroup("Taxable Default", {"No", "Yes"}, 2, RecordArea);
    rgTaxable->setObjectName("rgTaxable");
    rgTaxable->SetItemIndex(0);
    layout->addWidget(lblSalesDescription, 0, 0);
    layout->addWidget(edSalesDescription, 0, 1);
    layout->addWidget(lblAmount, 1, 0);
    layout->addWidget(edIncome, 1, 1);
    layout->addWidget(rgTaxable, 2, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(3, 1);

    dbGridBrowser->SetDataSource(dmSales->dsGetAllSales);
    edSalesDescription->SetDataSource(dmSales->dsGetAllSales);
    edSalesDescription->SetDataField("SALES_DESCRIPTION");
    edIncome->SetDataSource(dmSales->dsGetAllSales);
    edIncome->SetDataField("AMOUNT");
    FormCreate();
}

void TfrmSales::RecordChanged()
{
    TfrmBaseDBGrid::RecordChanged();
    TDataSet& ds = *DataSet();
    CurrentSalesID = int(ds.FieldByName("SALES_ID").AsInteger());
    rgTaxable->SetItemIndex(ds.FieldByName("TAXABLE").AsString() == "N" ? 0 : 1);
}

void TfrmSales::btnAddClick()
{
    TfrmBaseDBGrid::btnAddClick();
    edSalesDescription->setFocus();
}

void TfrmSales::btnEditClick()
{
    TfrmBaseDBGrid::btnEditClick();
    edSalesDescription->setFocus();
}

void TfrmSales::BeforeSave()
{
    TfrmBaseDBGrid::BeforeSave();
    TDataSet& ds = *DataSet();
    if (ds.IsInserting())
        ds.FieldByName("SALES_ID").SetAsInteger(IncrementResource("SALES_ID"));
    ds.FieldByName("SALES_DESCRIPTION").SetAsString(edSalesDescription->text());
    ds.FieldByName("TAXABLE").SetAsString(rgTaxable->ItemIndex() == 1 ? "Y" : "N");
}

void TfrmSales::BeforeRefresh()
{
    TfrmBaseDBGrid::BeforeRefresh();
    CurrentSalesID = int(DataSet()->FieldByName("SALES_ID").AsInteger());
}

void TfrmSales::AfterRefresh()
{
    TfrmBaseDBGrid::AfterRefresh();
    DataSet()->Locate("SALES_ID", {TValue(CurrentSalesID)});
}

bool TfrmSales::ValidateRecord()
{
    return TfrmBaseDBGrid::ValidateRecord() && DescriptionGiven(edSalesDescription);
}
