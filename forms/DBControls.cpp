#include "DBControls.h"

#include "Dialogs.h"
#include "ErrorHandler.h"
#include "Errors.h"
#include "Formats.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>
#include <limits>

namespace {
bool IsNumeric(const TField& f)
{
    switch (f.DataType) {
    case TFieldType::Smallint:
    case TFieldType::Integer:
    case TFieldType::Money:
    case TFieldType::Float: return true;
    default: return false;
    }
}
// An amount as wide as a small business's books show: a column this wide shows them
// whole, and a larger one is cut with an ellipsis rather than shown in part.
QString WideAmountText(const TField& f)
{
    const Money wide = -Money::FromScaled(Q_INT64_C(9999999999999900));  // -999,999,999,999.99
    return f.DisplayFormat.isEmpty() ? wide.ToString() : FormatMoney(f.DisplayFormat, wide);
}

// The decimals a mask shows: the digit places after its decimal point, in the first section.
int MaskDecimals(const QString& mask)
{
    const QString first = mask.section(';', 0, 0);
    const int dot = int(first.indexOf('.'));
    if (dot < 0)
        return 0;
    int places = 0;
    for (int i = dot + 1; i < first.size() && (first[i] == '0' || first[i] == '#'); ++i)
        ++places;
    return places;
}

// Typed text for an amount: no more decimals than the screens show, so every sum is
// made of what the user can see.
void CheckAmountText(const TField& f, const QString& text)
{
    if (f.DataType != TFieldType::Money || text.trimmed().isEmpty())
        return;
    const QString mask = f.DisplayFormat.isEmpty() ? Masks::Money : f.DisplayFormat;
    const int places = std::min(MaskDecimals(mask), 4);
    const Money value = f.ToMoney(f.Convert(text));
    int64_t unit = 1;
    for (int i = places; i < 4; ++i)
        unit *= 10;
    if (value.Scaled() % unit != 0)
        throw EConvertError(QStringLiteral("'%1' is not a valid amount: amounts have at most %2 decimals.")
                                .arg(text.trimmed())
                                .arg(places));
}

}  // namespace

// ---------------------------------------------------------------- TDBGridModel

TDBGridModel::TDBGridModel(QObject* parent) : QAbstractTableModel(parent) { }

void TDBGridModel::SetDataSource(TDataSource* source)
{
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (m_source) {
        connect(m_source, &TDataSource::DataSetReplaced, this, &TDBGridModel::Rebind);
        // Rows come and go one by one, so views keep their selection and place; only a
        // rereading of every row (open, close, refresh, filter) starts the views afresh.
        connect(m_source, &TDataSource::RowsAboutToBeInserted, this,
                [this](int first, int last) { beginInsertRows({}, first, last); });
        connect(m_source, &TDataSource::RowsInserted, this, [this] { endInsertRows(); });
        connect(m_source, &TDataSource::RowsAboutToBeRemoved, this,
                [this](int first, int last) { beginRemoveRows({}, first, last); });
        connect(m_source, &TDataSource::RowsRemoved, this, [this] { endRemoveRows(); });
        connect(m_source, &TDataSource::RowsAboutToBeReset, this, [this] { beginResetModel(); });
        connect(m_source, &TDataSource::RowsReset, this, [this] {
            ReadColumns();
            endResetModel();
        });
        connect(m_source, &TDataSource::RecordChanged, this, [this](int row) { RowsChanged(row, row); });
        connect(m_source, &TDataSource::LookupsChanged, this, [this] { RowsChanged(0, rowCount() - 1); });
        // The row indicator shows the current row and whether it is being edited.
        auto indicator = [this] {
            if (rowCount() > 0)
                emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
        };
        connect(m_source, &TDataSource::StateChanged, this, indicator);
        connect(m_source, &TDataSource::Scrolled, this, indicator);
    }
    Rebind();
}

void TDBGridModel::Rebind()
{
    m_boundSet = DataSet();
    Reset();
}

void TDBGridModel::Reset()
{
    beginResetModel();
    ReadColumns();
    endResetModel();
}

