#include <QStringDecoder>
#include <QtGlobal>
#include <cctype>
#include <map>
#include <utility>
#include <vector>

#include "files/CodePage.h"
#include "files/Rtf.h"

namespace kelvarn {

namespace {

// Groups whose content is never text of the document.
bool IsSkippedDestination(const QByteArray& word) {
    static const char* const kSkipped[] = {
        "stylesheet",   "info",       "pict",      "header",    "headerl",    "headerr",
        "headerf",      "footer",     "footerl",   "footerr",   "footerf",    "footnote",
        "annotation",   "object",     "objdata",   "fldinst",   "themedata",  "colorschememapping",
        "latentstyles", "datastore",  "xmlnstbl",  "rsidtbl",   "listtable",  "listoverridetable",
        "revtbl",       "filetbl",    "generator", "author",    "operator",   "title",
        "subject",      "keywords",   "comment",   "doccomm",   "nonshppict", "shppict",
        "shpinst",      "background", "pgdsctbl",  "userprops", "bkmkstart",  "bkmkend",
        "xe",           "tc",         "txe",       "private",   "fchars",     "lchars",
        "mmathPr",      "atnid",      "atnauthor", "ftnsep",    "ftnsepc",    "ftncn",
        "aftnsep",      "aftnsepc",   "aftncn",    "template",  "docvar",     "pnseclvl",
    };
    for (const char* s : kSkipped)
        if (word == s) return true;
    return false;
}

class RtfParser {
public:
    explicit RtfParser(QByteArray data) : data_(std::move(data)) {}

    RichText Parse() {
        stack_.push_back(State{});
        const qsizetype n = data_.size();
        for (pos_ = 0; pos_ < n && !done_;) {
            const char c = data_[pos_++];
            switch (c) {
                case '{':
                    Flush();
                    skipLeft_ = 0;
                    stack_.push_back(stack_.back());
                    break;
                case '}':
                    Flush();
                    skipLeft_ = 0;
                    CloseGroup();
                    break;
                case '\\':
                    ControlSequence();
                    break;
                case '\r':
                case '\n':
                    break;
                default:
                    TextByte(static_cast<uint8_t>(c));
                    break;
            }
        }
        Flush();
        // The mark that ends the last paragraph opens no new one.
        if (!current_.runs.empty() || paragraphOpen_) result_.paragraphs.push_back(current_);
        return result_;
    }

private:
    enum Destination { kText, kSkip, kFontTable, kColorTable };

    struct State {
        Destination dest = kText;
        bool bold = false, italic = false, underline = false;
        double pointSize = 0;  // [pt]
        int color = -1;
        int font = -1;
        int ucSkip = 1;
    };

    State& Top() { return stack_.back(); }

    void CloseGroup() {
        if (stack_.size() > 1) stack_.pop_back();
        // Once the document's own group has closed, nothing after it counts.
        if (stack_.size() <= 1) done_ = true;
    }

    int CodePage() const {
        const int font = stack_.back().font >= 0 ? stack_.back().font : defaultFont_;
        if (font >= 0) {
            const auto cp = fontCodePage_.find(font);
            if (cp != fontCodePage_.end() && cp->second > 0) return cp->second;
        }
        return docCodePage_;
    }

    // Consumes one character of the fallback after \uN; true if it was one.
    bool SkipFallback() {
        if (skipLeft_ <= 0) return false;
        --skipLeft_;
        return true;
    }

    void TextByte(uint8_t b) {
        if (SkipFallback()) return;
        switch (Top().dest) {
            case kText:
                pending_ += char(b);
                break;
            case kColorTable:
                if (b == ';') {
                    colors_.push_back(colorHasParts_ ? (red_ << 16) | (green_ << 8) | blue_ : -1);
                    red_ = green_ = blue_ = 0;
                    colorHasParts_ = false;
                }
                break;
            default:
                break;
        }
    }

    void Flush() {
        if (pending_.isEmpty()) return;
        const QByteArray bytes = pending_;
        pending_.clear();
        TextChars(DecodeCodePage(bytes, CodePage()));
    }

