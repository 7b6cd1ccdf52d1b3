#pragma once

#include <QLabel>
#include <QStringList>
#include <QTextDocument>

// What a label shows, as plain text: its text read the way the label reads it, as markup when its
// format is rich text or when it is automatic and the text looks like markup, otherwise as it is.
// Line breaks of shown markup come back as "\n".
inline QString ShownText(const QString& text, Qt::TextFormat format) {
    const bool markup = format == Qt::RichText || (format == Qt::AutoText && Qt::mightBeRichText(text));
    if (!markup)
        return text;
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText();
}

inline QString ShownText(const QLabel& label) {
    return ShownText(label.text(), label.textFormat());
}

// Texts from users and the database that look like markup, each of which must be shown as it is.
inline const QStringList MarkupLikeTexts = {
    QStringLiteral("<b>x</b>"),
    QStringLiteral("<u>101"),
    QStringLiteral("a &amp; b"),
    QStringLiteral("<br>"),
    QStringLiteral("<img src=x>"),
    QString::fromUtf8("первая строка\nвторая <i>строка</i>\nтретья"),
    QString::fromUtf8("ауд.  1-402 & <>"),
};
