#include <gtest/gtest.h>

#include <QStringDecoder>
#include <QStringList>

#include "files/RichText.h"
#include "files/Rtf.h"

using namespace kelvarn;

namespace {

QStringList Lines(const RichText& t) {
    QStringList lines;
    for (const RichParagraph& p : t.paragraphs) lines << p.Text();
    return lines;
}

RichRun Plain(const QString& text) {
    return RichRun{text};
}

}  // namespace

TEST(RtfReader, WindowsRichEditSampleGivesTwoLines) {
    const QByteArray sample =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1031{\\fonttbl{\\f0\\fswiss\\fcharset0 "
        "Arial;}}\\viewkind4\\uc1\\pard\\f0\\fs20 L\\'e4rm an der Stra\\'dfe\\par Messung "
        "2\\par}";
    const RichText t = ReadRtf(sample);
    EXPECT_EQ(Lines(t), (QStringList{QString::fromUtf8("Lärm an der Straße"), "Messung 2"}));
    ASSERT_EQ(t.paragraphs.size(), 2u);
    ASSERT_EQ(t.paragraphs[0].runs.size(), 1u);
    EXPECT_EQ(t.paragraphs[0].runs[0].pointSize, 10.0);
    EXPECT_FALSE(t.paragraphs[0].runs[0].bold);
    EXPECT_EQ(t.PlainText(), QString::fromUtf8("Lärm an der Straße\nMessung 2"));
}

TEST(RtfReader, ParagraphMarksAndTheEndOfTheDocument) {
    // The mark that ends the last paragraph opens no new one; an explicit
    // empty paragraph before it stays.
    const struct {
        const char* rtf;
        QStringList lines;
    } cases[] = {
        {"{\\rtf1 A}", {"A"}},
        {"{\\rtf1 A\\par}", {"A"}},
        {"{\\rtf1 A\\par\\par}", {"A", ""}},
        {"{\\rtf1 A\\par B}", {"A", "B"}},
        {"{\\rtf1 \\par A\\par}", {"", "A"}},
        {"{\\rtf1 }", {}},
        {"{\\rtf1 A\\par\r\nB\\par\r\n}\r\n", {"A", "B"}},
        {"{\\rtf1 A\\\r\nB}", {"A", "B"}},
        {"{\\rtf1 A}trailing text", {"A"}},
        {"{\\rtf1 unclosed\\par half", {"unclosed", "half"}},
    };
    for (const auto& c : cases) EXPECT_EQ(Lines(ReadRtf(c.rtf)), c.lines) << c.rtf;
}

TEST(RtfReader, SpecialCharactersAndUnicode) {
    const struct {
        const char* rtf;
        const char* text;  // UTF-8
    } cases[] = {
        {"{\\rtf1 a\\\\b\\{c\\}d}", "a\\b{c}d"},
        {"{\\rtf1 a\\tab b}", "a\tb"},
        {"{\\rtf1 a\\~b\\_c\\-d}", "a\u00a0b\u2011cd"},
        {"{\\rtf1 \\ldblquote x\\rdblquote  \\endash  \\emdash \\bullet}",
         "\u201cx\u201d \u2013 \u2014\u2022"},
        {"{\\rtf1\\uc1 \\u228?\\u8364?}", "ä€"},
        {"{\\rtf1\\uc1 \\u-21504?}", "가"},
        {"{\\rtf1\\uc1 \\u-10188?\\u-8930?}", "𝄞"},
        // The fallback after \uN is dropped, \'hh and control words counted as one.
        {"{\\rtf1\\uc2 a\\u8364\\'80\\'80b}", "a€b"},
        {"{\\rtf1\\uc2 a\\u8364 EUb}", "a€b"},
        {"{\\rtf1\\uc1 a\\u8364\\'80b\\uc0 \\u8364 c}", "a€b€c"},
        {"{\\rtf1\\uc1 a\\u252\\tab b}", "aüb"},
        // A group ends the fallback early.
        {"{\\rtf1\\uc3 \\u228{x}y}", "äxy"},
        // A nested \uc applies inside its group only.
        {"{\\rtf1\\uc1 {\\uc0 \\u228}\\u246?}", "äö"},
        {"{\\rtf1 raw\xe4}", "rawä"},
        // Control characters are no text; the fallback after \u8 still goes.
        {"{\\rtf1 a\\'07b\\u8?c\\'0d\\'0a}", "abc"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadRtf(c.rtf).PlainText(), QString::fromUtf8(c.text)) << c.rtf;
}

TEST(RtfReader, CodePagesForHexEscapes) {
    const struct {
        const char* rtf;
        const char* text;
    } cases[] = {
        {"{\\rtf1\\ansi \\'e4\\'80\\'93}", "ä€“"},
        {"{\\rtf1\\ansi\\ansicpg1250 \\'b9\\'e8\\'9e}", "ąčž"},
        {"{\\rtf1\\pc \\'84\\'94\\'81\\'e1}", "äöüß"},
        {"{\\rtf1\\ansi\\ansicpg850 \\'e1\\'9d}", "ßØ"},
        // A font's charset wins over the document's code page.
        {"{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset238 Arial "
         "CE;}}\\f0 \\'e8{\\f1 \\'e8}\\'e8}",
         "èčè"},
        {"{\\rtf1\\ansi\\ansicpg1252\\deff1{\\fonttbl{\\f1\\fcharset238 Arial CE;}}\\'e8}", "č"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadRtf(c.rtf).PlainText(), QString::fromUtf8(c.text)) << c.rtf;
}

TEST(RtfReader, OtherCodePagesThroughQtConverters) {
    if (!QStringDecoder("windows-1251").isValid()) GTEST_SKIP() << "Qt built without ICU";
    EXPECT_EQ(ReadRtf("{\\rtf1\\ansi\\ansicpg1251 \\'e4\\'e0}").PlainText(),
              QString::fromUtf8("да"));
}

TEST(RtfReader, SkipsDestinationsItDoesNotShow) {
    const QByteArray rtf =
        "{\\rtf1\\ansi{\\fonttbl{\\f0\\fnil Courier;}}{\\colortbl;\\red1\\green2\\blue3;}"
        "{\\stylesheet{\\s0 Normal;}}{\\info{\\author Anna}{\\title Bericht}}"
        "{\\*\\generator Riched20 10.0.19041;}{\\*\\somethingnew {nested} stuff}"
        "{\\header Kopf}{\\footer Fuss}{\\pict\\wmetafile8\\picw10 0102abcdef}"
        "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt Link}}"
        "{\\object\\objemb{\\*\\objdata 0102}{\\result Ergebnis}}"
        "\\pard Text {\\*\\bkmkstart m}mit{\\*\\bkmkend m} Bin\\bin5 {}\\}\xff danach\\par}";
    EXPECT_EQ(ReadRtf(rtf).PlainText(), QString("LinkText mit Bin danach"));
}

TEST(RtfReader, CharacterAttributes) {
    const QByteArray rtf =
        "{\\rtf1{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green128\\blue255;}"
        "plain \\b bold\\b0  \\i\\ul it-ul\\ulnone  it\\i0  {\\fs28 big}{\\cf2 blue}\\cf1 "
        "red\\cf0  auto\\cf7  bad \\b\\fs30\\cf1 x\\plain y}";
    const RichText t = ReadRtf(rtf);
    ASSERT_EQ(t.paragraphs.size(), 1u);
    RichParagraph expected;
    auto add = [&](const char* text, bool b, bool i, bool u, double fs, int color) {
        expected.runs.push_back(RichRun{text, b, i, u, fs, color});
    };
    add("plain ", false, false, false, 0, -1);
    add("bold", true, false, false, 0, -1);
    add(" ", false, false, false, 0, -1);
    add("it-ul", false, true, true, 0, -1);
    add(" it", false, true, false, 0, -1);
    add(" ", false, false, false, 0, -1);
    add("big", false, false, false, 14, -1);
    add("blue", false, false, false, 0, 0x0080FF);
    add("red", false, false, false, 0, 0xFF0000);
    add(" auto bad ", false, false, false, 0, -1);
    add("x", true, false, false, 15, 0xFF0000);
    add("y", false, false, false, 0, -1);
    EXPECT_EQ(t.paragraphs[0], expected);
}

TEST(RtfReader, TextThatIsNotRtfLoadsAsPlainText) {
    const struct {
        QByteArray data;
        QStringList lines;
    } cases[] = {
        {"Bemerkungen hier ...", {"Bemerkungen hier ..."}},
        {"L\xc3\xa4rm\r\nStra\xc3\x9f"
         "e",
         {"Lärm", "Straße"}},
        {"\xef\xbb\xbfmit BOM\nzwei", {"mit BOM", "zwei"}},
        {"L\xe4rm\rStra\xdf"
         "e \x80",
         {"Lärm", "Straße €"}},
        {"a\n\nb\n", {"a", "", "b", ""}},
        {"{\\rt kein RTF}", {"{\\rt kein RTF}"}},
        {"", {""}},
        // Control characters are no text here either, so a save keeps all
        // that was read.
        {QByteArray("Zeile 2 \xc3\x01\0\0\0\xa4\tb\x1f", 17), {"Zeile 2 \u00c3\u00a4\tb"}},
    };
    for (const auto& c : cases) {
        QStringList expected;
        for (const QString& l : c.lines) expected << l;
        EXPECT_EQ(Lines(ReadRtf(c.data)), expected) << c.data.toStdString();
        EXPECT_EQ(ReadRtf(WriteRtf(ReadRtf(c.data))).PlainText(), ReadRtf(c.data).PlainText());
    }
    EXPECT_TRUE(LooksLikeRtf("  \r\n{\\rtf1 x}"));
    EXPECT_FALSE(LooksLikeRtf("rtf1"));
}

TEST(RtfReader, MalformedInputNeitherCrashesNorLoops) {
    const QByteArray inputs[] = {
        "{\\rtf1 \\",
        "{\\rtf1 \\'",
        "{\\rtf1 \\'4",
        "{\\rtf1 \\u",
        "{\\rtf1 \\u-",
        "{\\rtf1 }}}}x",
        "{\\rtf1 \\bin999999 ab",
        "{\\rtf1 \\uc99999 \\u65 abc",
        "{\\rtf1 \\u99999999999 x",
        QByteArray("{\\rtf1 ") + QByteArray(100000, '{') + "deep",
    };
    for (const QByteArray& in : inputs) {
        const RichText t = ReadRtf(in);
        EXPECT_LE(t.paragraphs.size(), 1u) << in.left(40).toStdString();
    }
    EXPECT_EQ(ReadRtf(QByteArray("{\\rtf1 ") + QByteArray(100000, '{') + "deep").PlainText(),
              QString("deep"));
}

TEST(RtfWriter, WritesControlWordsARichEditReads) {
    RichText t;
    RichParagraph p;
    p.Append(Plain(QString::fromUtf8("Lärm € 가 {x} \\")));
    p.Append(RichRun{"fett", true, false, false, 10, 0x123456});
    t.paragraphs.push_back(p);
    const QByteArray rtf = WriteRtf(t);
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252")) << rtf.toStdString();
    EXPECT_TRUE(rtf.contains("\\uc1")) << rtf.toStdString();
    EXPECT_TRUE(rtf.contains("L\\u228?rm \\u8364? \\u-21504? \\{x\\} \\\\")) << rtf.toStdString();
    EXPECT_TRUE(rtf.contains("{\\colortbl ;\\red18\\green52\\blue86;}")) << rtf.toStdString();
    EXPECT_TRUE(rtf.contains("{\\b\\fs20\\cf1 fett}\\par")) << rtf.toStdString();
    for (char c : rtf) EXPECT_LT(static_cast<unsigned char>(c), 0x80) << "RTF is 7-bit";
    EXPECT_TRUE(rtf.trimmed().endsWith('}'));
}

TEST(RtfWriter, RoundTripKeepsParagraphsAndAttributes) {
    RichText t;
    auto para = [&](std::initializer_list<RichRun> runs) {
        RichParagraph p;
        for (const RichRun& r : runs) p.Append(r);
        t.paragraphs.push_back(p);
    };
    para({Plain("Beschreibung")});
    para({});
    para({Plain("  zwei Blanks vorn, Tab\tund"), RichRun{" fett", true},
          RichRun{"kursiv", false, true}, RichRun{"unter", false, false, true},
          RichRun{"alles", true, true, true, 13.5, 0xFF0000}, Plain(" normal ")});
    para({RichRun{QString::fromUtf8("Größe 8 grün"), false, false, false, 8, 0x00FF00},
          RichRun{QString::fromUtf8("Zeile\u2028Umbruch"), false, false, false, 8, 0x0000FF},
          RichRun{"schwarz", false, false, false, 0, 0x000000}});
    para({Plain(QString::fromUtf8("ä ö ü ß € ¼ \u00a0 가 𝄞 \\ { } ; ? 123"))});
    para({Plain("\\par {\\b kein Steuerwort}")});
    para({});

    const QByteArray rtf = WriteRtf(t);
    const RichText back = ReadRtf(rtf);
    EXPECT_EQ(back, t) << rtf.toStdString();
    EXPECT_EQ(WriteRtf(back), rtf) << "writing what was read gives the same bytes";
    EXPECT_EQ(ReadRtf(WriteRtf(RichText{})), RichText{});
}

TEST(RichText, PlainTextConversions) {
    const RichText t = RichText::FromPlainText("eins\r\nzwei\rdrei\n\nfünf");
    EXPECT_EQ(Lines(t), (QStringList{"eins", "zwei", "drei", "", QString::fromUtf8("fünf")}));
    EXPECT_EQ(t.PlainText(), QString::fromUtf8("eins\nzwei\ndrei\n\nfünf"));
    EXPECT_EQ(RichText::FromPlainText("").paragraphs.size(), 1u);
    EXPECT_TRUE(RichText::FromPlainText("").paragraphs[0].runs.empty());

    RichParagraph p;
    p.Append(Plain("a"));
    p.Append(Plain("b"));
    p.Append(RichRun{"", true});
    p.Append(RichRun{"c", true});
    ASSERT_EQ(p.runs.size(), 2u);
    EXPECT_EQ(p.runs[0].text, "ab");
    EXPECT_EQ(p.Text(), "abc");
}

TEST(RtfReader, EscapesAndNumbersAtTheirLimits) {
    const struct {
        const char* rtf;
        const char* text;
    } cases[] = {
        {"{\\rtf1 a\\'e4b}",
         "a\xC3\xA4"
         "b"},
        {"{\\rtf1 a\\'4gb}", "a4gb"},  // one hex digit is no byte
        {"{\\rtf1 a\\'4}", "a4"},
        {"{\\rtf1 a\\u65?b}", "aAb"},
        {"{\\rtf1 a\\u-4?b}",
         "a\xEF\xBF\xBC"
         "b"},
        // Numbers that would overflow are cut, never wrapped to a character:
        // 2^64 + 65 wrapped would be "A".
        {"{\\rtf1 a\\u18446744073709551681?b}", "ab"},
        {"{\\rtf1 a\\u65536?b}", "ab"},
        {"{\\rtf1 a\\fs18446744073709551617 b}", "ab"},
        {"{\\rtf1 a\\bin99999999999999999999 b}", "a"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadRtf(c.rtf).PlainText(), QString::fromUtf8(c.text)) << c.rtf;
    // The cut size is no size a wrapped number gives.
    const RichText big = ReadRtf("{\\rtf1 {\\fs18446744073709551617 x}}");
    ASSERT_EQ(big.paragraphs.size(), 1u);
    EXPECT_EQ(big.paragraphs[0].runs[0].pointSize, 500000000.0);
}

TEST(RtfReader, DeepGroupsAreReadAsTextOfTheDeepestKeptGroup) {
    // Bold set in a group below the limit holds for everything deeper.
    QByteArray rtf = "{\\rtf1 ";
    for (int i = 0; i < 300; ++i) rtf += i == 100 ? "{\\b " : "{";
    rtf += "tief";
    for (int i = 0; i < 300; ++i) rtf += '}';
    rtf += " nach}";
    const RichText t = ReadRtf(rtf);
    ASSERT_EQ(t.paragraphs.size(), 1u);
    ASSERT_EQ(t.paragraphs[0].runs.size(), 2u);
    EXPECT_EQ(t.paragraphs[0].runs[0], (RichRun{"tief", true}));
    EXPECT_EQ(t.paragraphs[0].runs[1], (RichRun{" nach"}));
    // Text after the document's own group has closed still does not count,
    // however deep the input went.
    EXPECT_EQ(
        ReadRtf("{\\rtf1 " + QByteArray(1000, '{') + "x" + QByteArray(1001, '}') + "y").PlainText(),
        QString("x"));
}

TEST(RtfReader, GroupsUpToTheBoundKeepTheirOwnFormatting) {
    // Bold in a group at depth d (the document's own group is depth 1), then text in the group
    // around it. Up to depth 127 the bold ends with its group; deeper groups are read as part
    // of the deepest one kept (depth 127), so from depth 128 on it holds there too. Without
    // the bound every depth would keep its own; a lower one would let a depth-5 group leak.
    const struct {
        int depth;
        bool outerBold;
    } cases[] = {{2, false},   {5, false},  {6, false},  {64, false},
                 {127, false}, {128, true}, {129, true}, {5000, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.depth);
        QByteArray rtf = "{\\rtf1 " + QByteArray(c.depth - 2, '{');
        rtf += "{\\b fett}aussen" + QByteArray(c.depth - 2, '}') + " oben}";
        const RichText t = ReadRtf(rtf);
        ASSERT_EQ(t.paragraphs.size(), 1u);
        const std::vector<RichRun> expected =
            c.outerBold ? std::vector<RichRun>{{"fettaussen", true}, {" oben"}}
                        : std::vector<RichRun>{{"fett", true}, {"aussen oben"}};
        ASSERT_EQ(t.paragraphs[0].runs.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(t.paragraphs[0].runs[i], expected[i])
                << t.paragraphs[0].runs[i].text.toStdString();
    }
}

TEST(RtfWriter, EveryCharacterOutsideAsciiIsAnEscape) {
    const struct {
        char16_t ch;
        const char* rtf;
    } cases[] = {
        {0x7E, "~"},           {0x7F, "\x7F"},         {0x80, "\\u128?"},  {0xFF, "\\u255?"},
        {0x7FFF, "\\u32767?"}, {0x8000, "\\u-32768?"}, {0xFFFD, "\\u-3?"}, {0xFFFF, "\\u-1?"},
    };
    for (const auto& c : cases) {
        const QByteArray rtf = WriteRtf(RichText::FromPlainText(QString(QChar(c.ch))));
        EXPECT_TRUE(rtf.contains(QByteArray("\\f0 ") + c.rtf + "\\par"))
            << int(c.ch) << rtf.constData();
        EXPECT_EQ(ReadRtf(rtf).PlainText(), QString(QChar(c.ch))) << int(c.ch);
    }
}
