#include "app/ProgressDialogSink.h"

#include <QCoreApplication>

#include <algorithm>

ProgressDialogSink::ProgressDialogSink(const QString& label, QWidget* parent)
    : dialog_(new QProgressDialog(label, QStringLiteral("Cancel"), 0, kSteps, parent)) {
    dialog_->setWindowTitle(QStringLiteral("Vorlix"));
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(kMinimumDurationMs);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setValue(0);
}

ProgressDialogSink::~ProgressDialogSink() {
    delete dialog_.data();
}

bool ProgressDialogSink::Step(long long done, long long total) {
    if (!dialog_)
        return false;
    dialog_->setValue(BarValue(done, total));
    QCoreApplication::processEvents();
    return dialog_ && !dialog_->wasCanceled();
}

int ProgressDialogSink::BarValue(long long done, long long total) {
    if (total <= 0)
        return 0;
    done = std::clamp(done, 0LL, total);
    return static_cast<int>(static_cast<double>(done) / static_cast<double>(total) * kSteps);
}
