#include "view/ViewHarness.h"

#include <QTest>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>

// Companion files that are damaged: the raw file still opens and analyses, the status bar
// says what was refused, and every data view draws and answers a click.
class DamagedCompanionsTest : public QObject {
    Q_OBJECT

private:
    static void WriteInt(const std::string& path, long offset, std::int32_t value) {
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(offset);
        const unsigned char bytes[4] = {
            static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
            static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
        f.write(reinterpret_cast<const char*>(bytes), 4);
    }
    static void Truncate(const std::string& path, std::uintmax_t size) {
        std::filesystem::resize_file(path, size);
    }

private slots:
    void rawFileOpensDespiteDamagedCompanions_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<bool>("noted"); // the status bar names what was refused or cut
        QTest::newRow("pictures cut short") << "img-short" << true;
        QTest::newRow("absurd picture count") << "img-count" << true;
        QTest::newRow("index past the end") << "img-index" << true;
        QTest::newRow("negative index offset") << "img-negative" << true;
        QTest::newRow("GPR wrong kind mark") << "gpr-kind" << true;
        QTest::newRow("GPR header only") << "gpr-header" << true;
        QTest::newRow("GPR cut inside a scan") << "gpr-cut" << true;
        QTest::newRow("GPS cut short") << "gps-short" << true;
        QTest::newRow("picture index missing") << "img-no-index" << true;
        QTest::newRow("no companions, GPR display on") << "none" << true;
    }
    void rawFileOpensDespiteDamagedCompanions() {
        QFETCH(QString, damage);
        QFETCH(bool, noted);
        TempDir dir;
        synth::Options options;
        options.groups = 1200;
        options.pictures = 12;
        SynthFiles files = GenerateSynthFiles(dir, options);
        QVERIFY2(files.ok, files.error.c_str());
        const std::string d = damage.toStdString();
        if (d == "img-short")
            Truncate(files.img, 100);
        else if (d == "img-count")
            WriteInt(files.img, 244, 1 << 30);
        else if (d == "img-index")
            WriteInt(files.img, 248,
                     static_cast<std::int32_t>(std::filesystem::file_size(files.img) + 1000));
        else if (d == "img-no-index")
            WriteInt(files.img, 244, 0);
        else if (d == "img-negative")
            WriteInt(files.img, 248, -8);
        else if (d == "gpr-kind")
            std::fstream(files.dat, std::ios::in | std::ios::out | std::ios::binary)
                .write("NOT-GPR", 7);
        else if (d == "gpr-header")
            Truncate(files.dat, 2048);
        else if (d == "gpr-cut")
            Truncate(files.dat, std::filesystem::file_size(files.dat) - 1000);
        else if (d == "gps-short")
            Truncate(files.gps, 37);
        else if (d == "none")
            for (const std::string& path : {files.img, files.dat, files.gps})
                std::filesystem::remove(path);

        const auto bytes = [](const std::string& path) {
            std::ifstream in(path, std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(in), {});
        };
        const std::string imagesBefore = bytes(files.img);
        ViewUnderTest t(dir.Path(), QSize(1400, 900));
        t.doc.options.showGprColormap = 1;
        QVERIFY(t.view.OpenFile(QString::fromStdString(files.kvt)));
        QVERIFY(t.doc.pointCount > 0);
        QVERIFY(t.doc.cycleCount > 0);
        QVERIFY(t.host.messages.isEmpty());
        QCOMPARE(!t.host.statuses.last().isEmpty(), noted);
        // Reading never writes: a damaged picture file stays as it was.
        QVERIFY(bytes(files.img) == imagesBefore);
        for (ViewCommand command :
             {ViewCommand::DataView1, ViewCommand::DataView2, ViewCommand::DataView3,
              ViewCommand::DataView4, ViewCommand::Other}) {
            t.view.RunCommand(command);
            t.view.ClickAtDistance(t.doc.cycleDistance[t.doc.cycleCount / 2]);
        }
    }
};

QTEST_MAIN(DamagedCompanionsTest)
#include "DamagedCompanionsTest.moc"
