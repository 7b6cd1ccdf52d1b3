#include "reportpages.h"

#include "schedulereport.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace {

constexpr double MarginMm = 12.0;
const QColor TitleFill(225, 225, 225);

// Sizes on one device, in its pixels.
class PageGeometry {
public:
    PageGeometry(const ScheduleReport& report, QPaintDevice& device)
        : m_report(report), m_device(device), m_headingFont(BaseFont(14, true)),
          m_textFont(BaseFont(10, false)), m_cellFont(BaseFont(9, false)), m_titleFont(BaseFont(9, true)),
          m_footerFont(BaseFont(8, false)) {
        m_pageWidth = device.width();
        m_pageHeight = device.height();
        m_padding = mm(0.9);
        m_line = std::max(1.0, mm(0.2));
        fitColumns();
        layOutTitles();
        for (const QList<ReportCell>& row : report.rows()) {
            double height = 0;
            for (qsizetype column = 0; column < row.size() && column < m_columnWidth.size(); ++column)
                height = std::max(height, textHeight(m_cellFont, row[column].text, m_columnWidth[column]));
            m_rowHeights.append(std::max(height, lineHeight(m_cellFont) + 2 * m_padding));
        }
        m_footerHeight = lineHeight(m_footerFont) * 2;
        m_headingHeight = lineHeight(m_headingFont) * 1.6 +
                          lineHeight(m_textFont) * 1.25 * report.headingLines().size() + mm(4);
        paginate();
    }

    double mm(double millimetres) const { return millimetres * m_device.logicalDpiY() / 25.4; }

    QFont BaseFont(int points, bool bold) const {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setStyleHint(QFont::SansSerif);
        font.setPointSize(points);
        font.setBold(bold);
        return font;
    }

    double lineHeight(const QFont& font) const { return QFontMetricsF(font, &m_device).height(); }

    // The height of a text wrapped into a cell of the given width, padding included.
    double textHeight(const QFont& font, const QString& text, double width) const {
        const QFontMetricsF metrics(font, &m_device);
        const QRectF bounds =
            metrics.boundingRect(QRectF(0, 0, std::max(width - 2 * m_padding, 1.0), 1e6), Qt::TextWordWrap,
                                 text.isEmpty() ? QStringLiteral(" ") : text);
        return bounds.height() + 2 * m_padding;
    }

    // The widest unbroken line of a column's title and cells, padding included: the width the column
    // would take without wrapping.
    double widestLine(int index) const {
        const ReportColumn& column = m_report.columns()[index];
        const QFontMetricsF cellMetrics(m_cellFont, &m_device);
        double widest =
            QFontMetricsF(m_titleFont, &m_device)
                .horizontalAdvance(column.lowerTitle.isEmpty() ? column.upperTitle : column.lowerTitle);
        for (const QList<ReportCell>& row : m_report.rows()) {
            if (index < row.size())
                widest = std::max(widest, cellMetrics.horizontalAdvance(row[index].text));
        }
        return widest + 2 * m_padding + m_line;
    }

    // The widest word of a column's title and cells, padding included: a narrower column would cut it.
    double widestWord(int index) const {
        const ReportColumn& column = m_report.columns()[index];
        const QFontMetricsF titleMetrics(m_titleFont, &m_device);
        const QFontMetricsF cellMetrics(m_cellFont, &m_device);
        double widest = 0;
        const QString title = column.lowerTitle.isEmpty() ? column.upperTitle : column.lowerTitle;
        for (const QString& word : title.split(' ', Qt::SkipEmptyParts))
            widest = std::max(widest, titleMetrics.horizontalAdvance(word));
        for (const QList<ReportCell>& row : m_report.rows()) {
            if (index < row.size()) {
                for (const QString& word : row[index].text.split(' ', Qt::SkipEmptyParts))
                    widest = std::max(widest, cellMetrics.horizontalAdvance(word));
            }
        }
        return widest + 2 * m_padding + m_line;
    }

