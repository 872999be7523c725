#include "view/OptionsDialog.h"

#include "analysis/DeflectionAnalysis.h"
#include "view/VehicleIllustration.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <system_error>
#include <utility>

namespace {

// The settings file keeps 8-bit texts; Latin-1 maps every byte to one character and back.
QString FromFileText(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}
std::string ToFileText(const QString& text, int maxLength) {
    return text.left(maxLength).toLatin1().toStdString();
}
bool IsLatin1(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
}

// The trimmed text as bytes, with one leading '+' dropped (a sign after it stays invalid).
QByteArray NumberBytes(const QString& text) {
    QByteArray bytes = text.trimmed().toLatin1();
    if (bytes.startsWith('+') && !bytes.startsWith("+-") && !bytes.startsWith("++"))
        bytes.remove(0, 1);
    return bytes;
}

bool SameBits(float a, float b) {
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

const char* const kChartRowLabels[4] = {
    QT_TRANSLATE_NOOP("OptionsDialog", "Dynamic Load chart"),
    QT_TRANSLATE_NOOP("OptionsDialog", "Static Load chart"),
    QT_TRANSLATE_NOOP("OptionsDialog", "Dynamic Geophone chart"),
    QT_TRANSLATE_NOOP("OptionsDialog", "Final ZELP analysiis result")};

} // namespace

OptionsDialog::OptionsDialog(CKVTcontrol& options, QWidget* parent)
    : QDialog(parent), options_(options), before_(options) {
    messageHook_ = [](QWidget* owner, const QString& text) {
        QMessageBox::warning(owner, QGuiApplication::applicationDisplayName(), text);
    };
    setWindowTitle(tr("ZELP analysis options"));
    BuildControls();
    ExchangeIntoControls();
    // Connected only now, so filling the combo box is not taken for the user's choice.
    connect(geophoneName_, &QComboBox::currentIndexChanged, this,
            &OptionsDialog::OnGeophoneSelectionChanged);
}

void OptionsDialog::setMessageHook(MessageHook hook) {
    messageHook_ = std::move(hook);
}

QString OptionsDialog::FormatFloat(float value) {
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (ec != std::errc{})
        return QString::number(static_cast<double>(value), 'g', 9);
    return QString::fromLatin1(buffer, end - buffer);
}

std::optional<float> OptionsDialog::ParseFloat(const QString& text) {
    const QByteArray bytes = NumberBytes(text);
    const char* first = bytes.constData();
    const char* last = first + bytes.size();
    if (first == last)
        return std::nullopt;
    // Parsed as a double to tell a malformed text from one out of the float's range...
    double wide = 0.0;
    const auto [wideEnd, wideError] = std::from_chars(first, last, wide);
    if (wideError != std::errc{} || wideEnd != last || !std::isfinite(wide))
        return std::nullopt;
    // ...and as a float directly where possible, which rounds once instead of twice.
    float value = static_cast<float>(wide);
    float direct = 0.0f;
    const auto [directEnd, directError] = std::from_chars(first, last, direct);
    if (directError == std::errc{} && directEnd == last)
        value = direct;
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::int32_t> OptionsDialog::ParseInt(const QString& text) {
    const QByteArray bytes = NumberBytes(text);
    const char* first = bytes.constData();
    const char* last = first + bytes.size();
    std::int32_t value = 0;
    const auto [end, ec] = std::from_chars(first, last, value);
    if (first == last || ec != std::errc{} || end != last)
        return std::nullopt;
    return value;
}

void OptionsDialog::BuildControls() {
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    auto numberEdit = [&](const QString& name) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setFixedWidth(digit * 9 + 12);
        return edit;
    };
    auto textEdit = [&](const QString& name, int maxLength) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setMaxLength(maxLength);
        edit->setMinimumWidth(digit * (maxLength == kLongTextLength ? 20 : 12));
        return edit;
    };
    auto label = [&](const QString& text) { return new QLabel(text, this); };