    void TextChars(const QString& input) {
        if (Top().dest != kText || input.isEmpty()) return;
        // Control characters other than the tab are not text a field shows.
        QString text = input;
        text.removeIf([](QChar c) { return c.unicode() < 0x20 && c != QLatin1Char('\t'); });
        if (text.isEmpty()) return;
        const State& s = Top();
        RichRun run{text, s.bold, s.italic, s.underline, s.pointSize, s.color};
        current_.Append(run);
        paragraphOpen_ = true;
    }

    void EndParagraph() {
        if (Top().dest != kText) return;
        result_.paragraphs.push_back(current_);
        current_ = RichParagraph{};
        paragraphOpen_ = false;
    }

    static int HexValue(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    void ControlSequence() {
        if (pos_ >= data_.size()) return;
        const char c = data_[pos_];
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++pos_;
            ControlSymbol(c);
            return;
        }
        const qsizetype start = pos_;
        while (pos_ < data_.size() && std::isalpha(static_cast<unsigned char>(data_[pos_]))) ++pos_;
        const QByteArray word = data_.mid(start, pos_ - start);
        bool hasParam = false;
        long long param = 0;
        bool negative = false;
        if (pos_ < data_.size() && data_[pos_] == '-') {
            negative = true;
            ++pos_;
        }
        while (pos_ < data_.size() && std::isdigit(static_cast<unsigned char>(data_[pos_]))) {
            hasParam = true;
            if (param < 100000000) param = param * 10 + (data_[pos_] - '0');
            ++pos_;
        }
        if (negative) param = -param;
        if (pos_ < data_.size() && data_[pos_] == ' ') ++pos_;
        Flush();
        if (word == "bin") {
            // Binary data follows, counted in bytes; never text.
            pos_ = qMin<qsizetype>(data_.size(), pos_ + qMax<long long>(0, param));
            return;
        }
        if (SkipFallback()) return;
        ControlWord(word, hasParam, int(param));
    }

    void ControlSymbol(char c) {
        if (c == '\'') {
            int hi = pos_ < data_.size() ? HexValue(data_[pos_]) : -1;
            int lo = pos_ + 1 < data_.size() ? HexValue(data_[pos_ + 1]) : -1;
            if (hi < 0 || lo < 0) return;
            pos_ += 2;
            TextByte(static_cast<uint8_t>(hi * 16 + lo));
            return;
        }
        if (c == '\\' || c == '{' || c == '}') {
            TextByte(static_cast<uint8_t>(c));
            return;
        }
        Flush();
        if (c == '*') {
            // An ignorable destination: none of them carries text we show.
            Top().dest = kSkip;
            return;
        }
        if (SkipFallback()) return;
        switch (c) {
            case '~':
                TextChars(QString(QChar(0x00A0)));
                break;
            case '_':
                TextChars(QString(QChar(0x2011)));
                break;
            case '\r':
            case '\n':
                EndParagraph();
                break;
            default:
                break;  // \- optional hyphen, \: and the rest show nothing
        }
    }

