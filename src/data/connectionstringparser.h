#pragma once

#include "driver.h"

#include <QList>
#include <QPair>
#include <QString>

// key=value pairs of a provider connection string, in order. Values may be quoted with " or '
// (a doubled quote inside stands for one); unquoted keys and values are trimmed; "==" in a key is
// a literal "=". Raises std::invalid_argument for an unterminated quote or text after a closing quote.
QList<QPair<QString, QString>> ParseConnectionString(const QString& text);
