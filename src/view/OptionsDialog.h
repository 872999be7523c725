#pragma once

#include "document/CKVTcontrol.h"
#include "view/OptionsChanges.h"

#include <QDialog>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;

// The analysis options dialog ("ZELP analysis options"). It edits a CKVTcontrol in place: the
// controls are filled from the record on construction; OK copies them back field by field and
// stops at the first invalid one with a message. Changing the geophone copies the controls too.
// What changed is the caller's to act on: storing the settings file, reading the file again.
class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    // Shows a data-exchange message over the dialog. The default is a warning message box;
    // tests put their own in to read the text without a modal box.
    using MessageHook = std::function<void(QWidget* parent, const QString& text)>;

    static constexpr int kLongTextLength = 79;  // chart titles
    static constexpr int kShortTextLength = 39; // axis labels

    OptionsDialog(CKVTcontrol& options, QWidget* parent = nullptr);

    // What the dialog changed so far, compared with the record it was opened on.
    OptionsChanges changes() const;
    void setMessageHook(MessageHook hook);

    // Edit texts of numbers. A float is shown in its shortest form that reads back as the same
    // float. Parsing takes the whole text (surrounding blanks allowed, C number syntax) and
    // refuses anything that is not a finite float or an int32.
    static QString FormatFloat(float value);
    static std::optional<float> ParseFloat(const QString& text);
    static std::optional<std::int32_t> ParseInt(const QString& text);

public slots:
    void accept() override;

private:
    void BuildControls();
    void ExchangeIntoControls();
    // Copies every control into the record in the fixed exchange order; stops at the first
    // invalid field (after showing its message) and returns false.
    bool ExchangeIntoOptions();
    void OnGeophoneSelectionChanged();

    bool ExchangeFloat(QLineEdit* edit, float& field);
    bool ExchangeFloat(QLineEdit* edit, float& field, float min, float max);
    // A number strictly between `above` and `below`.
    bool ExchangeFloatBetween(QLineEdit* edit, float& field, float above, float below);
    // A text stored as Latin-1 bytes, cut to maxLength; other characters are refused.
    bool ExchangeText(QLineEdit* edit, std::string& field, int maxLength);
    bool ExchangeInt(QLineEdit* edit, std::int32_t& field);
    bool ExchangeInt(QLineEdit* edit, std::int32_t& field, std::int32_t min, std::int32_t max);
    bool Refuse(QLineEdit* edit, const QString& message);

    CKVTcontrol& options_;
    const CKVTcontrol before_;
    bool geophoneChanged_ = false;
    MessageHook messageHook_;

    QLineEdit* bandpassHigh_ = nullptr;
    QLineEdit* bandpassLow_ = nullptr;
    QLineEdit* centerFactor_ = nullptr;
    QLineEdit* frontFactor_ = nullptr;
    QLineEdit* rearFactor_ = nullptr;
    QLineEdit* loadFactor_ = nullptr;
    QLineEdit* lowpassCutoff_ = nullptr;
    std::array<QLineEdit*, 4> chartMin_{};
    std::array<QLineEdit*, 4> chartMax_{};
    std::array<QLineEdit*, 4> chartTitle_{};
    std::array<QLineEdit*, 4> chartXLabel_{};
    std::array<QLineEdit*, 4> chartYLabel_{};
    QComboBox* geophoneName_ = nullptr;
    QLineEdit* segmentCount_ = nullptr;
    QComboBox* currentSegment_ = nullptr; // part of the dialog, never filled nor read
    QLineEdit* videoOffset_ = nullptr;
    QLineEdit* movingAverageCount_ = nullptr;
    QLineEdit* averageDistance_ = nullptr;
    QLineEdit* averageCount_ = nullptr;
    QButtonGroup* smoothMethod_ = nullptr;
    QCheckBox* showGprColormap_ = nullptr;
};
