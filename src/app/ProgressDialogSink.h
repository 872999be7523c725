#pragma once

#include "view/ViewHost.h"

#include <QPointer>
#include <QProgressDialog>

// Progress of a long command in a window-modal dialog with a Cancel button. The dialog
// appears only when the command lasts longer than kMinimumDurationMs.
class ProgressDialogSink : public ProgressSink {
public:
    static constexpr int kMinimumDurationMs = 300;
    static constexpr int kSteps = 1000; // the bar's range, whatever the command counts

    ProgressDialogSink(const QString& label, QWidget* parent);
    ~ProgressDialogSink() override;

    // Sets the bar, lets the window repaint and take the Cancel click; false once cancelled.
    bool Step(long long done, long long total) override;

    // The bar position of done out of total, in 0..kSteps.
    static int BarValue(long long done, long long total);

private:
    QPointer<QProgressDialog> dialog_;
};
