#pragma once

// Reading printed and exported reports back: a PDF's text through pdftotext, a workbook's sheets
// from their XML through unzip.
#include "support/hostprogram.h"

#include <QDateTime>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <QRegularExpression>

#include <clocale>
#include <map>
#include <string>

namespace reportreadback {

inline QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

inline QString Run(const QString& program, const QStringList& arguments) {
    const testsupport::HostRun run = testsupport::RunHostProgram(program, arguments);
    EXPECT_TRUE(run.finished) << program.toStdString();
    EXPECT_EQ(run.exitCode, 0) << program.toStdString() << ": " << run.errors.toStdString();
    return QString::fromUtf8(run.output);
}

// The text of a PDF's pages, one entry per page.
inline QStringList PdfPages(const QString& path) {
    QStringList pages =
        Run(ZOR_PDFTOTEXT, {"-layout", "-enc", "UTF-8", testsupport::HostPath(path), "-"}).split(QChar('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// A cell of the sheet read back: its text (shared strings resolved) or number, and its style.
struct SheetCell {
    QString text;
    bool number = false;
    int style = 0;
};

struct Sheet {
    std::map<QString, SheetCell> cells;
    QStringList merged;
    QString frozenTopLeft;
    // The number format of each cell style.
    QStringList styleFormats;
};

inline QString Member(const QString& xlsx, const QString& member) {
    return Run(ZOR_UNZIP, {"-p", testsupport::HostPath(xlsx), member});
}

// The sheet of that number (1 for the first) of a workbook.
inline Sheet ReadSheet(const QString& xlsx, int number = 1) {
    Sheet sheet;
    QStringList shared;
    QXmlStreamReader strings(Member(xlsx, "xl/sharedStrings.xml"));
    while (strings.readNextStartElement() || !strings.atEnd()) {
        if (strings.isStartElement() && strings.name() == QLatin1String("t"))
            shared << strings.readElementText();
        else if (!strings.isStartElement())
            strings.readNext();
    }
    std::map<int, QString> customFormats;
    QXmlStreamReader styles(Member(xlsx, "xl/styles.xml"));
    bool inCellXfs = false;
    while (!styles.atEnd()) {
        styles.readNext();
        if (styles.isStartElement() && styles.name() == QLatin1String("numFmt"))
            customFormats[styles.attributes().value("numFmtId").toInt()] =
                styles.attributes().value("formatCode").toString();
        else if (styles.isStartElement() && styles.name() == QLatin1String("cellXfs"))
            inCellXfs = true;
        else if (styles.isEndElement() && styles.name() == QLatin1String("cellXfs"))
            inCellXfs = false;
        else if (inCellXfs && styles.isStartElement() && styles.name() == QLatin1String("xf"))
            sheet.styleFormats << customFormats[styles.attributes().value("numFmtId").toInt()];
    }
    QXmlStreamReader xml(Member(xlsx, QStringLiteral("xl/worksheets/sheet%1.xml").arg(number)));
    QString reference;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == QLatin1String("c")) {
            reference = attributes.value("r").toString();
            SheetCell& cell = sheet.cells[reference];
            cell.style = attributes.value("s").toInt();
            cell.number = attributes.value("t").isEmpty();
        } else if (xml.name() == QLatin1String("v")) {
            SheetCell& cell = sheet.cells[reference];
            const QString value = xml.readElementText();
            cell.text = cell.number ? value : shared.value(value.toInt());
        } else if (xml.name() == QLatin1String("mergeCell")) {
            sheet.merged << attributes.value("ref").toString();
        } else if (xml.name() == QLatin1String("pane") &&
                   attributes.value("state") == QLatin1String("frozen")) {
            sheet.frozenTopLeft = attributes.value("topLeftCell").toString();
        }
    }
    return sheet;
}

inline QString CellName(int column, int row) {
    const QString letters = column < 26 ? QString(QChar('A' + column))
                                        : QString(QChar('A' + column / 26 - 1)) + QChar('A' + column % 26);
    return letters + QString::number(row + 1);
}

// Excel's serial number of a date and time: days since 30 December 1899, the time as a fraction.
inline double ExcelSerial(const QDateTime& value) {
    return QDate(1899, 12, 30).daysTo(value.date()) + value.time().msecsSinceStartOfDay() / 86400000.0;
}

// The attributes of a workbook's XML parts that hold a number written with anything but a decimal
// point ("13,7109375"), one "part: name=value" a line; a strict reader refuses those.
inline std::string NumbersWithoutDecimalPoint(const QString& xlsx) {
    QStringList wrong;
    const QRegularExpression localNumber(QStringLiteral("^-?[0-9]+,[0-9]+$"));
    const QStringList parts =
        Run(ZOR_UNZIP, {"-Z1", testsupport::HostPath(xlsx)}).split('\n', Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        if (!part.endsWith(QLatin1String(".xml")))
            continue;
        // unzip reads a member's name as a pattern: "[" stands for itself only in brackets.
        QXmlStreamReader xml(Member(xlsx, QString(part).replace(QLatin1String("["), QLatin1String("[[]"))));
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            for (const QXmlStreamAttribute& attribute : xml.attributes())
                if (localNumber.match(attribute.value()).hasMatch())
                    wrong << part + ": " + attribute.qualifiedName().toString() + "=" +
                                 attribute.value().toString();
        }
        if (xml.hasError())
            wrong << part + ": " + xml.errorString();
    }
    return wrong.join(QLatin1Char('\n')).toStdString();
}

// The process's C locale set from a name for as long as it lives, as the toolkit sets it from the
// user's environment at start; active() is false when the machine lacks that locale.
class ProcessLocale {
public:
    explicit ProcessLocale(const char* name) : m_previous(std::setlocale(LC_ALL, nullptr)) {
        m_active = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~ProcessLocale() { std::setlocale(LC_ALL, m_previous.c_str()); }
    ProcessLocale(const ProcessLocale&) = delete;
    ProcessLocale& operator=(const ProcessLocale&) = delete;
    bool active() const { return m_active; }

private:
    std::string m_previous;
    bool m_active = false;
};

// The users' locales, in which the files must still be read strictly.
inline const char* const UserLocales[] = {"ru_RU.UTF-8", "de_DE.UTF-8"};

} // namespace reportreadback