    void ControlWord(const QByteArray& w, bool hasParam, int param) {
        State& s = Top();
        const bool on = !hasParam || param != 0;

        if (s.dest == kFontTable) {
            if (w == "f")
                fontInTable_ = param;
            else if (w == "fcharset") {
                const int cp = CodePageForCharset(param);
                if (cp > 0 && !fontHasCpg_[fontInTable_]) fontCodePage_[fontInTable_] = cp;
            } else if (w == "cpg") {
                fontCodePage_[fontInTable_] = param;
                fontHasCpg_[fontInTable_] = true;
            }
            return;
        }
        if (s.dest == kColorTable) {
            int* part = w == "red"     ? &red_
                        : w == "green" ? &green_
                        : w == "blue"  ? &blue_
                                       : nullptr;
            if (part) {
                *part = param & 0xFF;
                colorHasParts_ = true;
            }
            return;
        }
        if (s.dest == kSkip) return;

        if (w == "fonttbl")
            s.dest = kFontTable;
        else if (w == "colortbl")
            s.dest = kColorTable;
        else if (IsSkippedDestination(w))
            s.dest = kSkip;
        else if (w == "ansicpg")
            docCodePage_ = param;
        else if (w == "deff")
            defaultFont_ = param;
        else if (w == "ansi")
            docCodePage_ = 1252;
        else if (w == "pc")
            docCodePage_ = 437;
        else if (w == "pca")
            docCodePage_ = 850;
        else if (w == "uc")
            s.ucSkip = qMax(0, param);
        else if (w == "u" && hasParam) {
            TextChars(QString(QChar(char16_t(param < 0 ? param + 65536 : param))));
            skipLeft_ = s.ucSkip;
        } else if (w == "par" || w == "sect" || w == "page" || w == "row")
            EndParagraph();
        else if (w == "line")
            TextChars(QString(QChar(QChar::LineSeparator)));
        else if (w == "tab" || w == "cell")
            TextChars(QStringLiteral("\t"));
        else if (w == "emdash")
            TextChars(QString(QChar(0x2014)));
        else if (w == "endash")
            TextChars(QString(QChar(0x2013)));
        else if (w == "bullet")
            TextChars(QString(QChar(0x2022)));
        else if (w == "lquote")
            TextChars(QString(QChar(0x2018)));
        else if (w == "rquote")
            TextChars(QString(QChar(0x2019)));
        else if (w == "ldblquote")
            TextChars(QString(QChar(0x201C)));
        else if (w == "rdblquote")
            TextChars(QString(QChar(0x201D)));
        else if (w == "enspace")
            TextChars(QString(QChar(0x2002)));
        else if (w == "emspace")
            TextChars(QString(QChar(0x2003)));
        else if (w == "qmspace")
            TextChars(QString(QChar(0x2005)));
        else if (w == "b")
            s.bold = on;
        else if (w == "i")
            s.italic = on;
        else if (w == "ulnone")
            s.underline = false;
        else if (w == "ul" || w == "uld" || w == "uldb" || w == "ulw" || w == "uldash" ||
                 w == "ulth" || w == "ulwave")
            s.underline = on;
        else if (w == "fs")
            s.pointSize = hasParam && param > 0 ? param / 2.0 : 0;
        else if (w == "cf")
            s.color = param > 0 && param < int(colors_.size()) ? colors_[param] : -1;
        else if (w == "f")
            s.font = param;
        else if (w == "plain") {
            s.bold = s.italic = s.underline = false;
            s.pointSize = 0;
            s.color = -1;
            s.font = -1;
        }
    }

    const QByteArray data_;
    qsizetype pos_ = 0;
    bool done_ = false;
    std::vector<State> stack_;
    QByteArray pending_;  // text bytes not yet decoded
    int skipLeft_ = 0;    // fallback characters still to drop after \uN
    int docCodePage_ = 1252;
    int defaultFont_ = -1;
    std::map<int, int> fontCodePage_;
    std::map<int, bool> fontHasCpg_;
    int fontInTable_ = 0;
    std::vector<int> colors_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorHasParts_ = false;
    RichText result_;
    RichParagraph current_;
    bool paragraphOpen_ = false;
};

// As in RTF text, control characters other than the tab and the line ends
// are not text a field shows; kept, they would vanish on the next save.
RichText PlainParagraphs(QString text) {
    text.removeIf([](QChar c) {
        return c.unicode() < 0x20 && c != QLatin1Char('\t') && c != QLatin1Char('\n') &&
               c != QLatin1Char('\r');
    });
    return RichText::FromPlainText(text);
}

RichText ReadPlainText(const QByteArray& data) {
    QByteArray bytes = data;
    if (bytes.startsWith("\xEF\xBB\xBF")) return PlainParagraphs(QString::fromUtf8(bytes.mid(3)));
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(QStringDecoder::Utf16);  // honours the byte order mark
        return PlainParagraphs(utf16.decode(bytes));
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return PlainParagraphs(text);
    return PlainParagraphs(DecodeCodePage(bytes, 1252));
}

}  // namespace

bool LooksLikeRtf(const QByteArray& data) {
    qsizetype i = 0;
    if (data.startsWith("\xEF\xBB\xBF")) i = 3;
    while (i < data.size() &&
           (data[i] == ' ' || data[i] == '\r' || data[i] == '\n' || data[i] == '\t'))
        ++i;
    return data.mid(i, 5) == "{\\rtf";
}

RichText ReadRtf(const QByteArray& data) {
    if (!LooksLikeRtf(data)) return ReadPlainText(data);
    qsizetype start = data.indexOf('{');
    return RtfParser(data.mid(start)).Parse();
}

}  // namespace kelvarn
