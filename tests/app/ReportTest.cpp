#include "app/ConsoleViewHost.h"
#include "document/CVorlixDoc.h"
#include "support/CsvRows.h"
#include "support/SynthFixture.h"
#include "view/CVorlixView.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <fstream>
#include <iterator>
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

    // Runs a shell line (the offscreen platform comes from the test's environment); its exit
    // code, and its stdout in *out.
    static int Shell(const QString& line, QString* out = nullptr) {
        QProcess process;
        process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), line});
        process.waitForFinished(120000);
        if (out)
            *out = QString::fromUtf8(process.readAllStandardOutput());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    QString Report(const QString& out) const {
        return QStringLiteral("%1 --report '%2' --workdir '%3' '%4'")
            .arg(VORLIX_APP_PATH, out, Work(), QString::fromStdString(files_.kvt));
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
        // Each row as the fields the report shows, in its order.
        const std::pair<const char*, std::vector<int>> tables[] = {
            {"/road.sections.csv", {0, 3, 4, 5, 6, 9, 13}},
            {"/road.flags.csv", {0, 3, 4, 5, 6, 8}}};
        QStringList lines = text.split('\n');
        for (QString& line : lines)
            line = line.simplified();
        for (const auto& [name, columns] : tables) {
            std::ifstream file(dir_.Path() + name, std::ios::binary);
            const auto rows = CsvRows(std::string(std::istreambuf_iterator<char>(file), {}));
            QVERIFY(rows.size() > 5);
            for (std::size_t r = 1; r < rows.size(); ++r) {
                QString expression = "^";
                for (int column : columns)
                    expression += (expression.size() > 1 ? "(?: .*)? " : "") +
                                  QRegularExpression::escape(QString::fromStdString(
                                      rows[r][static_cast<std::size_t>(column)])) +
                                  "(?= |$)";
                QVERIFY2(lines.indexOf(QRegularExpression(expression + ".*")) >= 0,
                         qPrintable(expression));
            }
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
