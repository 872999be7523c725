#include "charts/ReportTable.h"

#include <QFont>
#include <QPainter>

#include <algorithm>
#include <cmath>

int RowsThatFit(double height, const ReportTableMetrics& metrics) {
    const double left = height - metrics.headerHeight - metrics.titleHeight;
    return left <= 0.0 ? 0 : static_cast<int>(std::floor(left / metrics.rowHeight + 1e-9));
}

double DrawTableSlice(QPainter& painter, const QRectF& whole, const ReportTable& table, int first,
                      int last, const ReportTableMetrics& metrics) {
    const QRectF area(whole.left(), whole.top(), whole.width() * table.width, whole.height());
    painter.save();
    double y = area.top();
    {
        QFont font = painter.font();
        font.setPointSizeF(metrics.fontSize + 3.0);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(area.left(), y, area.width(), metrics.titleHeight),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         first > 0 ? QStringLiteral("%1 (continued)").arg(table.title)
                                   : table.title);
        y += metrics.titleHeight;
    }

    double shares = 0.0;
    for (const ReportTable::Column& column : table.columns)
        shares += column.width;
    std::vector<double> lefts, widths;
    double x = area.left();
    for (const ReportTable::Column& column : table.columns) {
        lefts.push_back(x);
        widths.push_back(area.width() * column.width / shares);
        x += widths.back();
    }
    const double pad = 2.0;
    auto cell = [&](std::size_t c, double top, double height) {
        return QRectF(lefts[c] + pad, top, widths[c] - 2 * pad, height);
    };

    // Headings on a grey band.
    QFont font = painter.font();
    font.setPointSizeF(metrics.fontSize);
    font.setBold(true);
    painter.setFont(font);
    painter.fillRect(QRectF(area.left(), y, area.width(), metrics.headerHeight),
                     QColor(225, 225, 225));
    painter.setPen(Qt::black);
    for (std::size_t c = 0; c < table.columns.size(); ++c)
        painter.drawText(cell(c, y, metrics.headerHeight),
                         (table.columns[c].number ? Qt::AlignRight : Qt::AlignLeft) |
                             Qt::AlignVCenter,
                         table.columns[c].heading);
    y += metrics.headerHeight;

    font.setBold(false);
    painter.setFont(font);
    for (int r = first; r < last; ++r) {
        if ((r - first) % 2 == 1)
            painter.fillRect(QRectF(area.left(), y, area.width(), metrics.rowHeight),
                             QColor(244, 244, 244));
        const QStringList& row = table.rows[static_cast<std::size_t>(r)];
        const bool swatch = static_cast<std::size_t>(r) < table.swatches.size() &&
                            table.swatches[static_cast<std::size_t>(r)].isValid();
        for (std::size_t c = 0; c < table.columns.size() && c < std::size_t(row.size()); ++c) {
            const QRectF box = cell(c, y, metrics.rowHeight);
            if (swatch && c + 1 == table.columns.size()) {
                const double side = metrics.rowHeight - 3.0;
                painter.fillRect(QRectF(box.left(), y + 1.5, side, side),
                                 table.swatches[static_cast<std::size_t>(r)]);
            }
            painter.drawText(
                box, (table.columns[c].number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                row[static_cast<int>(c)]);
        }
        y += metrics.rowHeight;
    }
    painter.setPen(QPen(QColor(160, 160, 160), 0.5));
    painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    painter.restore();
    return y - area.top();
}