    // Widths in proportion to the columns' unwrapped texts, so that short values (dates, times, rooms)
    // stay on one line and long ones share the rest, but never narrower than a column's widest word;
    // the columns so widened keep that width and the others share the rest. When even the widest
    // words do not fit, every column gives up the same share.
    void fitColumns() {
        const qsizetype count = m_report.columns().size();
        QList<double> minimum;
        QList<double> weight;
        for (int index = 0; index < count; ++index) {
            minimum.append(widestWord(index));
            weight.append(widestLine(index));
        }
        m_columnWidth = QList<double>(count, 0.0);
        QList<bool> pinned(count, false);
        for (qsizetype pass = 0; pass <= count; ++pass) {
            double fixed = 0;
            double design = 0;
            for (qsizetype index = 0; index < count; ++index) {
                if (pinned[index])
                    fixed += m_columnWidth[index];
                else
                    design += weight[index];
            }
            bool changed = false;
            for (qsizetype index = 0; index < count; ++index) {
                if (pinned[index])
                    continue;
                m_columnWidth[index] = std::max(m_pageWidth - fixed, 0.0) * weight[index] / design;
                if (m_columnWidth[index] < minimum[index]) {
                    m_columnWidth[index] = minimum[index];
                    pinned[index] = true;
                    changed = true;
                }
            }
            if (!changed)
                break;
        }
        double total = 0;
        for (const double width : m_columnWidth)
            total += width;
        double left = 0;
        for (double& width : m_columnWidth) {
            if (total > m_pageWidth)
                width *= m_pageWidth / total;
            m_columnLeft.append(left);
            left += width;
        }
    }

    void layOutTitles() {
        const QList<ReportColumn>& columns = m_report.columns();
        m_upperBand = 0;
        m_lowerBand = 0;
        for (qsizetype column = 0; column < columns.size(); ++column) {
            if (!columns[column].lowerTitle.isEmpty())
                m_lowerBand = std::max(
                    m_lowerBand, textHeight(m_titleFont, columns[column].lowerTitle, m_columnWidth[column]));
        }
        for (const ReportTitleSpan& span : m_report.titleSpans())
            m_upperBand = std::max(m_upperBand, textHeight(m_titleFont, span.text, spanWidth(span)));
        // A single-level title takes both bands; the upper band grows when it needs more.
        for (qsizetype column = 0; column < columns.size(); ++column) {
            if (columns[column].lowerTitle.isEmpty())
                m_upperBand = std::max(
                    m_upperBand,
                    textHeight(m_titleFont, columns[column].upperTitle, m_columnWidth[column]) - m_lowerBand);
        }
    }

    double spanWidth(const ReportTitleSpan& span) const {
        double width = 0;
        for (int column = span.firstColumn; column < span.firstColumn + span.columnCount; ++column)
            width += m_columnWidth[column];
        return width;
    }

    double titleHeight() const { return m_upperBand + m_lowerBand; }

    // Rows go on a page while they fit above the footer; a page holds at least one row.
    void paginate() {
        const double bottom = m_pageHeight - m_footerHeight;
        double y = m_headingHeight + titleHeight();
        int first = 0;
        for (int row = 0; row < m_rowHeights.size(); ++row) {
            if (row > first && y + m_rowHeights[row] > bottom) {
                m_pages.append({first, row});
                first = row;
                y = titleHeight();
            }
            y += m_rowHeights[row];
        }
        m_pages.append({first, static_cast<int>(m_rowHeights.size())});
    }

    void paint(QPainter& painter, QPagedPaintDevice& device, const QDate& printed) const {
        for (qsizetype page = 0; page < m_pages.size(); ++page) {
            if (page > 0)
                device.newPage();
            double y = 0;
            if (page == 0)
                y = paintHeading(painter);
            y = paintTitles(painter, y);
            for (int row = m_pages[page].first; row < m_pages[page].second; ++row) {
                paintRow(painter, row, y);
                y += m_rowHeights[row];
            }
            paintFooter(painter, printed, static_cast<int>(page) + 1, static_cast<int>(m_pages.size()));
        }
    }

private:
    double paintHeading(QPainter& painter) const {
        painter.setFont(m_headingFont);
        const double titleHeight = lineHeight(m_headingFont) * 1.6;
        painter.drawText(QRectF(0, 0, m_pageWidth, titleHeight), Qt::AlignHCenter | Qt::AlignTop,
                         m_report.title());
        painter.setFont(m_textFont);
        double y = titleHeight;
        const double step = lineHeight(m_textFont) * 1.25;
        for (const QString& line : m_report.headingLines()) {
            painter.drawText(QRectF(0, y, m_pageWidth, step), Qt::AlignLeft | Qt::AlignVCenter, line);
            y += step;
        }
        return m_headingHeight;
    }