    // Signal Analysis Filter Control
    auto* filterGroup = new QGroupBox(tr("Signal Analysis Filter Control"), this);
    auto* filterGrid = new QGridLayout(filterGroup);
    filterGrid->addWidget(label(tr("Dynamic analysis Bandpass filter")), 0, 0);
    filterGrid->addWidget(label(tr("From ")), 0, 1, Qt::AlignRight);
    bandpassLow_ = numberEdit("bandpassLow");
    filterGrid->addWidget(bandpassLow_, 0, 2);
    filterGrid->addWidget(label(tr("To")), 0, 3, Qt::AlignRight);
    bandpassHigh_ = numberEdit("bandpassHigh");
    filterGrid->addWidget(bandpassHigh_, 0, 4);
    filterGrid->addWidget(label(tr("Hz")), 0, 5);
    filterGrid->addWidget(label(tr("Static Load analysis Lowpass filter")), 1, 0, 1, 4);
    lowpassCutoff_ = numberEdit("lowpassCutoff");
    filterGrid->addWidget(lowpassCutoff_, 1, 4);
    filterGrid->addWidget(label(tr("Hz")), 1, 5);
    filterGrid->setColumnStretch(0, 1);

    // Select Geophone Sensor
    auto* geophoneGroup = new QGroupBox(tr("Select Geophone Sensor"), this);
    auto* geophoneBox = new QVBoxLayout(geophoneGroup);
    geophoneName_ = new QComboBox(this);
    geophoneName_->setObjectName(QStringLiteral("geophoneName"));
    geophoneName_->addItems(
        {QStringLiteral("Geophone-1"), QStringLiteral("Geophone-2"), QStringLiteral("Geophone-3")});
    geophoneBox->addWidget(geophoneName_);
    geophoneBox->addStretch();

    // Sensor Calibration Factor
    auto* factorGroup = new QGroupBox(tr("Sensor Calibration Factor"), this);
    auto* factorGrid = new QGridLayout(factorGroup);
    loadFactor_ = numberEdit("loadFactor");
    centerFactor_ = numberEdit("centerFactor");
    frontFactor_ = numberEdit("frontFactor");
    rearFactor_ = numberEdit("rearFactor");
    factorGrid->addWidget(label(tr("Load Factor")), 0, 0);
    factorGrid->addWidget(loadFactor_, 0, 1);
    factorGrid->addWidget(label(tr("Center Geophone")), 0, 2);
    factorGrid->addWidget(centerFactor_, 0, 3);
    factorGrid->addWidget(label(tr("Front Geophone")), 1, 0);
    factorGrid->addWidget(frontFactor_, 1, 1);
    factorGrid->addWidget(label(tr("Rear Geophone")), 1, 2);
    factorGrid->addWidget(rearFactor_, 1, 3);
    factorGrid->setColumnMinimumWidth(2, digit * 2);

    // Segments and video offset, at the right.
    auto* infoGrid = new QGridLayout;
    segmentCount_ = numberEdit("segmentCount");
    segmentCount_->setReadOnly(true);
    currentSegment_ = new QComboBox(this);
    currentSegment_->setObjectName(QStringLiteral("currentSegment"));
    currentSegment_->setEditable(true);
    currentSegment_->setFixedWidth(segmentCount_->width());
    videoOffset_ = numberEdit("videoOffset");
    auto* videoLabel = label(tr("Video offset  (-) means video in front  of Geophone (feet)"));
    videoLabel->setWordWrap(true);
    infoGrid->addWidget(label(tr("Total Data Segments")), 0, 0);
    infoGrid->addWidget(segmentCount_, 0, 1);
    infoGrid->addWidget(label(tr("Current Data Segment ")), 1, 0);
    infoGrid->addWidget(currentSegment_, 1, 1);
    infoGrid->addWidget(videoLabel, 2, 0);
    infoGrid->addWidget(videoOffset_, 2, 1, Qt::AlignBottom);
    infoGrid->setRowStretch(3, 1);
    infoGrid->setColumnMinimumWidth(0, digit * 20);

