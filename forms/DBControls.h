#pragma once
// Controls bound to a data source: the grid, the record navigator, and the data-aware
// line edit and memo. They always show the dataset's current row.
#include "Dataset.h"

#include <QAbstractTableModel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTableView>
#include <QToolButton>
#include <QWidget>
#include <functional>

// Rows of a dataset as a table: one column per visible field in field order.
class TDBGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TDBGridModel(QObject* parent = nullptr);
    void SetDataSource(TDataSource* source);
    TDataSource* DataSource() const { return m_source; }
    TDataSet* DataSet() const { return m_source ? m_source->DataSet() : nullptr; }
    // The field shown in a column.
    TField* FieldAt(int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void Rebind();
    void Reset();
    void ReadColumns();
    void RowsChanged(int first, int last);
    QPointer<TDataSource> m_source;
    QPointer<TDataSet> m_boundSet;
    std::vector<int> m_columns;  // field index of each column
};

// The browse grid: titles, a row indicator, whole-row selection, no editing in place.
// Moving in the grid moves the dataset and the dataset's moves show in the grid.
class TDBGrid : public QTableView {
    Q_OBJECT
public:
    explicit TDBGrid(QWidget* parent = nullptr);
    void SetDataSource(TDataSource* source);
    TDataSource* DataSource() const { return m_model->DataSource(); }
    TDBGridModel* GridModel() const { return m_model; }

signals:
    void DblClick();
    void KeyUp(int key);
    void MouseUp();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FollowDataSet();
    void SizeColumns();
    TDBGridModel* m_model;
    bool m_following = false;
    bool m_sizePending = false;
    bool m_sizing = false;     // while the grid sets widths itself
    bool m_userSized = false;  // the user set a column's width
    int m_sizedColumns = -1;   // columns are sized again only when the set of columns changes
};

// First, prior, next and last, with hints; plus the navigator actions the screens run.
class TDBNavigator : public QWidget {
    Q_OBJECT
public:
    enum TButton { nbFirst, nbPrior, nbNext, nbLast };
    explicit TDBNavigator(QWidget* parent = nullptr);
    void SetDataSource(TDataSource* source);
    TDataSource* DataSource() const { return m_source; }
    QToolButton* Button(TButton b) const { return m_buttons[b]; }

    // Each does nothing while the dataset is closed. Delete asks "Delete record?" first and
    // returns whether the row was deleted.
    void Insert();
    void Edit();
    void Post();
    void Cancel();
    bool ConfirmDelete();

private:
    TDataSet* DataSet() const { return m_source ? m_source->DataSet() : nullptr; }
    void UpdateButtons();
    QPointer<TDataSource> m_source;
    QToolButton* m_buttons[4];
};

// Binds one control to one field of a data source: asks the control to show the field
// whenever the row, its values or the dataset's state change, and to write its pending
// text into the field when the row is posted.
class TFieldLink : public QObject {
    Q_OBJECT
public:
    TFieldLink(QObject* owner, std::function<void()> show, std::function<void(TField&)> write);
    ~TFieldLink() override;
    void SetDataSource(TDataSource* source);
    void SetDataField(const QString& field);
    TDataSet* DataSet() const { return m_source ? m_source->DataSet() : nullptr; }
    TField* Field() const;
    bool Editing() const;
    // Set when the user changed the control's text since it last showed the field.
    bool Modified = false;

private:
    void Rebind();
    void Show();
    TValue FieldValue() const;
    std::function<void()> m_show;
    std::function<void(TField&)> m_write;
    QPointer<TDataSource> m_source;
    QPointer<TDataSet> m_boundSet;
    QString m_fieldName;
    int m_handler = 0;
    bool m_showing = false;
    TValue m_shownValue;  // the field's value when the control last showed it
};

// A line edit bound to one field: the display format while browsing, the edit format
// while inserting or editing; what was typed is written to the field when the row is
// posted, and text that does not convert stops the post with a clear error. Text longer
// than the field holds is kept whole and refused the same way, never cut short unseen.
class TDBEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TDBEdit(QWidget* parent = nullptr);
    void SetDataSource(TDataSource* source) { m_link.SetDataSource(source); }
    void SetDataField(const QString& field) { m_link.SetDataField(field); }
    TField* Field() const { return m_link.Field(); }

private:
    void ShowField();
    TFieldLink m_link;
};

// A memo bound to one field, written on post like the line edit.
class TDBMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TDBMemo(QWidget* parent = nullptr);
    void SetDataSource(TDataSource* source) { m_link.SetDataSource(source); }
    void SetDataField(const QString& field) { m_link.SetDataField(field); }

private:
    void ShowField();
    TFieldLink m_link;
    bool m_showing = false;
};
