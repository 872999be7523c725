#include "charts/Cmoveline.h"

#include <algorithm>

void Cmoveline::Forget() {
    drawnPosition = -1;
    savedColumn = QImage();
}

void Cmoveline::Draw(Canvas& dc) {
    pen = CanvasPen::Solid(1, lineColour);
    const CanvasPen previous = dc.SelectPen(pen);

    // Back where the column was taken, even if lineRect has moved since.
    if (drawnPosition != -1 && !savedColumn.isNull())
        dc.DrawBlock(savedAt.x(), savedAt.y(), savedColumn);
    savedColumn = QImage();

    if (newPosition == -1) {
        drawnPosition = -1;
        dc.SelectPen(previous);
        return;
    }

    const int x = lineRect.left + newPosition + 1;
    const int rows = std::min(lineRect.Height(), kMaxRows);
    if (rows > 0) {
        savedAt = QPoint(x, lineRect.top);
        savedColumn = dc.CopyBlock(QRect(x, lineRect.top, 1, rows));
        dc.MoveTo(x, lineRect.top);
        dc.LineTo(x, lineRect.top + rows);
    }
    drawnPosition = newPosition;
    dc.SelectPen(previous);
}