void TDBGridModel::ReadColumns()
{
    m_columns.clear();
    if (TDataSet* ds = DataSet())
        for (int i = 0; i < ds->FieldCount(); ++i)
            if (ds->Fields(i).Visible)
                m_columns.push_back(i);
}

void TDBGridModel::RowsChanged(int first, int last)
{
    first = std::max(first, 0);
    last = std::min(last, rowCount() - 1);
    if (first <= last && columnCount() > 0)
        emit dataChanged(index(first, 0), index(last, columnCount() - 1));
}

TField* TDBGridModel::FieldAt(int column) const
{
    TDataSet* ds = DataSet();
    if (!ds || column < 0 || column >= int(m_columns.size()) || m_columns[column] >= ds->FieldCount())
        return nullptr;
    return &ds->Fields(m_columns[column]);
}

int TDBGridModel::rowCount(const QModelIndex& parent) const
{
    TDataSet* ds = DataSet();
    return parent.isValid() || !ds || !ds->Active() ? 0 : ds->RecordCount();
}

int TDBGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant TDBGridModel::data(const QModelIndex& index, int role) const
{
    TField* f = FieldAt(index.column());
    if (!f || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole) {
        // Painting cannot report an error; a value that cannot be shown shows as such.
        try {
            return DataSet()->DisplayTextAt(index.row(), f->Index());
        } catch (const std::exception&) {
            return QStringLiteral("#ERROR");
        }
    }
    if (role == Qt::TextAlignmentRole)
        return int((IsNumeric(*f) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    return {};
}

QVariant TDBGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal) {
        TField* f = FieldAt(section);
        if (f && role == Qt::DisplayRole)
            return f->Label();
        return {};
    }
    if (role != Qt::DisplayRole)
        return {};
    TDataSet* ds = DataSet();
    if (!ds || section != ds->CurrentIndex())
        return QString();
    switch (ds->State()) {
    case TDataSetState::Insert: return QStringLiteral("*");
    case TDataSetState::Edit: return QStringLiteral("I");
    default: return QStringLiteral("\u25B6");
    }
}

// ---------------------------------------------------------------- TDBGrid

TDBGrid::TDBGrid(QWidget* parent) : QTableView(parent), m_model(new TDBGridModel(this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    // A number too wide for its column ends in an ellipsis, never in a shorter number.
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setTabKeyNavigation(false);
    setStyleSheet(QStringLiteral("QTableView { background: white; }"));
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("\u25B6")) + 10);
    verticalHeader()->setHighlightSections(false);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
        if (!m_sizing)
            m_userSized = true;
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        if (m_model->columnCount() != m_sizedColumns) {
            m_sizedColumns = m_model->columnCount();
            m_userSized = false;
            SizeColumns();
            m_sizePending = !isVisible();  // sized again once the grid has its real width
        }
        FollowDataSet();
    });
}

void TDBGrid::SetDataSource(TDataSource* source)
{
    if (DataSource())
        disconnect(DataSource(), nullptr, this, nullptr);
    m_model->SetDataSource(source);
    if (source)
        connect(source, &TDataSource::Scrolled, this, &TDBGrid::FollowDataSet);
}

namespace {
// Narrows columns toward their least widths, all in proportion to what each can give,
// until they fit the room or have nothing left to give.
void ShrinkToFit(std::vector<int>& widths, const std::vector<int>& least, int available)
{
    int total = 0, spare = 0;
    for (size_t c = 0; c < widths.size(); ++c) {
        total += widths[c];
        spare += std::max(0, widths[c] - least[c]);
    }
    if (total <= available || spare <= 0)
        return;
    const double keep = std::max(0.0, 1.0 - double(total - available) / spare);
    for (size_t c = 0; c < widths.size(); ++c)
        if (widths[c] > least[c])
            widths[c] = least[c] + int((widths[c] - least[c]) * keep);
}
}  // namespace

