#include "parameters.h"

#include "dataerror.h"

Parameter& Parameters::operator[](int index) const {
    if (index < 0 || index >= count())
        throw DataError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return *m_items[static_cast<size_t>(index)];
}

Parameter* Parameters::findParam(const QString& name) const {
    for (const auto& item : m_items)
        if (item->name().compare(name, Qt::CaseInsensitive) == 0)
            return item.get();
    return nullptr;
}

Parameter& Parameters::paramByName(const QString& name) const {
    if (Parameter* parameter = findParam(name))
        return *parameter;
    throw DataError(QStringLiteral("Parameter '%1' not found").arg(name));
}

void Parameters::rebuild(const QStringList& names) {
    std::vector<std::unique_ptr<Parameter>> old = std::move(m_items);
    m_items.clear();
    for (const QString& name : names) {
        auto kept = std::find_if(old.begin(), old.end(), [&](const std::unique_ptr<Parameter>& item) {
            return item && item->name().compare(name, Qt::CaseInsensitive) == 0;
        });
        if (kept != old.end())
            m_items.push_back(std::move(*kept));
        else
            m_items.push_back(std::make_unique<Parameter>(name));
    }
}

QList<QVariant> Parameters::boundValues() const {
    QList<QVariant> values;
    values.reserve(count());
    for (const auto& item : m_items)
        values.append(item->boundValue());
    return values;
}