    void paintCell(QPainter& painter, const QRectF& cell, const QString& text, int alignment,
                   bool title) const {
        if (title)
            painter.fillRect(cell, TitleFill);
        painter.drawRect(cell);
        painter.drawText(cell.adjusted(m_padding, m_padding, -m_padding, -m_padding),
                         alignment | Qt::TextWordWrap, text);
    }

    double paintTitles(QPainter& painter, double top) const {
        painter.setPen(QPen(Qt::black, m_line));
        painter.setFont(m_titleFont);
        const QList<ReportColumn>& columns = m_report.columns();
        const int centred = Qt::AlignCenter;
        for (qsizetype column = 0; column < columns.size(); ++column) {
            const double left = m_columnLeft[column];
            const double width = m_columnWidth[column];
            if (columns[column].lowerTitle.isEmpty())
                paintCell(painter, QRectF(left, top, width, titleHeight()), columns[column].upperTitle,
                          centred, true);
            else
                paintCell(painter, QRectF(left, top + m_upperBand, width, m_lowerBand),
                          columns[column].lowerTitle, centred, true);
        }
        for (const ReportTitleSpan& span : m_report.titleSpans())
            paintCell(painter, QRectF(m_columnLeft[span.firstColumn], top, spanWidth(span), m_upperBand),
                      span.text, centred, true);
        return top + titleHeight();
    }

    void paintRow(QPainter& painter, int row, double top) const {
        painter.setFont(m_cellFont);
        const QList<ReportCell>& cells = m_report.rows()[row];
        for (qsizetype column = 0; column < cells.size() && column < m_columnWidth.size(); ++column)
            paintCell(painter, QRectF(m_columnLeft[column], top, m_columnWidth[column], m_rowHeights[row]),
                      cells[column].text, Qt::AlignLeft | Qt::AlignTop, false);
    }

    void paintFooter(QPainter& painter, const QDate& printed, int page, int pageCount) const {
        painter.setFont(m_footerFont);
        const double height = lineHeight(m_footerFont);
        const QRectF line(0, m_pageHeight - height, m_pageWidth, height);
        painter.drawText(line, Qt::AlignLeft | Qt::AlignBottom, ReportPages::PrintedText(printed));
        painter.drawText(line, Qt::AlignRight | Qt::AlignBottom,
                         ReportPages::PageNumberText(page, pageCount));
    }

    const ScheduleReport& m_report;
    QPaintDevice& m_device;
    QFont m_headingFont;
    QFont m_textFont;
    QFont m_cellFont;
    QFont m_titleFont;
    QFont m_footerFont;
    double m_pageWidth = 0;
    double m_pageHeight = 0;
    double m_padding = 0;
    double m_line = 1;
    QList<double> m_columnLeft;
    QList<double> m_columnWidth;
    double m_upperBand = 0;
    double m_lowerBand = 0;
    QList<double> m_rowHeights;
    double m_footerHeight = 0;
    double m_headingHeight = 0;
    // The rows of each page: first, and one past the last.
    QList<std::pair<int, int>> m_pages;
};

} // namespace

void ReportPages::SetUpPage(QPagedPaintDevice& device) {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                     QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm),
                                     QPageLayout::Millimeter));
}

void ReportPages::Paint(const ScheduleReport& report, QPagedPaintDevice& device, const QDate& printed) {
    QPainter painter(&device);
    const PageGeometry geometry(report, device);
    geometry.paint(painter, device, printed);
}

QByteArray ReportPages::Pdf(const ScheduleReport& report, const QDate& printed) {
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(300);
        writer.setTitle(
            report.title() + QStringLiteral(" — ") +
            (report.heading().group.isEmpty() ? report.heading().faculty : report.heading().group));
        writer.setCreator(QStringLiteral("ZOR 27"));
        SetUpPage(writer);
        Paint(report, writer, printed);
    }
    return bytes;
}

QString ReportPages::PrintedText(const QDate& printed) {
    return QString::fromUtf8("Напечатано: ") + printed.toString(QStringLiteral("dd.MM.yyyy"));
}

QString ReportPages::PageNumberText(int page, int pageCount) {
    return QString::fromUtf8("Страница %1 из %2").arg(page).arg(pageCount);
}
