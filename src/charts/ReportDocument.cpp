#include "charts/ReportDocument.h"

#include "charts/ProfileChart.h"
#include "charts/SectionOverlay.h"
#include "document/AtomicFileWriter.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace report {

namespace {

// Everything is laid out in points: the writer draws at 72 units per inch.
constexpr double kPageWidth = 612.0;
constexpr double kPageHeight = 792.0;
constexpr double kMargin = 42.0;
constexpr double kBodyTop = 56.0;
constexpr double kBodyBottom = kPageHeight - 48.0;
constexpr double kTableGap = 14.0;

QString Number(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

QString Station(const std::string& station) {
    return QString::fromStdString(station);
}

// A slice of a table on a page.
struct Slice {
    const ReportTable* table = nullptr;
    int first = 0;
    int last = 0;
    int page = 0; // 0 is page 1
    double top = 0.0;
};

// Lays the tables out from page 2: each table starts where the one before ended when its
// title, headings and a few rows fit there, and runs over as many pages as it needs.
std::vector<Slice> LayOutTables(const std::vector<const ReportTable*>& tables,
                                const ReportTableMetrics& metrics) {
    std::vector<Slice> slices;
    int page = 1;
    double y = kBodyTop;
    for (const ReportTable* table : tables) {
        const int rows = static_cast<int>(table->rows.size());
        int first = 0;
        for (;;) {
            const int fit = RowsThatFit(kBodyBottom - y, metrics);
            // A title or a page's headings are never left with fewer than 3 rows under them.
            if (fit < std::min(3, std::max(1, rows - first)) && y > kBodyTop) {
                ++page;
                y = kBodyTop;
                continue;
            }
            const int last = std::min(rows, first + fit);
            slices.push_back({table, first, last, page, y});
            y += metrics.titleHeight + metrics.headerHeight + (last - first) * metrics.rowHeight +
                 (rows == 0 ? metrics.rowHeight : 0.0) + kTableGap;
            first = last;
            if (first >= rows)
                break;
            ++page;
            y = kBodyTop;
        }
    }
    return slices;
}

void SetFont(QPainter& painter, double size, bool bold = false) {
    QFont font = painter.font();
    font.setPointSizeF(size);
    font.setBold(bold);
    painter.setFont(font);
}

void DrawFrame(QPainter& painter, const ReportContent& content, int page, int pageCount) {
    painter.save();
    painter.setPen(Qt::black);
    SetFont(painter, 8.0, true);
    const QRectF header(kMargin, 24.0, kPageWidth - 2 * kMargin, 14.0);
    painter.drawText(header, Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Vorlix report: %1").arg(content.fileName));
    SetFont(painter, 8.0);
    painter.drawText(header, Qt::AlignRight | Qt::AlignVCenter, content.date);
    painter.setPen(QPen(QColor(120, 120, 120), 0.6));
    painter.drawLine(QPointF(kMargin, 41.0), QPointF(kPageWidth - kMargin, 41.0));
    const double footerLine = kPageHeight - 36.0;
    painter.drawLine(QPointF(kMargin, footerLine), QPointF(kPageWidth - kMargin, footerLine));
    painter.setPen(Qt::black);
    const QRectF footer(kMargin, footerLine + 3.0, kPageWidth - 2 * kMargin, 12.0);
    painter.drawText(footer, Qt::AlignLeft | Qt::AlignVCenter, content.fileName);
    painter.drawText(footer, Qt::AlignCenter, QStringLiteral("%1 of %2").arg(page).arg(pageCount));
    painter.drawText(footer, Qt::AlignRight | Qt::AlignVCenter, content.date);
    painter.restore();
}

// A heading over a block of label: value lines; returns the height used.
double DrawFields(QPainter& painter, const QRectF& area, const QString& heading,
                  const std::vector<Field>& fields) {
    painter.save();
    painter.setPen(Qt::black);
    SetFont(painter, 9.5, true);
    painter.drawText(QRectF(area.left(), area.top(), area.width(), 13.0),
                     Qt::AlignLeft | Qt::AlignVCenter, heading);
    double y = area.top() + 15.0;
    SetFont(painter, 7.5, true);
    double labelWidth = 0.0;
    for (const Field& field : fields)
        labelWidth =
            std::max(labelWidth, QFontMetricsF(painter.font()).horizontalAdvance(field.label));
    labelWidth += 8.0;
    for (const Field& field : fields) {
        SetFont(painter, 7.5, true);
        painter.drawText(QRectF(area.left(), y, labelWidth, 10.0), Qt::AlignLeft | Qt::AlignVCenter,
                         field.label);
        SetFont(painter, 7.5);
        const QRectF valueBox(area.left() + labelWidth, y, area.width() - labelWidth, 10.0);
        const QString value = QFontMetricsF(painter.font())
                                  .elidedText(field.value, Qt::ElideMiddle, valueBox.width());
        painter.drawText(valueBox, Qt::AlignLeft | Qt::AlignVCenter, value);
        y += 10.0;
    }
    painter.restore();
    return y - area.top();
}

// A line of legend entries: a short stroke or a box, then its text.
void DrawChartLegend(QPainter& painter, const QPointF& at) {
    struct Entry {
        QColor colour;
        QString text;
        bool band;
    };
    QColor flag = QColor::fromRgb(sectionoverlay::kFlagColour);
    const Entry entries[] = {
        {QColor(30, 60, 160), QStringLiteral("1-ft results"), false},
        {QColor::fromRgb(sectionoverlay::kMeanColour), QStringLiteral("section mean"), false},
        {QColor::fromRgb(sectionoverlay::kCharacteristicColour),
         QStringLiteral("characteristic value"), false},
        {QColor::fromRgb(sectionoverlay::kBoundaryColour),
         QStringLiteral("section boundary (dashed)"), false},
        {flag, QStringLiteral("flag (band, marker at its peak)"), true}};
    painter.save();
    SetFont(painter, 6.5);
    double x = at.x();
    for (const Entry& entry : entries) {
        if (entry.band) {
            QColor fill = entry.colour;
            fill.setAlpha(sectionoverlay::kFlagAlpha * 2);
            painter.fillRect(QRectF(x, at.y() - 3.0, 12.0, 6.0), fill);
        } else {
            painter.setPen(QPen(entry.colour, 1.2));
            painter.drawLine(QPointF(x, at.y()), QPointF(x + 12.0, at.y()));
        }
        painter.setPen(Qt::black);
        const double width = QFontMetricsF(painter.font()).horizontalAdvance(entry.text);
        painter.drawText(QRectF(x + 15.0, at.y() - 5.0, width + 2.0, 10.0),
                         Qt::AlignLeft | Qt::AlignVCenter, entry.text);
        x += 15.0 + width + 12.0;
    }
    painter.restore();
}

void DrawFirstPage(QPainter& painter, const ReportContent& content) {
    const double width = kPageWidth - 2 * kMargin;
    painter.setPen(Qt::black);
    SetFont(painter, 15.0, true);
    painter.drawText(QRectF(kMargin, kBodyTop - 6.0, width, 20.0), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Deflection test report"));
    const double blocksTop = kBodyTop + 20.0;
    const double half = (width - 16.0) / 2.0;
    const double fileHeight = DrawFields(painter, QRectF(kMargin, blocksTop, half, 0.0),
                                         QStringLiteral("File"), content.file);
    const double settingsHeight =
        DrawFields(painter, QRectF(kMargin + half + 16.0, blocksTop, half, 0.0),
                   QStringLiteral("Settings used"), content.settings);

    const double chartTop = blocksTop + std::max(fileHeight, settingsHeight) + 8.0;
    SetFont(painter, 9.5, true);
    painter.drawText(QRectF(kMargin, chartTop, width, 13.0), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Profile of the whole road"));
    const QRectF chart(kMargin, chartTop + 14.0, width, 190.0);
    DrawProfileChart(painter, chart, content.profile, content.result);
    DrawChartLegend(painter, QPointF(kMargin + 34.0, chart.bottom() + 6.0));

    const double mapTop = chart.bottom() + 16.0;
    SetFont(painter, 9.5, true);
    painter.drawText(QRectF(kMargin, mapTop, width, 13.0), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Map"));
    const QRectF map(kMargin, mapTop + 15.0, width, kBodyBottom - mapTop - 15.0);
    painter.save();
    painter.setClipRect(map);
    if (content.drawMap) {
        content.drawMap(painter, map);
    } else {
        SetFont(painter, 8.0);
        painter.setPen(Qt::black);
        painter.drawText(map, Qt::AlignCenter | Qt::TextWordWrap, content.mapNote);
    }
    painter.restore();
    painter.setPen(QPen(QColor(120, 120, 120), 0.6));
    painter.drawRect(map);
}

} // namespace

ReportTable SectionsTable(const sections::Result& result, const sections::ClassLimits& limits) {
    ReportTable table;
    table.title = QStringLiteral("Sections");
    table.columns = {{"#", 0.5},         {"Start", 1.1, false}, {"End", 1.1, false},
                     {"Length ft", 0.9}, {"Results", 0.8},      {"Mean", 0.8},
                     {"SD", 0.8},        {"CoV", 0.7},          {"Characteristic", 1.2},
                     {"P90", 0.8},       {"P95", 0.8},          {"Min", 0.8},
                     {"Max", 0.8},       {"Class", 0.7}};
    int number = 0;
    for (const sections::Section& s : result.sections) {
        const int classNumber = sections::ClassOf(s.characteristic, limits);
        table.rows.push_back({QString::number(++number), Station(s.startStation),
                              Station(s.endStation), Number(s.endFt - s.startFt, 1),
                              QString::number(s.results), Number(s.mean, 4), Number(s.sd, 4),
                              s.mean != 0.0 ? Number(s.cov, 4) : QString(),
                              Number(s.characteristic, 4), Number(s.p90, 4), Number(s.p95, 4),
                              Number(s.min, 4), Number(s.max, 4), QString::number(classNumber)});
        table.swatches.push_back(QColor::fromRgb(sections::ClassColour(classNumber)));
    }
    return table;
}

ReportTable FlagsTable(const sections::Result& result) {
    ReportTable table;
    table.title = QStringLiteral("Flags (weak spots)");
    table.width = 0.62;
    table.columns = {
        {"#", 0.5},       {"Start", 1.1, false}, {"End", 1.1, false},     {"Length ft", 0.9},
        {"Results", 0.8}, {"Peak", 0.8},         {"Peak at", 1.1, false}, {"Mean", 0.8}};
    for (const sections::Flag& f : result.flags)
        table.rows.push_back(
            {QString::number(f.number), Station(f.startStation), Station(f.endStation),
             Number(f.endFt - f.startFt, 1), QString::number(f.results), Number(f.peak, 4),
             QString::fromStdString(sections::StationOf(f.peakFt)), Number(f.mean, 4)});
    return table;
}

QByteArray ReportPdf(const ReportContent& content, int* pageCount) {
    const ReportTable sectionsTable = SectionsTable(content.result, content.limits);
    const ReportTable flagsTable = FlagsTable(content.result);
    const ReportTableMetrics metrics;
    const std::vector<Slice> slices = LayOutTables({&sectionsTable, &flagsTable}, metrics);
    const int pages = slices.empty() ? 1 : slices.back().page + 1;

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                         QMarginsF(0, 0, 0, 0)));
        writer.setResolution(72);
        writer.setTitle(QStringLiteral("Vorlix report: %1").arg(content.fileName));
        writer.setCreator(QStringLiteral("Vorlix"));
        QPainter painter(&writer);
        painter.setRenderHint(QPainter::Antialiasing);
        QFont font(QStringLiteral("Liberation Sans"));
        painter.setFont(font);
        DrawFrame(painter, content, 1, pages);
        DrawFirstPage(painter, content);
        int page = 0;
        for (const Slice& slice : slices) {
            while (page < slice.page) {
                writer.newPage();
                ++page;
                DrawFrame(painter, content, page + 1, pages);
            }
            const QRectF area(kMargin, slice.top, kPageWidth - 2 * kMargin,
                              kBodyBottom - slice.top);
            const double used =
                DrawTableSlice(painter, area, *slice.table, slice.first, slice.last, metrics);
            if (slice.table->rows.empty()) {
                SetFont(painter, metrics.fontSize);
                painter.drawText(
                    QRectF(area.left() + 2.0, area.top() + used, area.width(), metrics.rowHeight),
                    Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("None."));
            }
        }
    }
    if (pageCount)
        *pageCount = pages;
    return bytes;
}

bool WriteReport(const ReportContent& content, const std::string& path, std::string* error) {
    const QByteArray pdf = ReportPdf(content);
    AtomicFileWriter writer;
    if (!writer.Open(path) ||
        !writer.Write(pdf.constData(), static_cast<std::size_t>(pdf.size())) || !writer.Commit()) {
        *error = writer.Error();
        return false;
    }
    return true;
}

} // namespace report
