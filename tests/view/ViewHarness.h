#pragma once

#include "document/CVorlixDoc.h"
#include "support/Cases.h"
#include "support/SynthFixture.h"
#include "view/CVorlixView.h"
#include "view/OptionsDialog.h"
#include "view/ViewHost.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStringList>

#include <memory>

// A host that answers the view's dialogs from a script and records what it was told.
class FakeHost : public ViewHost {
public:
    QStringList filesToChoose;    // answers of the file dialog, in order; none: cancelled
    int cancelProgressAfter = -1; // steps before the user presses Cancel; -1: never
    QString title;
    QStringList statuses;
    QStringList messages;
    QStringList opened;
    int optionsDialogs = 0;
    // What the user does in the real options dialog (fills it, presses OK or Cancel); unset,
    // the dialog is closed unchanged.
    std::function<void(OptionsDialog&)> useOptions;

    QString ChooseRawFile(const QString&) override {
        return filesToChoose.isEmpty() ? QString() : filesToChoose.takeFirst();
    }
    QString ChooseSavePath() override { return {}; }
    void SetWindowTitle(const QString& t) override { title = t; }
    void ShowStatus(const QString& message) override { statuses << message; }
    void ShowMessage(const QString& message) override { messages << message; }
    OptionsChanges EditOptions(CKVTcontrol& options) override {
        ++optionsDialogs;
        OptionsDialog dialog(options);
        if (useOptions)
            useOptions(dialog);
        return dialog.changes();
    }
    std::unique_ptr<ProgressSink> StartProgress(const QString&) override {
        struct Sink : ProgressSink {
            int left;
            explicit Sink(int n) : left(n) {}
            bool Step(long long, long long) override { return left < 0 || left-- > 0; }
        };
        return std::make_unique<Sink>(cancelProgressAfter);
    }
    void FileOpened(const QString& path) override { opened << path; }
    void RequestExit() override {}
};

// A view on a document of its own, sized for the tests.
struct ViewUnderTest {
    explicit ViewUnderTest(const std::string& workDir, QSize size = QSize(1000, 800))
        : doc(workDir), view(doc, host) {
        view.resize(size);
        view.SetClientSize(size);
    }
    CVorlixDoc doc;
    FakeHost host;
    CVorlixView view;
};

// What the user does in the options dialog: edits ("name=text"), a geophone chosen (-1: none),
// then OK or Cancel.
inline void UseOptions(FakeHost& host, const QStringList& edits, int geophone = -1,
                       bool ok = true) {
    host.useOptions = [=](OptionsDialog& dialog) {
        for (const QString& edit : edits)
            dialog.findChild<QLineEdit*>(edit.section('=', 0, 0))->setText(edit.section('=', 1));
        if (geophone >= 0)
            dialog.findChild<QComboBox*>("geophoneName")->setCurrentIndex(geophone);
        dialog.findChild<QPushButton*>(ok ? "okButton" : "cancelButton")->click();
    };
}

// The mouse as the user moves and presses it.
inline void Mouse(QWidget& w, QEvent::Type type, QPoint at, Qt::KeyboardModifiers keys = {}) {
    const bool move = type == QEvent::MouseMove;
    QMouseEvent event(type, QPointF(at), QPointF(at), move ? Qt::NoButton : Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, keys);
    QApplication::sendEvent(&w, &event);
}
inline QPoint Centre(const Rect& r) {
    return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}
