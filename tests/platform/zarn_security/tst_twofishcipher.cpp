// Enciphered bytes must prove they were made with this key from exactly these bytes: a wrong
// key or any damage is refused before anything is deciphered, never handed on as content.
#include "HexText.h"
#include "TwoFishCipher.h"

#include <QMessageAuthenticationCode>
#include <QtTest>

#include <random>

using namespace zarn_sec;

namespace {

// The layout as documented in TwoFishCipher.h, restated here so that a change to the format
// (which would orphan every file already written) cannot pass unnoticed.
constexpr std::size_t kBlock = 16;
constexpr std::size_t kTag = 32;
constexpr char kDocumentedLabel[] = "zarn_sec twofish-cbc hmac-sha256 key";

std::vector<uint8_t> FixedBytes(std::size_t count, uint8_t step, uint8_t start)
{
    std::vector<uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<uint8_t>(start + i * step);
    }
    return bytes;
}

const std::vector<uint8_t> kKey = FixedBytes(32, 13, 1);
const std::vector<uint8_t> kIv = FixedBytes(16, 29, 5);

QByteArray AsBytes(const std::vector<uint8_t>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// Tries every variant, counts those deciphered without an error and those refused with
// another text than the one for a wrong key or damage; keeps the first of each to show.
struct Tally {
    int tried = 0;
    int accepted = 0;
    int otherText = 0;
    QString firstAccepted;
    QString firstOtherText;

    void Try(const std::vector<uint8_t>& key, const std::vector<uint8_t>& iv, const std::vector<uint8_t>& stored,
             const QString& what)
    {
        ++tried;
        try {
            Decipher(key, iv, stored);
            if (accepted++ == 0) {
                firstAccepted = what;
            }
        } catch (const std::runtime_error& error) {
            const QString text = QString::fromUtf8(error.what());
            const bool echoesKey = text.contains(QString::fromStdString(ToHex(key)), Qt::CaseInsensitive);
            if (!text.contains(QLatin1String("wrong key or damaged file")) || echoesKey) {
                if (otherText++ == 0) {
                    firstOtherText = what + QStringLiteral(": ") + text;
                }
            }
        }
    }

    void Verify() const
    {
        QVERIFY2(accepted == 0,
                 qPrintable(QStringLiteral("%1 of %2 accepted, first %3").arg(accepted).arg(tried).arg(firstAccepted)));
        QVERIFY2(otherText == 0, qPrintable(QStringLiteral("%1 of %2 refused unclearly, first %3")
                                                .arg(otherText)
                                                .arg(tried)
                                                .arg(firstOtherText)));
    }
};

} // namespace

class TwoFishCipherTest : public QObject {
    Q_OBJECT

private slots:
    void rightKeyRoundTrips_data()
    {
        QTest::addColumn<int>("length");
        for (int length : {0, 1, 15, 16, 17, 1000}) {
            QTest::addRow("%d bytes", length) << length;
        }
    }
    void rightKeyRoundTrips()
    {
        QFETCH(int, length);
        const auto plain = FixedBytes(static_cast<std::size_t>(length), 7, 3);
        const auto stored = Encipher(kKey, kIv, plain);
        QCOMPARE(stored.size(), (plain.size() / kBlock + 1) * kBlock + kTag);
        QCOMPARE(Decipher(kKey, kIv, stored), plain);
    }

    // The stored bytes are the CBC ciphertext, then HMAC-SHA256 over IV and ciphertext under a
    // key derived from the cipher key; computed here with Qt's own HMAC, not ours.
    void layoutAsDocumented()
    {
        const auto plain = FixedBytes(40, 11, 0);
        const auto stored = Encipher(kKey, kIv, plain);
        QCOMPARE(stored.size(), 48 + kTag);
        const std::vector<uint8_t> cipher(stored.begin(), stored.end() - kTag);
        const std::vector<uint8_t> tag(stored.end() - kTag, stored.end());
        const QByteArray macKey = QMessageAuthenticationCode::hash(QByteArray(kDocumentedLabel), AsBytes(kKey),
                                                                   QCryptographicHash::Sha256);
        QVERIFY(macKey != AsBytes(kKey));
        QCOMPARE(AsBytes(tag), QMessageAuthenticationCode::hash(AsBytes(kIv) + AsBytes(cipher), macKey,
                                                                QCryptographicHash::Sha256));
    }