    // Chart Control
    auto* chartGroup = new QGroupBox(tr("Chart Control "), this);
    auto* chartGrid = new QGridLayout(chartGroup);
    const QString heads[5] = {tr("Title"), tr("Chart-Min"), tr("Chart-Max"), tr("X Label"),
                              tr("Y Label")};
    for (int column = 0; column < 5; ++column)
        chartGrid->addWidget(label(heads[column]), 0, column + 1, Qt::AlignHCenter);
    for (int row = 0; row < 4; ++row) {
        const QString n = QString::number(row);
        chartTitle_[row] = textEdit(QStringLiteral("chartTitle") + n, kLongTextLength);
        chartMin_[row] = numberEdit(QStringLiteral("chartMin") + n);
        chartMax_[row] = numberEdit(QStringLiteral("chartMax") + n);
        chartXLabel_[row] = textEdit(QStringLiteral("chartXLabel") + n, kShortTextLength);
        chartYLabel_[row] = textEdit(QStringLiteral("chartYLabel") + n, kShortTextLength);
        chartGrid->addWidget(label(tr(kChartRowLabels[row])), row + 1, 0);
        chartGrid->addWidget(chartTitle_[row], row + 1, 1);
        chartGrid->addWidget(chartMin_[row], row + 1, 2);
        chartGrid->addWidget(chartMax_[row], row + 1, 3);
        chartGrid->addWidget(chartXLabel_[row], row + 1, 4);
        chartGrid->addWidget(chartYLabel_[row], row + 1, 5);
    }
    chartGrid->setColumnStretch(1, 3);
    chartGrid->setColumnStretch(4, 2);
    chartGrid->setColumnStretch(5, 2);

    // Smooth Data: one group of three radio buttons, each with its parameter.
    auto* smoothGroup = new QGroupBox(tr("Smooth Data"), this);
    auto* smoothGrid = new QGridLayout(smoothGroup);
    smoothMethod_ = new QButtonGroup(this);
    const char* const methodNames[3] = {"movingAverageMethod", "averageByNumber",
                                        "averageByDistance"};
    const QString methodTexts[3] = {tr("Moving Average method"), tr("Average by Number"),
                                    tr("Average by distance")};
    movingAverageCount_ = numberEdit("movingAverageCount");
    averageCount_ = numberEdit("averageCount");
    averageDistance_ = numberEdit("averageDistance");
    QLineEdit* const methodEdits[3] = {movingAverageCount_, averageCount_, averageDistance_};
    for (int method = 0; method < 3; ++method) {
        auto* radio = new QRadioButton(methodTexts[method], this);
        radio->setObjectName(QLatin1String(methodNames[method]));
        smoothMethod_->addButton(radio, method);
        smoothGrid->addWidget(radio, method, 0);
        smoothGrid->addWidget(methodEdits[method], method, 1);
    }
    smoothGrid->addWidget(label(tr("ft")), 2, 2);
    smoothGrid->setColumnMinimumWidth(2, digit * 2);
    // Tab order follows creation; the edits were made before their radio buttons.
    QWidget::setTabOrder(smoothMethod_->button(0), movingAverageCount_);
    QWidget::setTabOrder(movingAverageCount_, smoothMethod_->button(1));
    QWidget::setTabOrder(smoothMethod_->button(1), averageCount_);
    QWidget::setTabOrder(averageCount_, smoothMethod_->button(2));
    QWidget::setTabOrder(smoothMethod_->button(2), averageDistance_);

    // GPR Colormap Option
    auto* gprGroup = new QGroupBox(tr("GPR Colormap Option"), this);
    auto* gprBox = new QVBoxLayout(gprGroup);
    showGprColormap_ = new QCheckBox(tr("Checked if show the GPR Colormap"), this);
    showGprColormap_->setObjectName(QStringLiteral("showGprColormap"));
    gprBox->addWidget(showGprColormap_);

