#include "valuecomparison.h"

#include "driver.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <cmath>

namespace {

bool IsIntegral(const QVariant& value) {
    const int id = value.metaType().id();
    return id == QMetaType::Bool || IntegerWidthOf(id) != IntegerWidth::None;
}

bool IsFloating(const QVariant& value) {
    const int id = value.metaType().id();
    return id == QMetaType::Double || id == QMetaType::Float;
}

template <class T> int Order(const T& left, const T& right) {
    return left < right ? -1 : (right < left ? 1 : 0);
}

} // namespace

int CompareValues(const QVariant& left, const QVariant& right) {
    const bool leftNull = IsNullValue(left);
    const bool rightNull = IsNullValue(right);
    if (leftNull || rightNull)
        return Order(!leftNull, !rightNull);
    if (IsIntegral(left) && IsIntegral(right))
        return Order(left.toLongLong(), right.toLongLong());
    if ((IsIntegral(left) || IsFloating(left)) && (IsIntegral(right) || IsFloating(right)))
        return Order(left.toDouble(), right.toDouble());
    if (left.metaType().id() == QMetaType::QDateTime && right.metaType().id() == QMetaType::QDateTime)
        return Order(left.toDateTime(), right.toDateTime());
    return QString::localeAwareCompare(left.toString(), right.toString());
}

bool ValuesEqual(const QVariant& left, const QVariant& right) {
    if (IsNullValue(left) || IsNullValue(right))
        return false;
    if (IsIntegral(left) && IsIntegral(right))
        return left.toLongLong() == right.toLongLong();
    if ((IsIntegral(left) || IsFloating(left)) && (IsIntegral(right) || IsFloating(right)))
        return left.toDouble() == right.toDouble();
    if (left.metaType() == right.metaType())
        return left == right;
    return left.toString() == right.toString();
}

QString EqualityKey(const QVariant& value) {
    if (IsIntegral(value))
        return QString::number(value.toLongLong());
    if (IsFloating(value)) {
        // A whole number reads as the integer it equals; any other as the shortest text that
        // QVariant itself gives it.
        const double number = value.toDouble();
        if (std::isfinite(number) && number == std::trunc(number) && std::fabs(number) < 9.0e18)
            return QString::number(static_cast<qlonglong>(number));
        return QString::number(number, 'g', QLocale::FloatingPointShortest);
    }
    return value.toString();
}

bool SameValue(const QVariant& left, const QVariant& right) {
    const bool leftNull = IsNullValue(left);
    const bool rightNull = IsNullValue(right);
    if (leftNull || rightNull)
        return leftNull && rightNull;
    return ValuesEqual(left, right);
}