    // A large fixed set of wrong keys: random ones from a fixed seed, and every key one bit
    // away from the right one.
    void everyWrongKeyIsRefused_data()
    {
        QTest::addColumn<int>("plainLength");
        QTest::newRow("one block") << 5;
        QTest::newRow("several blocks") << 200;
    }
    void everyWrongKeyIsRefused()
    {
        QFETCH(int, plainLength);
        const auto stored = Encipher(kKey, kIv, FixedBytes(static_cast<std::size_t>(plainLength), 3, 9));
        Tally tally;
        std::mt19937 generator(20240611u);
        for (int i = 0; i < 4096; ++i) {
            std::vector<uint8_t> key(32);
            do {
                for (auto& b : key) b = static_cast<uint8_t>(generator() >> 24);
            } while (key == kKey);
            tally.Try(key, kIv, stored, QStringLiteral("random key %1").arg(i));
        }
        for (std::size_t bit = 0; bit < kKey.size() * 8; ++bit) {
            auto key = kKey;
            key[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
            tally.Try(key, kIv, stored, QStringLiteral("key bit %1 flipped").arg(bit));
        }
        tally.Verify();
    }

    // Every byte of the stored bytes (ciphertext and tag) changed to each of the 255 other
    // values, and every byte of the IV to a few: nothing gets through.
    void everyOneByteChangeIsRefused_data()
    {
        QTest::addColumn<int>("plainLength");
        QTest::newRow("one block") << 5;
        QTest::newRow("three blocks") << 40;
    }
    void everyOneByteChangeIsRefused()
    {
        QFETCH(int, plainLength);
        const auto stored = Encipher(kKey, kIv, FixedBytes(static_cast<std::size_t>(plainLength), 3, 9));
        Tally tally;
        for (std::size_t position = 0; position < stored.size(); ++position) {
            for (int delta = 1; delta < 256; ++delta) {
                auto damaged = stored;
                damaged[position] ^= static_cast<uint8_t>(delta);
                tally.Try(kKey, kIv, damaged, QStringLiteral("byte %1 ^ %2").arg(position).arg(delta));
            }
        }
        for (std::size_t position = 0; position < kIv.size(); ++position) {
            for (int delta : {0x01, 0x80, 0xFF}) {
                auto iv = kIv;
                iv[position] ^= static_cast<uint8_t>(delta);
                tally.Try(kKey, iv, stored, QStringLiteral("IV byte %1 ^ %2").arg(position).arg(delta));
            }
        }
        tally.Verify();
    }

    // Cut short or lengthened bytes: refused, by size when the size cannot be right, by the
    // tag otherwise (whole blocks cut or added keep a plausible size).
    void changedLengthIsRefused()
    {
        const auto stored = Encipher(kKey, kIv, FixedBytes(40, 3, 9));
        for (std::size_t length = 0; length < stored.size(); ++length) {
            const std::vector<uint8_t> cut(stored.begin(), stored.begin() + length);
            QVERIFY_THROWS_EXCEPTION(std::runtime_error, Decipher(kKey, kIv, cut));
        }
        Tally tally;
        for (std::size_t blocks = 1; blocks <= 2; ++blocks) {
            tally.Try(kKey, kIv, std::vector<uint8_t>(stored.begin() + blocks * kBlock, stored.end()),
                      QStringLiteral("first %1 blocks dropped").arg(blocks));
            auto longer = stored;
            longer.insert(longer.end() - kTag, blocks * kBlock, 0x10);
            tally.Try(kKey, kIv, longer, QStringLiteral("%1 padding blocks added").arg(blocks));
        }
        tally.Verify();
    }

    void badSizesAreClear_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << 0 << "Cipher data is empty";
        QTest::newRow("tag only") << 32 << "Cipher data is too short";
        QTest::newRow("one byte short") << 47 << "Cipher data is too short";
        QTest::newRow("odd size") << 49 << "not a multiple of 16";
        QTest::newRow("block and tag less one") << 63 << "not a multiple of 16";
    }
    void badSizesAreClear()
    {
        QFETCH(int, size);
        QFETCH(QString, expected);
        try {
            Decipher(kKey, kIv, std::vector<uint8_t>(static_cast<std::size_t>(size), 0x10));
            QFAIL("bytes of an impossible size were accepted");
        } catch (const std::runtime_error& error) {
            QVERIFY2(QString::fromUtf8(error.what()).contains(expected), error.what());
        }
    }
};

QTEST_GUILESS_MAIN(TwoFishCipherTest)
#include "tst_twofishcipher.moc"
