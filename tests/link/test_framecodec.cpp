#include "core/AppError.h"
#include "link/FrameCodec.h"

#include <QtTest>

namespace {

QByteArray Hex(const char* spaced) { return QByteArray::fromHex(QByteArray(spaced).replace(' ', "")); }

QByteArray Frame(const QByteArray& text) { return EncodeFrame(text); }

} // namespace

class TestFrameCodec : public QObject {
    Q_OBJECT
private slots:
    void commandTexts()
    {
        QCOMPARE(BuildCmdText(5, 0, false, ""), QByteArray("(P05,0)"));
        QCOMPARE(BuildCmdText(11, 0, false, ",1"), QByteArray("(P11,0,1)"));
        QCOMPARE(BuildCmdText(10, 1, false, ",20"), QByteArray("(P10,1,20)"));
        QCOMPARE(BuildCmdText(1, 0, true, ""), QByteArray("(T01,0)"));
        QCOMPARE(BuildCmdText(20, 1, true, ",x"), QByteArray("(P20)")); // whatever the other fields
        QCOMPARE(BuildCmdText(100, 0, false, ""), QByteArray("(P100,0)"));
        QCOMPARE(BuildCmdText(-5, 0, false, ""), QByteArray("(P-05,0)"));
    }

    void encode_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("read firmware") << QByteArray("(P01,0)") << Hex("21 06 09 07 28 50 30 31 2C 30 29 01 74 21");
        QTest::newRow("factory default") << QByteArray("(P20)") << Hex("21 06 09 05 28 50 32 30 29 01 17 21");
        QTest::newRow("low checksum byte escaped as 3D 00")
            << QByteArray("(P12,1,240)") << Hex("21 06 09 0B 28 50 31 32 2C 31 2C 32 34 30 29 02 3D 00 21");
        QTest::newRow("empty text") << QByteArray() << Hex("21 06 09 00 00 0F 21");
    }
    void encode()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, wire);
        QCOMPARE(EncodeFrame(text), wire);
    }

    void lengthEscapes()
    {
        // 33 is the start byte's value, 61 the escape byte's: both go out as escape pairs.
        const QByteArray f33 = EncodeFrame(QByteArray(33, 'a'));
        QCOMPARE(f33.mid(3, 2), Hex("3D 1C"));
        QCOMPARE(f33.mid(5, 33), QByteArray(33, 'a'));
        const QByteArray f61 = EncodeFrame(QByteArray(61, 'a'));
        QCOMPARE(f61.mid(3, 2), Hex("3D 00"));
        // "!" and "=" inside the text are sent unchanged.
        const QByteArray bang = EncodeFrame("(P17,1,a!b=c)");
        QVERIFY(bang.contains("(P17,1,a!b=c)"));
        QCOMPARE(FrameChecksum("\xff\x01"), 256u);
    }

    void overlongTextRefused()
    {
        QCOMPARE(EncodeFrame(QByteArray(255, 'x')).size(), 255 + 7);
        QVERIFY_THROWS_EXCEPTION(EAppError, EncodeFrame(QByteArray(256, 'x')));
        try {
            EncodeFrame(QByteArray(300, 'x'));
        } catch (const EAppError& e) {
            QVERIFY(e.Message().contains("300"));
        }
    }

    void extractAnswer()
    {
        QByteArray buffer = Hex("21 06 09 13") + "(1234567890,P10,20)" + Hex("03 EB 21");
        QByteArray payload;
        QVERIFY(ExtractFrame(buffer, payload));
        QCOMPARE(payload, QByteArray("(1234567890,P10,20)"));
        QVERIFY(buffer.isEmpty());
        const TResponseHead head = ReadResponseHead(payload);
        QCOMPARE(head.Fields, TResponseFields({"1234567890", "P10", "20"}));
        QVERIFY(head.HasIdentifier);
        QVERIFY(!head.IsStatus);
        QCOMPARE(head.CmdNo, 10);
    }

    void extractFromAStream()
    {
        // Junk, a complete frame, half of a second frame.
        const QByteArray second = Frame("(0123456789,P05,1.2.3.4,8888,CMNET,,)");
        QByteArray buffer = "junk\x01\x02" + Frame("(0123456789,P01,V1)") + second.left(10);
        QByteArray payload;
        QVERIFY(ExtractFrame(buffer, payload));
        QCOMPARE(payload, QByteArray("(0123456789,P01,V1)"));
        QCOMPARE(buffer, second.left(10));
        QVERIFY(!ExtractFrame(buffer, payload)); // the rest has not arrived yet: unchanged
        QCOMPARE(buffer, second.left(10));
        buffer += second.mid(10);
        QVERIFY(ExtractFrame(buffer, payload));
        QCOMPARE(payload, QByteArray("(0123456789,P05,1.2.3.4,8888,CMNET,,)"));

        // Two frames in one buffer come out in order.
        buffer = Frame("(1,P09,300)") + Frame("(1,P10,20)");
        QVERIFY(ExtractFrame(buffer, payload));
        QCOMPARE(payload, QByteArray("(1,P09,300)"));
        QVERIFY(ExtractFrame(buffer, payload));
        QCOMPARE(payload, QByteArray("(1,P10,20)"));

        // A single start byte: false, buffer unchanged.
        buffer = "abc!def";
        QVERIFY(!ExtractFrame(buffer, payload));
        QCOMPARE(buffer, QByteArray("abc!def"));
        // No start byte at all.
        buffer = "no frame here";
        QVERIFY(!ExtractFrame(buffer, payload));
        QCOMPARE(buffer, QByteArray("no frame here"));
    }

    void framesWithoutPayloadAreConsumed()
    {
        QByteArray buffer = QByteArray("!no parentheses!") + Frame("(1,P09,5)");
        QByteArray payload;
        QVERIFY(!ExtractFrame(buffer, payload)); // consumed, nothing given
        QVERIFY(payload.isEmpty());
        QVERIFY(ExtractFrame(buffer, payload));
        QCOMPARE(payload, QByteArray("(1,P09,5)"));
        buffer = "!(open but never closed!";
        QVERIFY(!ExtractFrame(buffer, payload));
        QVERIFY(buffer.isEmpty());
    }

    void fortyByteAnswerKeepsItsIdentifier()
    {
        // The length byte of a 40-byte text is 0x28, the "(": the search starts behind it.
        const QByteArray text = "(0123456789,P05,10.20.30.40,8888,CMNET,)";
        QCOMPARE(text.size(), 40);
        QByteArray buffer = Frame(text);
        QCOMPARE(uint8_t(buffer[3]), 0x28);
        QByteArray payload;
        QVERIFY(ExtractFrame(buffer, payload));
        QCOMPARE(payload, text);
        QVERIFY(ReadResponseHead(payload).HasIdentifier);
        // An escaped length (33 bytes) is skipped as a pair.
        const QByteArray text33 = "(0123456789,P17,abcdefghijklmnop)";
        QCOMPARE(text33.size(), 33);
        buffer = Frame(text33);
        QVERIFY(ExtractFrame(buffer, payload));
        QCOMPARE(payload, text33);
        // Frames that do not begin with the two fixed bytes get the lenient search.
        buffer = "!xy(1,P01,V)!";
        QVERIFY(ExtractFrame(buffer, payload));
        QCOMPARE(payload, QByteArray("(1,P01,V)"));
    }

    void splitFields_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<TResponseFields>("fields");
        QTest::newRow("empty middle field") << QByteArray("a,,b") << TResponseFields({"a", "", "b"});
        QTest::newRow("trailing comma") << QByteArray("a,") << TResponseFields({"a", ""});
        QTest::newRow("empty text") << QByteArray() << TResponseFields({""});
        QTest::newRow("one field") << QByteArray("x") << TResponseFields({"x"});
    }
    void splitFields()
    {
        QFETCH(QByteArray, text);
        QFETCH(TResponseFields, fields);
        QCOMPARE(SplitFields(text), fields);
    }

    void responseHeads_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<bool>("identifier");
        QTest::addColumn<bool>("tag");
        QTest::addColumn<bool>("status");
        QTest::addColumn<int>("cmdNo");
        QTest::newRow("zeros are an identifier") << QByteArray("(0000000000,P17,a)") << true << true << false << 17;
        QTest::newRow("negative is not") << QByteArray("(-1,P17,a)") << false << true << false << 17;
        QTest::newRow("letters are not") << QByteArray("(12ab,P17,a)") << false << true << false << 17;
        QTest::newRow("empty is not") << QByteArray("(,P17,a)") << false << true << false << 17;
        QTest::newRow("status") << QByteArray("(1,T01,0,a,3,20,90)") << true << true << true << 1;
        QTest::newRow("lower-case t01 is command 1") << QByteArray("(1,t01,x)") << true << true << false << 1;
        QTest::newRow("T02 is command 2") << QByteArray("(1,T02)") << true << true << false << 2;
        QTest::newRow("X05 is command 5") << QByteArray("(1,X05)") << true << true << false << 5;
        QTest::newRow("tag without number") << QByteArray("(1,Pxx)") << true << true << false << 0;
        QTest::newRow("one field has no tag") << QByteArray("(1234)") << true << false << false << 0;
        QTest::newRow("empty parentheses") << QByteArray("()") << false << false << false << 0;
    }
    void responseHeads()
    {
        QFETCH(QByteArray, payload);
        QFETCH(bool, identifier);
        QFETCH(bool, tag);
        QFETCH(bool, status);
        QFETCH(int, cmdNo);
        const TResponseHead head = ReadResponseHead(payload);
        QCOMPARE(head.HasIdentifier, identifier);
        QCOMPARE(head.HasTag, tag);
        QCOMPARE(head.IsStatus, status);
        QCOMPARE(head.CmdNo, cmdNo);
    }

    void junkFloodIsBounded()
    {
        // A line that sends 1 MiB of junk and no frame never grows the buffer beyond its cap.
        QByteArray buffer;
        QByteArray payload;
        const QByteArray chunk(4096, 'j');
        for (int i = 0; i < 256; ++i) {
            buffer += chunk;
            CapRxBuffer(buffer);
            QVERIFY(!ExtractFrame(buffer, payload));
            QVERIFY(buffer.size() <= MaxRxBufferSize);
        }
        // A stray start byte followed by endless junk is bounded too.
        buffer = "!";
        for (int i = 0; i < 256; ++i) {
            buffer += chunk;
            CapRxBuffer(buffer);
            QVERIFY(buffer.size() <= MaxRxBufferSize);
        }
        // The cap never drops a frame's beginning when junk precedes it.
        buffer = QByteArray(MaxRxBufferSize, 'j') + Frame("(1,P09,5)").left(6);
        CapRxBuffer(buffer);
        QCOMPARE(buffer, Frame("(1,P09,5)").left(6));
        buffer += Frame("(1,P09,5)").mid(6);
        QVERIFY(ExtractFrame(buffer, payload));
        QCOMPARE(payload, QByteArray("(1,P09,5)"));
    }
};

QTEST_GUILESS_MAIN(TestFrameCodec)
#include "test_framecodec.moc"