    auto* okButton = new QPushButton(tr("OK"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setDefault(true);
    auto* cancelButton = new QPushButton(tr("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    connect(okButton, &QPushButton::clicked, this, &OptionsDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &OptionsDialog::reject);

    auto* vehicle = new VehicleIllustration(this);
    vehicle->setObjectName(QStringLiteral("vehicleIllustration"));

    // Top: filters over geophone and factors at the left, segment and video at the right.
    auto* sensorRow = new QHBoxLayout;
    sensorRow->addWidget(geophoneGroup);
    sensorRow->addWidget(factorGroup, 1);
    auto* topLeft = new QVBoxLayout;
    topLeft->addWidget(filterGroup);
    topLeft->addLayout(sensorRow);
    auto* topRow = new QHBoxLayout;
    topRow->addLayout(topLeft, 3);
    topRow->addSpacing(digit * 2);
    topRow->addLayout(infoGrid, 1);

    // Bottom: the vehicle at the left; smoothing, GPR and the buttons at the right.
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(okButton);
    buttonRow->addWidget(cancelButton);
    auto* gprColumn = new QVBoxLayout;
    gprColumn->addWidget(gprGroup);
    gprColumn->addStretch();
    gprColumn->addLayout(buttonRow);
    auto* bottomRow = new QHBoxLayout;
    bottomRow->addWidget(vehicle, 1);
    bottomRow->addWidget(smoothGroup, 0, Qt::AlignTop);
    bottomRow->addLayout(gprColumn);

    auto* main = new QVBoxLayout(this);
    main->addLayout(topRow);
    main->addWidget(chartGroup);
    main->addLayout(bottomRow, 1);
}

void OptionsDialog::ExchangeIntoControls() {
    const CKVTcontrol& o = options_;
    bandpassHigh_->setText(FormatFloat(o.bandpassHigh));
    bandpassLow_->setText(FormatFloat(o.bandpassLow));
    centerFactor_->setText(FormatFloat(o.centerFactor));
    frontFactor_->setText(FormatFloat(o.frontFactor));
    rearFactor_->setText(FormatFloat(o.rearFactor));
    loadFactor_->setText(FormatFloat(o.loadFactor));
    lowpassCutoff_->setText(FormatFloat(o.lowpassCutoff));
    for (int row = 0; row < 4; ++row) {
        chartMax_[row]->setText(FormatFloat(o.chartMax[row]));
        chartMin_[row]->setText(FormatFloat(o.chartMin[row]));
        // The edits' maximum length cuts over-long texts.
        chartTitle_[row]->setText(FromFileText(o.chartTitle[row]));
        chartXLabel_[row]->setText(FromFileText(o.chartXLabel[row]));
        chartYLabel_[row]->setText(FromFileText(o.chartYLabel[row]));
    }
    // The first list item that begins with the stored text, or none.
    const QString name = FromFileText(o.geophoneName);
    int selected = -1;
    for (int i = 0; i < geophoneName_->count() && selected < 0; ++i)
        if (geophoneName_->itemText(i).startsWith(name))
            selected = i;
    geophoneName_->setCurrentIndex(selected);
    segmentCount_->setText(QString::number(o.segmentCount));
    videoOffset_->setText(FormatFloat(o.videoOffset));
    movingAverageCount_->setText(QString::number(o.movingAverageCount));
    averageDistance_->setText(FormatFloat(o.averageDistance));
    averageCount_->setText(QString::number(o.averageCount));
    if (QAbstractButton* method = smoothMethod_->button(o.smoothMethod))
        method->setChecked(true);
    showGprColormap_->setChecked(o.showGprColormap != 0);
}

bool OptionsDialog::ExchangeIntoOptions() {
    CKVTcontrol& o = options_;
    // The band as the filter can use it: 0 < From < To < half the sampling rate.
    const float nyquist = static_cast<float>(deflection::kFilterSampleRate / 2.0);
    if (!ExchangeFloatBetween(bandpassHigh_, o.bandpassHigh, 0.0f, nyquist) ||
        !ExchangeFloatBetween(bandpassLow_, o.bandpassLow, 0.0f, o.bandpassHigh) ||
        !ExchangeFloat(centerFactor_, o.centerFactor) ||
        !ExchangeFloat(frontFactor_, o.frontFactor) || !ExchangeFloat(rearFactor_, o.rearFactor) ||
        !ExchangeFloat(loadFactor_, o.loadFactor) ||
        !ExchangeFloat(lowpassCutoff_, o.lowpassCutoff))
        return false;
    for (int row = 0; row < 4; ++row)
        if (!ExchangeFloat(chartMax_[row], o.chartMax[row]) ||
            !ExchangeFloat(chartMin_[row], o.chartMin[row]))
            return false;
    for (int row = 0; row < 4; ++row)
        if (!ExchangeText(chartTitle_[row], o.chartTitle[row], kLongTextLength))
            return false;
    for (int row = 0; row < 4; ++row)
        if (!ExchangeText(chartXLabel_[row], o.chartXLabel[row], kShortTextLength))
            return false;
    for (int row = 0; row < 4; ++row)
        if (!ExchangeText(chartYLabel_[row], o.chartYLabel[row], kShortTextLength))
            return false;
    o.geophoneName = geophoneName_->currentIndex() >= 0
                         ? ToFileText(geophoneName_->currentText(), kShortTextLength)
                         : std::string();
    if (!ExchangeInt(segmentCount_, o.segmentCount) ||
        !ExchangeFloat(videoOffset_, o.videoOffset) ||
        !ExchangeInt(movingAverageCount_, o.movingAverageCount) ||
        !ExchangeFloat(averageDistance_, o.averageDistance, 0.0f, 10.0f) ||
        !ExchangeInt(averageCount_, o.averageCount, 0, 1000))
        return false;
    // With no button checked (a method number outside 0..2) the method stays as it is.
    if (smoothMethod_->checkedId() >= 0)
        o.smoothMethod = smoothMethod_->checkedId();
    o.showGprColormap = showGprColormap_->isChecked() ? 1 : 0;
    return true;
}

bool OptionsDialog::ExchangeFloat(QLineEdit* edit, float& field) {
    const std::optional<float> value = ParseFloat(edit->text());
    if (!value)
        return Refuse(edit, tr("Please enter a number."));
    field = *value;
    return true;
}

bool OptionsDialog::ExchangeFloat(QLineEdit* edit, float& field, float min, float max) {
    const std::optional<float> value = ParseFloat(edit->text());
    if (!value)
        return Refuse(edit, tr("Please enter a number."));
    if (*value < min || *value > max)
        return Refuse(
            edit,
            tr("Please enter a number between %1 and %2.").arg(FormatFloat(min), FormatFloat(max)));
    field = *value;
    return true;
}

bool OptionsDialog::ExchangeFloatBetween(QLineEdit* edit, float& field, float above, float below) {
    const std::optional<float> value = ParseFloat(edit->text());
    if (!value)
        return Refuse(edit, tr("Please enter a number."));
    if (!(*value > above && *value < below))
        return Refuse(edit, tr("Please enter a number greater than %1 and less than %2.")
                                .arg(FormatFloat(above), FormatFloat(below)));
    field = *value;
    return true;
}

bool OptionsDialog::ExchangeText(QLineEdit* edit, std::string& field, int maxLength) {
    if (!IsLatin1(edit->text()))
        return Refuse(edit, tr("Please enter only Latin-1 characters (Western European letters "
                               "and signs)."));
    field = ToFileText(edit->text(), maxLength);
    return true;
}

bool OptionsDialog::ExchangeInt(QLineEdit* edit, std::int32_t& field) {
    const std::optional<std::int32_t> value = ParseInt(edit->text());
    if (!value)
        return Refuse(edit, tr("Please enter an integer."));
    field = *value;
    return true;
}

bool OptionsDialog::ExchangeInt(QLineEdit* edit, std::int32_t& field, std::int32_t min,
                                std::int32_t max) {
    const std::optional<std::int32_t> value = ParseInt(edit->text());
    if (!value)
        return Refuse(edit, tr("Please enter an integer."));
    if (*value < min || *value > max)
        return Refuse(edit, tr("Please enter an integer between %1 and %2.").arg(min).arg(max));
    field = *value;
    return true;
}

bool OptionsDialog::Refuse(QLineEdit* edit, const QString& message) {
    if (messageHook_)
        messageHook_(this, message);
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
    return false;
}

void OptionsDialog::OnGeophoneSelectionChanged() {
    if (!ExchangeIntoOptions())
        return;
    const int chosen = CKVTcontrol::GeophoneNumberFromName(options_.geophoneName, 0);
    if (chosen != options_.geophoneSelect)
        geophoneChanged_ = true;
}

void OptionsDialog::accept() {
    if (!ExchangeIntoOptions())
        return;
    options_.geophoneSelect = CKVTcontrol::GeophoneNumberFromName(options_.geophoneName, 1);
    QDialog::accept();
}

OptionsChanges OptionsDialog::changes() const {
    const CKVTcontrol& a = before_;
    const CKVTcontrol& b = options_;
    const bool analysis =
        !SameBits(a.bandpassHigh, b.bandpassHigh) || !SameBits(a.bandpassLow, b.bandpassLow) ||
        !SameBits(a.centerFactor, b.centerFactor) || !SameBits(a.frontFactor, b.frontFactor) ||
        !SameBits(a.rearFactor, b.rearFactor) || !SameBits(a.loadFactor, b.loadFactor);
    const bool smoothing =
        a.smoothMethod != b.smoothMethod || a.movingAverageCount != b.movingAverageCount ||
        a.averageCount != b.averageCount || !SameBits(a.averageDistance, b.averageDistance);
    return {result() == QDialog::Accepted, analysis, smoothing, geophoneChanged_};
}
