#include "view/SectionsPanel.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>
#include <map>

namespace {

constexpr int kSortRole = Qt::UserRole;
constexpr int kPlaceRole = Qt::UserRole + 1;
constexpr int kStartRole = Qt::UserRole + 2;
constexpr int kEndRole = Qt::UserRole + 3;

const QColor kShownRow(255, 243, 190);

// A cell that sorts by the number behind its text (stations by their distance).
class NumberItem : public QTableWidgetItem {
public:
    NumberItem(const QString& text, double key) : QTableWidgetItem(text) {
        setData(kSortRole, key);
        setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    bool operator<(const QTableWidgetItem& other) const override {
        return data(kSortRole).toDouble() < other.data(kSortRole).toDouble();
    }
};

// The CSV files' number formats: distances with 2 decimals, values with 4.
QString Ft(double v) {
    return QString::number(v, 'f', 2);
}
QString Value(double v) {
    return QString::number(v, 'f', 4);
}

struct Cell {
    QString text;
    double key;
};

void SetRow(QTableWidget& table, int row, const std::vector<Cell>& cells, double place,
            double start, double end) {
    for (std::size_t c = 0; c < cells.size(); ++c) {
        auto* item = new NumberItem(cells[c].text, cells[c].key);
        item->setData(kPlaceRole, place);
        item->setData(kStartRole, start);
        item->setData(kEndRole, end);
        table.setItem(row, static_cast<int>(c), item);
    }
}

SpreadsheetTable* MakeTable(const QStringList& columns, QWidget* parent) {
    auto* table = new SpreadsheetTable(0, static_cast<int>(columns.size()), parent);
    table->setHorizontalHeaderLabels(columns);
    table->verticalHeader()->setVisible(false);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setSelectionBehavior(QAbstractItemView::SelectItems);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    table->setSortingEnabled(true);
    table->horizontalHeader()->setHighlightSections(false);
    return table;
}

} // namespace

QString SpreadsheetTable::SelectionText() const {
    // Rows and columns in the order shown, whatever the order they were selected in.
    std::map<int, std::map<int, QString>> cells;
    for (const QModelIndex& index : selectedIndexes())
        cells[index.row()][horizontalHeader()->visualIndex(index.column())] =
            index.data(Qt::DisplayRole).toString();
    QString text;
    for (const auto& [row, columns] : cells) {
        QStringList line;
        for (const auto& [column, value] : columns)
            line << value;
        text += line.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

// The window's Ctrl+C copies its picture; in a table it copies the cells.
bool SpreadsheetTable::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        event->accept();
        return true;
    }
    return QTableWidget::event(event);
}

void SpreadsheetTable::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        QApplication::clipboard()->setText(SelectionText());
        return;
    }
    QTableWidget::keyPressEvent(event);
}