void TDBGrid::SizeColumns()
{
    const int charWidth = fontMetrics().averageCharWidth();
    std::vector<int> widths, textLeast, amountLeast;
    std::vector<size_t> textColumns;  // the ones that give and take room
    for (int c = 0; c < m_model->columnCount(); ++c) {
        TField* f = m_model->FieldAt(c);
        const int byTitle = f ? fontMetrics().horizontalAdvance(f->Label()) + 12 : 40;
        int byField = f ? f->Width() * charWidth + 8 : 40;
        // Whole numbers are digits, wider than the average letter.
        if (f && (f->DataType == TFieldType::Smallint || f->DataType == TFieldType::Integer))
            byField = std::max(byField, fontMetrics().horizontalAdvance(QString(f->Width(), QLatin1Char('0'))) + 12);
        const bool amount = f && (f->DataType == TFieldType::Money || f->DataType == TFieldType::Float);
        if (amount)
            byField = std::max(byField, fontMetrics().horizontalAdvance(WideAmountText(*f)) + 12);
        // A date column shows the widest date of the short date format whole.
        if (f && f->DataType == TFieldType::Date)
            byField = std::max(byField,
                               fontMetrics().horizontalAdvance(FormatSettings().DateToStr(QDate(2000, 12, 28))) + 12);
        widths.push_back(std::max(byField, byTitle));
        const bool text = f && (f->DataType == TFieldType::String || f->DataType == TFieldType::Memo);
        textLeast.push_back(text ? byTitle : widths.back());
        if (text && widths.back() > byTitle)
            textColumns.push_back(widths.size() - 1);
        amountLeast.push_back(text || amount ? byTitle : widths.back());
    }
    // Every column shows in the grid as first laid out, so that the grid's edge never cuts
    // a number: text columns give up width first, then amount columns, whose numbers are
    // then shown with an ellipsis where they do not fit. The user can still widen any.
    const int available = viewport()->width() > 50 ? viewport()->width() : width() - verticalHeader()->width() - 4;
    ShrinkToFit(widths, textLeast, available);
    ShrinkToFit(widths, amountLeast, available);
    // Room to spare goes to the text columns, so a wide window shows long descriptions whole.
    int used = 0;
    for (int w : widths)
        used += w;
    if (used < available && !textColumns.empty()) {
        const int extra = (available - used) / int(textColumns.size());
        for (size_t c : textColumns)
            widths[c] += extra;
    }
    m_sizing = true;
    for (size_t c = 0; c < widths.size(); ++c)
        setColumnWidth(int(c), widths[c]);
    m_sizing = false;
}

void TDBGrid::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    // The first real size after the columns changed decides their widths.
    // The first real size after the columns changed decides their widths; later sizes
    // refit them until the user sets a width himself.
    if ((m_sizePending || !m_userSized) && isVisible()) {
        SizeColumns();
        m_sizePending = false;
    }
}

void TDBGrid::FollowDataSet()
{
    TDataSet* ds = m_model->DataSet();
    const int row = ds ? ds->CurrentIndex() : -1;
    m_following = true;
    if (row >= 0 && row < m_model->rowCount()) {
        const int column = currentIndex().isValid() ? currentIndex().column() : 0;
        const QModelIndex target = m_model->index(row, column);
        if (currentIndex() != target)
            setCurrentIndex(target);
        else
            selectRow(row);
        scrollTo(target);
    } else {
        clearSelection();
    }
    m_following = false;
}

void TDBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    TDataSet* ds = m_model->DataSet();
    if (m_following || !current.isValid() || !ds || !ds->Active() || ds->IsEditing())
        return;
    if (ds->CurrentIndex() != current.row())
        ds->MoveTo(current.row());
}

