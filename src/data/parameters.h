#pragma once

#include "parameter.h"

#include <QList>
#include <QStringList>
#include <memory>
#include <vector>

// The parameters of a query, one per marker in marker order.
class Parameters {
public:
    int count() const { return static_cast<int>(m_items.size()); }
    // Raises DataError "List index out of bounds (%d)" outside 0..count()-1.
    Parameter& operator[](int index) const;
    // The first parameter whose name equals name without regard to case, or nullptr.
    Parameter* findParam(const QString& name) const;
    // As findParam, but raises DataError "Parameter 'name' not found" when there is none.
    Parameter& paramByName(const QString& name) const;

    // Makes the list for new marker names. A parameter whose name is still present (compared
    // without regard to case, occurrence by occurrence) is kept, value, type and address alike.
    void rebuild(const QStringList& names);
    // The values to bind, by position.
    QList<QVariant> boundValues() const;

private:
    std::vector<std::unique_ptr<Parameter>> m_items;
};