SectionsPanel::SectionsPanel(QWidget* parent) : QWidget(parent) {
    note_ = new QLabel(QStringLiteral("No file is open."), this);
    note_->setWordWrap(true);
    parameters_ = new QPushButton(QStringLiteral("Parameters..."), this);
    parameters_->setToolTip(QStringLiteral("The parameters of the sections and flags"));
    write_ = new QPushButton(QStringLiteral("Write CSV"), this);
    write_->setToolTip(QStringLiteral("Writes NAME.sections.csv and NAME.flags.csv beside the "
                                      "raw file"));
    write_->setEnabled(false);
    report_ = new QPushButton(QStringLiteral("Report..."), this);
    report_->setToolTip(QStringLiteral("Writes the PDF report: the file, the settings, the "
                                       "profile, the map, the sections and the flags (Ctrl+R)"));
    report_->setEnabled(false);
    connect(parameters_, &QPushButton::clicked, this, &SectionsPanel::parametersRequested);
    connect(report_, &QPushButton::clicked, this, &SectionsPanel::reportRequested);
    connect(write_, &QPushButton::clicked, this, &SectionsPanel::writeRequested);

    sections_ =
        MakeTable({"section", "start_ft", "end_ft", "start_station", "end_station", "results",
                   "mean", "sd", "cov", "characteristic", "p90", "p95", "min", "max"},
                  this);
    flags_ = MakeTable({"flag", "start_ft", "end_ft", "start_station", "end_station", "results",
                        "peak", "peak_ft", "mean"},
                       this);
    for (QTableWidget* table :
         {static_cast<QTableWidget*>(sections_), static_cast<QTableWidget*>(flags_)})
        connect(table, &QTableWidget::cellDoubleClicked, this,
                [this, table](int row, int) { emit placeChosen(PlaceOfRow(*table, row)); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(note_, 1);
    buttons->addWidget(parameters_);
    buttons->addWidget(write_);
    buttons->addWidget(report_);
    auto framed = [this](const QString& title, QWidget* table) {
        auto* box = new QWidget(this);
        auto* layout = new QVBoxLayout(box);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(new QLabel(title, box));
        layout->addWidget(table);
        return box;
    };
    // Side by side: below the view, whose least size the window keeps, the panel is wide and low.
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(framed(QStringLiteral("Sections"), sections_));
    splitter->addWidget(framed(QStringLiteral("Flags (weak spots)"), flags_));
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);
}

void SectionsPanel::SetNote(const QString& note) {
    note_->setText(note);
}

void SectionsPanel::SetResult(const sections::Result* result, const QString& note) {
    SetNote(note);
    write_->setEnabled(result != nullptr);
    report_->setEnabled(result != nullptr);
    for (QTableWidget* table :
         {static_cast<QTableWidget*>(sections_), static_cast<QTableWidget*>(flags_)}) {
        table->setSortingEnabled(false);
        table->clearContents();
        table->setRowCount(0);
    }
    if (result) {
        sections_->setRowCount(static_cast<int>(result->sections.size()));
        int row = 0;
        for (const sections::Section& s : result->sections) {
            SetRow(*sections_, row,
                   {{QString::number(row + 1), double(row + 1)},
                    {Ft(s.startFt), s.startFt},
                    {Ft(s.endFt), s.endFt},
                    {QString::fromStdString(s.startStation), s.startFt},
                    {QString::fromStdString(s.endStation), s.endFt},
                    {QString::number(s.results), double(s.results)},
                    {Value(s.mean), s.mean},
                    {Value(s.sd), s.sd},
                    {Value(s.cov), s.cov},
                    {Value(s.characteristic), s.characteristic},
                    {Value(s.p90), s.p90},
                    {Value(s.p95), s.p95},
                    {Value(s.min), s.min},
                    {Value(s.max), s.max}},
                   s.startFt, s.startFt, s.endFt);
            ++row;
        }
        flags_->setRowCount(static_cast<int>(result->flags.size()));
        row = 0;
        for (const sections::Flag& f : result->flags) {
            SetRow(*flags_, row,
                   {{QString::number(f.number), double(f.number)},
                    {Ft(f.startFt), f.startFt},
                    {Ft(f.endFt), f.endFt},
                    {QString::fromStdString(f.startStation), f.startFt},
                    {QString::fromStdString(f.endStation), f.endFt},
                    {QString::number(f.results), double(f.results)},
                    {Value(f.peak), f.peak},
                    {Ft(f.peakFt), f.peakFt},
                    {Value(f.mean), f.mean}},
                   f.peakFt, f.startFt, f.endFt);
            ++row;
        }
    }
    for (QTableWidget* table :
         {static_cast<QTableWidget*>(sections_), static_cast<QTableWidget*>(flags_)}) {
        table->setSortingEnabled(true);
        table->resizeColumnsToContents();
        Highlight(*table);
    }
}

void SectionsPanel::SetShownSpan(double from, double to) {
    shownFrom_ = from;
    shownTo_ = to;
    Highlight(*sections_);
    Highlight(*flags_);
}

void SectionsPanel::Highlight(QTableWidget& table) {
    for (int row = 0; row < table.rowCount(); ++row) {
        const QTableWidgetItem* first = table.item(row, 0);
        if (!first)
            continue;
        const bool shown = first->data(kStartRole).toDouble() <= shownTo_ &&
                           first->data(kEndRole).toDouble() >= shownFrom_;
        for (int column = 0; column < table.columnCount(); ++column)
            if (QTableWidgetItem* item = table.item(row, column))
                item->setData(Qt::BackgroundRole, shown ? QVariant(kShownRow) : QVariant());
    }
}

double SectionsPanel::PlaceOfRow(const QTableWidget& table, int row) {
    const QTableWidgetItem* item = table.item(row, 0);
    return item ? item->data(kPlaceRole).toDouble() : 0.0;
}
