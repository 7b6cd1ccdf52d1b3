#include "parameter.h"

void Parameter::setValue(const QVariant& value) {
    if (!value.isValid() || value.isNull()) {
        m_value = QVariant();
        return;
    }
    if (!m_dataType.isValid())
        m_dataType = value.metaType();
    m_value = value;
}

QVariant Parameter::boundValue() const {
    if (m_value.isValid())
        return m_value;
    return QVariant(m_dataType.isValid() ? m_dataType : QMetaType::fromType<QString>());
}
