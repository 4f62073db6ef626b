#pragma once
// A dataset's client-side filter: the filter text parsed against the set's fields, and
// which rows it lets through. Field names, = <> < > <= >=, AND, OR, whole-number and
// quoted text literals; an OR of AND groups.
#include "Field.h"

#include <QString>
#include <memory>
#include <vector>

class TDataSet;

class TDataSetFilter {
public:
    // Raises EDatasetError naming the text when it is malformed or names no field of the set.
    static TDataSetFilter Parse(const QString& text, const TDataSet& dataSet);

    bool Empty() const { return m_groups.empty(); }
    bool Matches(const TDataSet& dataSet, const TRecord& record) const;
    // Narrows [from, to) of the set's rows, in the order read, to the rows a single AND
    // group can let through, where the rows are in order of a field it bounds.
    void NarrowRange(const TDataSet& dataSet, size_t& from, size_t& to) const;

private:
    struct TTerm {
        enum Op { Eq, Ne, Lt, Gt, Le, Ge } op;
        int field;
        TValue literal;
        // A whole-number literal in the field's stored units (money is stored scaled),
        // worked out once when the filter is set; `fits` is false when that is beyond
        // every amount.
        int64_t whole = 0;
        bool fits = true;
    };
    bool Holds(const TDataSet& dataSet, const TTerm& term, const TRecord& record) const;

    std::vector<std::vector<TTerm>> m_groups;  // OR of AND groups
};