void TDBGrid::keyPressEvent(QKeyEvent* event)
{
    TDataSet* ds = m_model->DataSet();
    // The down-arrow on the last row tries to move beyond it, which marks end of data.
    if (event->key() == Qt::Key_Down && event->modifiers() == Qt::NoModifier && ds && ds->Active() && !ds->IsEditing()
        && ds->CurrentIndex() == ds->RecordCount() - 1) {
        ds->Next();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void TDBGrid::keyReleaseEvent(QKeyEvent* event)
{
    QTableView::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        emit KeyUp(event->key());
}

void TDBGrid::mouseReleaseEvent(QMouseEvent* event)
{
    QTableView::mouseReleaseEvent(event);
    // A click on the current row lands on it again, even after a move beyond the last row.
    TDataSet* ds = m_model->DataSet();
    const QModelIndex at = indexAt(event->position().toPoint());
    if (at.isValid() && ds && ds->Active() && !ds->IsEditing() && ds->Eof())
        ds->MoveTo(at.row());
    emit MouseUp();
}

void TDBGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    emit DblClick();
}

// ---------------------------------------------------------------- TDBNavigator

TDBNavigator::TDBNavigator(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    const struct {
        QStyle::StandardPixmap icon;
        const char* name;
        const char* hint;
    } buttons[] = {{QStyle::SP_MediaSkipBackward, "btnFirst", "First record"},
                   {QStyle::SP_MediaSeekBackward, "btnPrior", "Prior record"},
                   {QStyle::SP_MediaSeekForward, "btnNext", "Next record"},
                   {QStyle::SP_MediaSkipForward, "btnLast", "Last record"}};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(buttons[i].name));
        b->setIcon(style()->standardIcon(buttons[i].icon));
        b->setToolTip(QString::fromLatin1(buttons[i].hint));
        b->setAutoRaise(false);
        b->setMinimumSize(28, 28);
        b->setFocusPolicy(Qt::TabFocus);
        layout->addWidget(b);
        m_buttons[i] = b;
    }
    connect(m_buttons[nbFirst], &QToolButton::clicked, this, Guarded([this] {
                if (DataSet())
                    DataSet()->First();
            }));
    connect(m_buttons[nbPrior], &QToolButton::clicked, this, Guarded([this] {
                if (DataSet())
                    DataSet()->Prior();
            }));
    connect(m_buttons[nbNext], &QToolButton::clicked, this, Guarded([this] {
                if (DataSet())
                    DataSet()->Next();
            }));
    // Last lands on the last row as a click on it would, so Edit and Delete work on it.
    connect(m_buttons[nbLast], &QToolButton::clicked, this, Guarded([this] {
                if (TDataSet* ds = DataSet(); ds && ds->RecordCount() > 0)
                    ds->MoveTo(ds->RecordCount() - 1);
            }));
    UpdateButtons();
}

void TDBNavigator::SetDataSource(TDataSource* source)
{
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (m_source) {
        for (auto signal : {&TDataSource::DataSetReplaced, &TDataSource::ActiveChanged, &TDataSource::DataSetChanged,
                            &TDataSource::StateChanged})
            connect(m_source, signal, this, &TDBNavigator::UpdateButtons);
        connect(m_source, &TDataSource::Scrolled, this, &TDBNavigator::UpdateButtons);
    }
    UpdateButtons();
}

void TDBNavigator::UpdateButtons()
{
    TDataSet* ds = DataSet();
    const bool browsing = ds && ds->Active() && !ds->IsEditing();
    const bool rows = browsing && !ds->IsEmpty();
    // By position, so no button steps off the rows into end of data.
    const int at = rows ? ds->CurrentIndex() : -1;
    const bool offEnd = rows && ds->Eof();
    m_buttons[nbFirst]->setEnabled(rows && (at > 0 || offEnd));
    m_buttons[nbPrior]->setEnabled(rows && at > 0);
    m_buttons[nbNext]->setEnabled(rows && !offEnd && at >= 0 && at < ds->RecordCount() - 1);
    m_buttons[nbLast]->setEnabled(rows && (offEnd || at < ds->RecordCount() - 1));
}

void TDBNavigator::Insert()
{
    if (TDataSet* ds = DataSet(); ds && ds->Active())
        ds->Insert();
}

void TDBNavigator::Edit()
{
    if (TDataSet* ds = DataSet(); ds && ds->Active())
        ds->Edit();
}

void TDBNavigator::Post()
{
    if (TDataSet* ds = DataSet(); ds && ds->Active())
        ds->Post();
}

void TDBNavigator::Cancel()
{
    if (TDataSet* ds = DataSet(); ds && ds->Active())
        ds->Cancel();
}

bool TDBNavigator::ConfirmDelete()
{
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active())
        return false;
    return Dialogs().MessageDlg(QStringLiteral("Delete record?"), mtConfirmation, mbOKCancel) == mrOk;
}

