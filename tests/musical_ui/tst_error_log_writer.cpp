#include "ErrorLogWriter.h"

#include <QtTest>

#include <sstream>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace {

ErrorLogWriter::SystemInfo FixedSystem()
{
    ErrorLogWriter::SystemInfo info;
    info.cpuArchitecture = "x86_64";
    info.productType = "Debian GNU/Linux 12 (bookworm)";
    info.kernelType = "linux";
    info.kernelVersion = "6.1.0";
    info.hostName = "";
    return info;
}

constexpr std::int64_t kGiB = 1024LL * 1024 * 1024;
const std::string kSeparator(43, '-');

// Everything after the "Log Created on: " line, which holds the wall-clock time.
std::string AfterCreationLine(const std::string& log)
{
    const auto at = log.find("Log Created on: ");
    return log.substr(log.find('\n', at) + 1);
}

class QuietWriter : public ErrorLogWriter
{
public:
    QuietWriter(std::ostream* stream, ErrorLogWriter::SystemInfo info)
        : ErrorLogWriter(stream, "Corvane", "1.2.3 - ", std::move(info))
    {
    }
};

} // namespace

class TestErrorLogWriter : public QObject
{
    Q_OBJECT

private slots:
    void fnv1aVectors_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<quint64>("hash");
        // Published 64-bit FNV-1a vectors.
        QTest::newRow("empty") << QByteArray("") << quint64(0xcbf29ce484222325ULL);
        QTest::newRow("a") << QByteArray("a") << quint64(0xaf63dc4c8601ec8cULL);
        QTest::newRow("foobar") << QByteArray("foobar") << quint64(0x85944171f73967e8ULL);
    }
    void fnv1aVectors()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(quint64, hash);
        QCOMPARE(ErrorLogWriter::Fnv1a64(std::string_view(bytes.constData(), bytes.size())), hash);
    }

    void headerIsExact()
    {
        auto info = FixedSystem();
        info.hostName = "foobar";
        info.volumes.push_back({"root", "/", "ext4", 500 * kGiB, 1000 * kGiB, true});
        info.volumes.push_back({"cdrom", "/media/cd", "iso9660", 0, 0, false});
        info.volumes.push_back({"big", "/srv", "xfs", kGiB / 2, 1234567LL * kGiB + kGiB / 3, true});
        std::ostringstream out;
        QuietWriter writer(&out, info);
        const std::string log = out.str();

        const std::string expectedStart = "Lantern Hill Studios Error Log\n" + kSeparator + "\n"
                                          + "Application: Corvane\nVersion: 1.2.3 - \nLog Created on: ";
        QCOMPARE(log.substr(0, expectedStart.size()), expectedStart);
        // ctime's fixed 24-character form plus its own line feed.
        const auto created = log.find("Log Created on: ") + 16;
        QCOMPARE(log.find('\n', created) - created, std::size_t(24));

        const std::string expectedRest = kSeparator + "\n" + "System Information:\n"
                                         + "CPU Architecture: x86_64\n"
                                         + "Product Type: Debian GNU/Linux 12 (bookworm)\n"
                                         + "Kernel Type: linux\n" + "Kernel Version: 6.1.0\n"
                                         + "Hashed Machine ID: 85944171f73967e8\n" + kSeparator + "\n"
                                         + "Mounted Volumes:\n"
                                         + "\tName: root \tRoot:/ \tFileSys:ext4 \tDisk Spaces:500GB/1000GB\n"
                                         + "\tName: big \tRoot:/srv \tFileSys:xfs \tDisk Spaces:0.5GB/1.23457e+06GB\n"
                                         + kSeparator + "\n";
        QCOMPARE(AfterCreationLine(log), expectedRest);
    }

    void volumesEdgeCases()
    {
        {
            std::ostringstream out;
            QuietWriter writer(&out, FixedSystem());
            QVERIFY(AfterCreationLine(out.str()).find("Mounted Volumes:\nNone.\n" + kSeparator) != std::string::npos);
            QVERIFY(out.str().find("Hashed Machine ID: cbf29ce484222325\n") != std::string::npos);
        }
        {
            auto info = FixedSystem();
            info.volumes.push_back({"cdrom", "/media/cd", "iso9660", 0, 0, false});
            std::ostringstream out;
            QuietWriter writer(&out, info);
            QVERIFY(out.str().find("Mounted Volumes:\n" + kSeparator) != std::string::npos);
        }
    }

    void exceptionRecord_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("typeName");
        QTest::addColumn<QString>("message");
        QTest::newRow("runtime_error") << "runtime" << "class std::runtime_error" << "disk gone";
        QTest::newRow("multi-line message") << "runtime" << "class std::runtime_error" << "first\nsecond";
        QTest::newRow("system_error") << "system" << "class std::system_error" << "";
        QTest::newRow("logic_error") << "logic" << "class std::logic_error" << "bad";
    }
    void exceptionRecord()
    {
        QFETCH(QString, kind);
        QFETCH(QString, typeName);
        QFETCH(QString, message);
        std::ostringstream out;
        QuietWriter writer(&out, FixedSystem());
        const std::size_t headerSize = out.str().size();

        auto write = [&](const std::exception& e) {
            writer.WriteException(e);
            const std::string line = out.str().substr(headerSize);
            const std::string expectedTail = ": An EXCEPTION has been generated by the system.\n\tException type: "
                                             + typeName.toStdString() + "\n\tException: " + e.what() + "\n\n";
            QVERIFY2(line.size() > expectedTail.size(), line.c_str());
            QCOMPARE(line.substr(line.size() - expectedTail.size()), expectedTail);
            const std::string stamp = line.substr(0, line.size() - expectedTail.size());
            QVERIFY(!stamp.empty());
            QVERIFY(stamp.find_first_not_of("0123456789") == std::string::npos);
        };
        if (kind == "runtime")
            write(std::runtime_error(message.toStdString()));
        else if (kind == "logic")
            write(std::logic_error(message.toStdString()));
        else
            write(std::system_error(std::make_error_code(std::errc::io_error), ""));
    }

    void linesFromManyThreadsStayWhole()
    {
        std::ostringstream out;
        QuietWriter writer(&out, FixedSystem());
        writer.echo = false;
        const std::size_t headerSize = out.str().size();
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&writer, t] {
                for (int i = 0; i < 200; ++i)
                    writer.WriteLine("thread " + std::to_string(t) + " line " + std::to_string(i));
            });
        for (auto& thread : threads)
            thread.join();
        std::istringstream lines(out.str().substr(headerSize));
        std::string line;
        int count = 0;
        while (std::getline(lines, line)) {
            ++count;
            QVERIFY2(line.find(": thread ") != std::string::npos, line.c_str());
        }
        QCOMPARE(count, 800);
    }
};

QTEST_GUILESS_MAIN(TestErrorLogWriter)
#include "tst_error_log_writer.moc"
