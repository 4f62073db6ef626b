#include "DatasetFilter.h"

#include "Dataset.h"
#include "Errors.h"

#include <QHash>
#include <algorithm>

using FieldText::ParseWhole;

namespace {

struct TFilterToken {
    enum Kind { Name, Number, Text, Operator, And, Or, End } kind;
    QString text;
};

std::vector<TFilterToken> TokenizeFilter(const QString& s)
{
    std::vector<TFilterToken> out;
    int i = 0;
    auto fail = [&](const QString& why) {
        throw EDatasetError(QStringLiteral("Invalid filter \"%1\": %2").arg(s.trimmed(), why));
    };
    while (i < s.size()) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
        } else if (c.isLetter() || c == '_') {
            int j = i;
            while (j < s.size() && (s[j].isLetterOrNumber() || s[j] == '_'))
                ++j;
            const QString word = s.mid(i, j - i);
            if (word.compare("AND", Qt::CaseInsensitive) == 0)
                out.push_back({TFilterToken::And, word});
            else if (word.compare("OR", Qt::CaseInsensitive) == 0)
                out.push_back({TFilterToken::Or, word});
            else
                out.push_back({TFilterToken::Name, word});
            i = j;
        } else if (c == '[') {
            const int j = s.indexOf(']', i);
            if (j < 0)
                fail(QStringLiteral("missing ']'"));
            out.push_back({TFilterToken::Name, s.mid(i + 1, j - i - 1)});
            i = j + 1;
        } else if (c.isDigit() || (c == '-' && i + 1 < s.size() && s[i + 1].isDigit())) {
            int j = i + 1;
            while (j < s.size() && s[j].isDigit())
                ++j;
            if (j < s.size() && (s[j].isLetter() || s[j] == '.'))
                fail(QStringLiteral("'%1' is not a whole number").arg(s.mid(i, j - i + 1)));
            out.push_back({TFilterToken::Number, s.mid(i, j - i)});
            i = j;
        } else if (c == '\'') {
            QString text;
            int j = i + 1;
            for (;; ++j) {
                if (j >= s.size())
                    fail(QStringLiteral("missing closing quote"));
                if (s[j] == '\'') {
                    if (j + 1 < s.size() && s[j + 1] == '\'') {
                        text += '\'';
                        ++j;
                        continue;
                    }
                    break;
                }
                text += s[j];
            }
            out.push_back({TFilterToken::Text, text});
            i = j + 1;
        } else if (c == '<' || c == '>' || c == '=') {
            QString op(c);
            if (i + 1 < s.size() && (s[i + 1] == '=' || (c == '<' && s[i + 1] == '>')))
                op += s[i + 1];
            out.push_back({TFilterToken::Operator, op});
            i += op.size();
        } else {
            fail(QStringLiteral("unexpected '%1'").arg(c));
        }
    }
    out.push_back({TFilterToken::End, QString()});
    return out;
}

}  // namespace

TDataSetFilter TDataSetFilter::Parse(const QString& text, const TDataSet& dataSet)
{
    TDataSetFilter filter;
    auto& groups = filter.m_groups;
    if (text.trimmed().isEmpty())
        return filter;
    const auto tokens = TokenizeFilter(text);
    size_t i = 0;
    auto fail = [&](const QString& why) {
        throw EDatasetError(QStringLiteral("Invalid filter \"%1\": %2").arg(text.trimmed(), why));
    };
    groups.emplace_back();
    for (;;) {
        if (tokens[i].kind != TFilterToken::Name)
            fail(QStringLiteral("a field name was expected at '%1'").arg(tokens[i].text));
        const TField* f = dataSet.FindField(tokens[i].text);
        if (!f)
            fail(QStringLiteral("there is no field %1").arg(tokens[i].text));
        ++i;
        if (tokens[i].kind != TFilterToken::Operator)
            fail(QStringLiteral("a comparison was expected after %1").arg(f->FieldName));
        static const QHash<QString, TTerm::Op> ops = {{"=", TTerm::Eq}, {"<>", TTerm::Ne}, {"<", TTerm::Lt},
                                                      {">", TTerm::Gt}, {"<=", TTerm::Le}, {">=", TTerm::Ge}};
        if (!ops.contains(tokens[i].text))
            fail(QStringLiteral("'%1' is not a comparison").arg(tokens[i].text));
        TTerm term;
        term.op = ops.value(tokens[i].text);
        term.field = f->Index();
        ++i;
        if (tokens[i].kind == TFilterToken::Number) {
            int64_t v;
            if (!ParseWhole(tokens[i].text, v))
                fail(QStringLiteral("'%1' is too large").arg(tokens[i].text));
            term.literal = TValue(v);
            term.whole = v;
            if (f->DataType == TFieldType::Money)
                term.fits = !__builtin_mul_overflow(v, Money::Scale, &term.whole);
        } else if (tokens[i].kind == TFilterToken::Text) {
            term.literal = TValue(tokens[i].text);
        } else {
            fail(QStringLiteral("a value was expected after %1 %2").arg(f->FieldName, tokens[i - 1].text));
        }
        ++i;
        groups.back().push_back(std::move(term));
        if (tokens[i].kind == TFilterToken::End)
            break;
        if (tokens[i].kind == TFilterToken::Or)
            groups.emplace_back();
        else if (tokens[i].kind != TFilterToken::And)
            fail(QStringLiteral("AND or OR was expected at '%1'").arg(tokens[i].text));
        ++i;
    }
    return filter;
}

