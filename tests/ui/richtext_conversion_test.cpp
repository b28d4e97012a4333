#include <gtest/gtest.h>

#include <QFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include "files/Rtf.h"
#include "widgets/RichTextDocument.h"

using namespace kelvarn;

namespace {

RichText Sample() {
    RichText t;
    auto para = [&](std::initializer_list<RichRun> runs) {
        RichParagraph p;
        for (const RichRun& r : runs) p.Append(r);
        t.paragraphs.push_back(p);
    };
    para({RichRun{"Beschreibung"}});
    para({});
    para({RichRun{"normal "}, RichRun{"fett", true}, RichRun{"kursiv", false, true},
          RichRun{"unter", false, false, true}, RichRun{"rot 14", true, true, true, 14, 0xFF0000}});
    para({RichRun{QString::fromUtf8("Zeile\u2028Umbruch\tTab ä € 가"), false, false, false, 9,
                  0x248CFF}});
    return t;
}

// Per character: text, bold, italic, underline, size and colour as shown.
struct Shown {
    QString text;
    std::vector<QString> formats;
};
Shown Show(const QTextDocument& doc) {
    Shown s;
    s.text = doc.toPlainText();
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            const QString desc = QStringLiteral("%1%2%3 %4 %5")
                                     .arg(f.fontWeight() >= QFont::Bold ? "b" : "-")
                                     .arg(f.fontItalic() ? "i" : "-")
                                     .arg(f.fontUnderline() ? "u" : "-")
                                     .arg(f.fontPointSize())
                                     .arg(f.foreground().color().name());
            for (int i = 0; i < it.fragment().length(); ++i) s.formats.push_back(desc);
        }
        s.formats.push_back("block end");
    }
    return s;
}

}  // namespace

TEST(RichTextDocument, ModelSurvivesTheDocument) {
    QTextDocument doc;
    ToDocument(Sample(), doc);
    EXPECT_EQ(doc.blockCount(), 4);
    EXPECT_EQ(doc.toPlainText(), Sample().PlainText());
    EXPECT_EQ(FromDocument(doc), Sample());

    // Loading replaces everything that was there.
    ToDocument(RichText::FromPlainText("neu"), doc);
    EXPECT_EQ(doc.toPlainText(), QString("neu"));
    EXPECT_EQ(FromDocument(doc), RichText::FromPlainText("neu"));
}

TEST(RichTextDocument, EditedTextLooksTheSameAfterSaveAndLoad) {
    QTextEdit edit;
    edit.setHtml(
        "<p>Erste <b>fette</b> Zeile</p>"
        "<p><i>kursiv</i> und <u>unterstrichen</u><br>nach Umbruch</p>"
        "<p><span style=\"font-size:16pt; color:#e10000\">gross und rot</span></p>"
        "<p></p>");
    const QByteArray rtf = WriteRtf(FromDocument(*edit.document()));
    QTextDocument loaded;
    ToDocument(ReadRtf(rtf), loaded);
    const Shown before = Show(*edit.document());
    const Shown after = Show(loaded);
    EXPECT_EQ(after.text, before.text);
    EXPECT_EQ(after.formats, before.formats) << rtf.toStdString();
    EXPECT_EQ(loaded.blockCount(), edit.document()->blockCount());
}

TEST(RichTextDocument, PlainDescriptionKeepsItsEmptyLastLine) {
    QTextEdit edit;
    edit.setPlainText("Beschreibung\n");
    const RichText t = FromDocument(*edit.document());
    ASSERT_EQ(t.paragraphs.size(), 2u);
    QTextDocument loaded;
    ToDocument(ReadRtf(WriteRtf(t)), loaded);
    EXPECT_EQ(loaded.blockCount(), 2);
    EXPECT_EQ(loaded.toPlainText(), QString("Beschreibung\n"));
}

TEST(RichTextDocument, WindowsRemarksShowAsTwoLines) {
    QTextDocument doc;
    ToDocument(ReadRtf("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1031{\\fonttbl{\\f0\\fswiss"
                       "\\fcharset0 Arial;}}\\viewkind4\\uc1\\pard\\f0\\fs20 L\\'e4rm an der "
                       "Stra\\'dfe\\par Messung 2\\par}"),
               doc);
    EXPECT_EQ(doc.blockCount(), 2);
    EXPECT_EQ(doc.toPlainText(), QString::fromUtf8("Lärm an der Straße\nMessung 2"));
    EXPECT_EQ(doc.begin().begin().fragment().charFormat().fontPointSize(), 10.0);
}