// ---------------------------------------------------------------- TFieldLink

TFieldLink::TFieldLink(QObject* owner, std::function<void()> show, std::function<void(TField&)> write)
    : QObject(owner), m_show(std::move(show)), m_write(std::move(write))
{ }

TFieldLink::~TFieldLink()
{
    if (m_boundSet && m_handler)
        m_boundSet->RemoveUpdateRecordHandler(m_handler);
}

void TFieldLink::SetDataSource(TDataSource* source)
{
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (m_source) {
        connect(m_source, &TDataSource::DataSetReplaced, this, &TFieldLink::Rebind);
        for (auto signal : {&TDataSource::ActiveChanged, &TDataSource::DataSetChanged, &TDataSource::StateChanged})
            connect(m_source, signal, this, &TFieldLink::Show);
        connect(m_source, &TDataSource::Scrolled, this, &TFieldLink::Show);
        connect(m_source, &TDataSource::RecordChanged, this, &TFieldLink::Show);
    }
    Rebind();
}

void TFieldLink::SetDataField(const QString& field)
{
    m_fieldName = field;
    Show();
}

TField* TFieldLink::Field() const
{
    TDataSet* ds = DataSet();
    return ds && !m_fieldName.isEmpty() ? ds->FindField(m_fieldName) : nullptr;
}

bool TFieldLink::Editing() const
{
    TDataSet* ds = DataSet();
    return ds && ds->IsEditing();
}

void TFieldLink::Rebind()
{
    if (m_boundSet && m_handler)
        m_boundSet->RemoveUpdateRecordHandler(m_handler);
    m_handler = 0;
    m_boundSet = DataSet();
    if (m_boundSet)
        m_handler = m_boundSet->AddUpdateRecordHandler([this] {
            TField* f = Field();
            if (f && Modified) {
                m_write(*f);  // a conversion error stops the post and keeps the text
                Modified = false;
            }
        });
    Show();
}

TValue TFieldLink::FieldValue() const
{
    try {
        TField* f = Field();
        return f && f->DataSet()->Active() ? f->Value() : TValue();
    } catch (const std::exception&) {
        return TValue();
    }
}

void TFieldLink::Show()
{
    if (m_showing)
        return;
    m_showing = true;
    // Typing in progress is kept while the row is being edited, unless the program has
    // put another value into the field since: the latest value is the one shown and stored.
    const TValue value = FieldValue();
    if (!(Editing() && Modified) || !(value == m_shownValue)) {
        m_show();
        Modified = false;
        m_shownValue = value;
    }
    m_showing = false;
}

// ---------------------------------------------------------------- TDBEdit

TDBEdit::TDBEdit(QWidget* parent)
    : QLineEdit(parent),
      m_link(
          this, [this] { ShowField(); },
          [this](TField& f) {
              CheckAmountText(f, text());
              f.SetAsString(text());
          })
{
    connect(this, &QLineEdit::textEdited, this, [this] { m_link.Modified = true; });
}

void TDBEdit::ShowField()
{
    TField* f = m_link.Field();
    const bool editing = m_link.Editing();
    QString shown;
    if (f && f->DataSet()->Active()) {
        try {
            shown = editing ? f->EditText() : f->DisplayText();
        } catch (const std::exception&) {
            shown.clear();
        }
    }
    setText(shown);
    setCursorPosition(0);  // a long text shows from its start
    setReadOnly(!editing || (f && f->FieldKind != TFieldKind::Data));
}

// ---------------------------------------------------------------- TDBMemo

TDBMemo::TDBMemo(QWidget* parent)
    : QPlainTextEdit(parent),
      m_link(
          this, [this] { ShowField(); },
          [this](TField& f) {
              const QString text = toPlainText();
              f.SetValue(text.isEmpty() ? TValue() : TValue(text));
          })
{
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_showing)
            m_link.Modified = true;
    });
}

void TDBMemo::ShowField()
{
    m_showing = true;
    TField* f = m_link.Field();
    setPlainText(f && f->DataSet()->Active() ? f->AsString() : QString());
    setReadOnly(!m_link.Editing());
    m_showing = false;
}