namespace {
template <typename T> int Compare(T a, T b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}
}  // namespace

bool TDataSetFilter::Holds(const TDataSet& dataSet, const TTerm& term, const TRecord& record) const
{
    const TField& f = dataSet.Fields(term.field);
    // Data fields are compared where they stand: a filter change visits every row.
    TValue computed;
    const TValue* value = &record.values[term.field];
    if (f.FieldKind != TFieldKind::Data) {
        computed = dataSet.FieldValue(record, term.field);
        value = &computed;
    }
    const TValue& v = *value;
    if (v.IsNull())
        return false;
    int cmp;
    if (term.literal.IsText())
        cmp = f.ToString(v).compare(term.literal.Text());
    else if (v.IsInteger())
        cmp = term.fits ? Compare(v.Integer(), term.whole) : (term.literal.Integer() > 0 ? -1 : 1);
    else if (v.IsFloat())
        cmp = Compare(v.Float(), double(term.literal.Integer()));
    else
        cmp = f.ToString(v).compare(QString::number(term.literal.Integer()));
    switch (term.op) {
    case TTerm::Eq: return cmp == 0;
    case TTerm::Ne: return cmp != 0;
    case TTerm::Lt: return cmp < 0;
    case TTerm::Gt: return cmp > 0;
    case TTerm::Le: return cmp <= 0;
    default: return cmp >= 0;
    }
}

bool TDataSetFilter::Matches(const TDataSet& dataSet, const TRecord& record) const
{
    for (const auto& group : m_groups) {
        bool all = true;
        for (const auto& term : group)
            if (!Holds(dataSet, term, record)) {
                all = false;
                break;
            }
        if (all)
            return true;
    }
    return false;
}

void TDataSetFilter::NarrowRange(const TDataSet& dataSet, size_t& from, size_t& to) const
{
    if (m_groups.size() != 1)
        return;
    // Rows read in the order of a whole-number field (the transaction lists are read by
    // date) let a range on that field be found by halving, like an index would.
    const auto& all = dataSet.m_all;
    for (const auto& term : m_groups.front()) {
        const TField& f = dataSet.Fields(term.field);
        if (f.FieldKind != TFieldKind::Data || !term.literal.IsInteger() || !term.fits || term.op == TTerm::Ne
            || !dataSet.RowsSortedBy(term.field))
            continue;
        const size_t field = size_t(term.field);
        auto firstAtLeast = [&](int64_t bound, bool strict) {
            return size_t(std::partition_point(all.begin() + std::ptrdiff_t(from), all.begin() + std::ptrdiff_t(to),
                                               [&](const auto& r) {
                                                   const int64_t x = r->values[field].Integer();
                                                   return strict ? x <= bound : x < bound;
                                               })
                          - all.begin());
        };
        const TTerm::Op op = term.op;
        const size_t lo = (op == TTerm::Ge || op == TTerm::Eq) ? firstAtLeast(term.whole, false)
                          : op == TTerm::Gt                    ? firstAtLeast(term.whole, true)
                                                               : from;
        const size_t hi = (op == TTerm::Le || op == TTerm::Eq) ? firstAtLeast(term.whole, true)
                          : op == TTerm::Lt                    ? firstAtLeast(term.whole, false)
                                                               : to;
        from = lo;
        to = std::max(lo, hi);
    }
}
