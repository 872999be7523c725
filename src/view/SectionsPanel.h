#pragma once

#include "analysis/Sections.h"

#include <QTableWidget>
#include <QWidget>

class QLabel;
class QPushButton;

// A table that sorts by the numbers behind its texts and copies as a spreadsheet does: Ctrl+C
// puts the selected cells on the clipboard as tab-separated rows.
class SpreadsheetTable : public QTableWidget {
    Q_OBJECT

public:
    using QTableWidget::QTableWidget;
    // The selected cells, row by row in the order shown, tabs between columns.
    QString SelectionText() const;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// The sections panel: the sections and the flags of the open file in two tables with the
// columns of their CSV files. Rows of the segment shown are highlighted; a double-click on a
// row asks for its place on the road (a section's start, a flag's peak).
class SectionsPanel : public QWidget {
    Q_OBJECT

public:
    explicit SectionsPanel(QWidget* parent = nullptr);

    // Fills the tables from `result`; null empties them. `note` says what the panel shows.
    void SetResult(const sections::Result* result, const QString& note);
    void SetNote(const QString& note);
    // Highlights the rows that lie in [from, to], the segment shown.
    void SetShownSpan(double from, double to);

    SpreadsheetTable* SectionsTable() const { return sections_; }
    SpreadsheetTable* FlagsTable() const { return flags_; }
    // The distance a row leads to: the section's start or the flag's peak.
    static double PlaceOfRow(const QTableWidget& table, int row);

signals:
    void placeChosen(double distance);
    void parametersRequested();
    void writeRequested();
    void reportRequested();

private:
    void Highlight(QTableWidget& table);

    QLabel* note_ = nullptr;
    QPushButton* parameters_ = nullptr;
    QPushButton* write_ = nullptr;
    QPushButton* report_ = nullptr;
    SpreadsheetTable* sections_ = nullptr;
    SpreadsheetTable* flags_ = nullptr;
    double shownFrom_ = 0.0;
    double shownTo_ = -1.0;
};
