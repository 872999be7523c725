#include "app/ConsoleViewHost.h"
#include "document/CVorlixDoc.h"
#include "support/SynthFixture.h"
#include "view/CVorlixView.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <fstream>
#include <memory>

// `vorlix --report` on a generated test as a user runs it: the PDF's pages, and its text as
// pdftotext reads it (so, selectable) holds the header and footer of every page and every row
// of the sections and flags that vorlix-cli writes. The window writes the same report, and a
// write that fails leaves no file.
class ReportTest : public QObject {
    Q_OBJECT

    TempDir dir_;
    SynthFiles files_;

    QString Work() const { return QString::fromStdString(dir_.Path()); }

    // Runs a shell line with no display; its exit code, and its stdout in *out.
    static int Shell(const QString& line, QString* out = nullptr) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), line});
        if (!process.waitForFinished(120000))
            return -1;
        if (out)
            *out = QString::fromUtf8(process.readAllStandardOutput());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    QString Report(const QString& out) const {
        return QStringLiteral("%1 --report '%2' --workdir '%3' '%4'")
            .arg(VORLIX_APP_PATH, out, Work(), QString::fromStdString(files_.kvt));
    }
    // The data rows of a CSV of vorlix-cli, each as the fields the report shows, in its order.
    static QList<QStringList> Rows(const QString& path, const QList<int>& columns) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        QList<QStringList> rows;
        file.readLine();
        while (!file.atEnd()) {
            const QStringList fields = QString::fromUtf8(file.readLine()).trimmed().split(',');
            QStringList row;
            for (int column : columns)
                row << fields.value(column);
            rows << row;
        }
        return rows;
    }

private slots:
    void initTestCase() {
        synth::Options options = SmallSynthOptions();
        options.groups = 1600;
        files_ = GenerateSynthFiles(dir_, options);
        QVERIFY2(files_.ok, files_.error.c_str());
        // Short sections, so that the tables run over several pages.
        std::ofstream(dir_.File("Vorlixsections.ini")) << "min_length = 40\n";
        if (Shell(QStringLiteral("command -v pdftotext >/dev/null")) != 0)
            QSKIP("pdftotext is not installed (poppler-utils)");
    }

    void pagesHoldEveryRowWithHeadersAndFooters() {
        const QString pdf = Work() + "/road.pdf";
        QCOMPARE(Shell(Report(pdf)), 0);
        QString info, text;
        QCOMPARE(Shell(QStringLiteral("pdfinfo '%1'").arg(pdf), &info), 0);
        const int pages = QRegularExpression("Pages:\\s+(\\d+)").match(info).captured(1).toInt();
        QVERIFY(info.contains(QRegularExpression("Page size:\\s+612 x 792 pts")));
        QCOMPARE(Shell(QStringLiteral("pdftotext -layout '%1' -").arg(pdf), &text), 0);
        const QStringList pageTexts = text.split('\f', Qt::SkipEmptyParts);
        QCOMPARE(pageTexts.size(), pages);
        QVERIFY2(pages >= 3, "page 1 and tables over at least two pages");
        const QString date = QDate::currentDate().toString(Qt::ISODate);
        for (int page = 1; page <= pages; ++page) {
            const QString& t = pageTexts[page - 1];
            QVERIFY(t.contains("road.KVT") && t.contains(date));
            QVERIFY2(t.contains(QStringLiteral("%1 of %2").arg(page).arg(pages)), qPrintable(t));
            // every page of the tables shows their headings
            if (page > 1)
                QVERIFY(t.contains(QRegularExpression("#\\s+Start\\s+End\\s+Length ft")));
        }

        // The rows vorlix-cli writes, each on a line of its own, stations rather than feet.
        QCOMPARE(Shell(QStringLiteral("%1 sections '%2' --workdir '%3' >/dev/null")
                           .arg(VORLIX_CLI_PATH, QString::fromStdString(files_.kvt), Work())),
                 0);
        const QList<QStringList> sectionRows =
            Rows(Work() + "/road.sections.csv", {0, 3, 4, 5, 6, 9, 13});
        const QList<QStringList> flagRows = Rows(Work() + "/road.flags.csv", {0, 3, 4, 5, 6, 8});
        QVERIFY(sectionRows.size() > 10 && !flagRows.isEmpty());
        QSet<QString> lines;
        for (const QString& line : text.split('\n'))
            lines << line.simplified();
        for (const QStringList& row : sectionRows + flagRows) {
            QString expression = "^";
            for (const QString& field : row)
                expression += (expression.size() > 1 ? "(?: .*)? " : "") +
                              QRegularExpression::escape(field) + "(?= |$)";
            const QRegularExpression pattern(expression);
            QVERIFY2(std::any_of(lines.begin(), lines.end(),
                                 [&](const QString& l) { return pattern.match(l).hasMatch(); }),
                     qPrintable(row.join(',')));
        }
    }

    void theWindowWritesTheSameReport() {
        auto doc = std::make_unique<CVorlixDoc>(dir_.Path());
        ConsoleViewHost host;
        CVorlixView view(*doc, host);
        QVERIFY(view.OpenFile(QString::fromStdString(files_.kvt)));
        // Asked before the sections are in: they are computed for it.
        QVERIFY(view.WriteReport(Work() + "/window.pdf"));
        QString fromWindow, fromCommand;
        Shell(QStringLiteral("pdftotext -layout '%1/window.pdf' -").arg(Work()), &fromWindow);
        Shell(QStringLiteral("pdftotext -layout '%1/road.pdf' -").arg(Work()), &fromCommand);
        QCOMPARE(fromWindow, fromCommand);
    }

    void aFailedWriteLeavesNoFile() {
        const QDir folder(Work() + "/small");
        QVERIFY(QDir().mkpath(folder.path()));
        // Files cannot grow beyond 8 blocks: the PDF's write fails part-way, as on a full disk.
        QVERIFY(Shell(QStringLiteral("ulimit -f 8; ") + Report(folder.filePath("r.pdf"))) != 0);
        QCOMPARE(folder.entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }
};

QTEST_MAIN(ReportTest)
#include "ReportTest.moc"
