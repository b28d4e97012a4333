#include <QStringDecoder>
#include <QtGlobal>
#include <cctype>
#include <map>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "files/CodePage.h"
#include "files/Rtf.h"

namespace kelvarn {

namespace {

// Groups nested deeper than this are read as part of the deepest group kept:
// no document needs more, and each level costs memory.
constexpr int kMaxGroupDepth = 128;

// Numeric parameters beyond this are cut to it, so no number can overflow.
constexpr long long kMaxParameter = 1000000000;

// Groups whose content is never text of the document.
bool IsSkippedDestination(std::string_view word) {
    static const std::unordered_set<std::string_view> kSkipped = {
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
    return kSkipped.count(word) > 0;
}

// The control words the reader acts on.
enum class Word {
    kOther,
    kFontTable,
    kColorTable,
    kAnsiCpg,
    kDeff,
    kAnsi,
    kPc,
    kPca,
    kUc,
    kU,
    kPar,
    kLine,
    kTab,
    kChar,  // a word that stands for one character
    kBold,
    kItalic,
    kUlNone,
    kUnderline,
    kFontSize,
    kColor,
    kFont,
    kPlain,
    kRed,
    kGreen,
    kBlue,
    kCharset,
    kCpg,
    kBin,
};

struct WordInfo {
    Word word = Word::kOther;
    char16_t ch = 0;  // for kChar
};

WordInfo LookUp(std::string_view w) {
    static const std::unordered_map<std::string_view, WordInfo> kWords = {
        {"fonttbl", {Word::kFontTable}},
        {"colortbl", {Word::kColorTable}},
        {"ansicpg", {Word::kAnsiCpg}},
        {"deff", {Word::kDeff}},
        {"ansi", {Word::kAnsi}},
        {"pc", {Word::kPc}},
        {"pca", {Word::kPca}},
        {"uc", {Word::kUc}},
        {"u", {Word::kU}},
        {"par", {Word::kPar}},
        {"sect", {Word::kPar}},
        {"page", {Word::kPar}},
        {"row", {Word::kPar}},
        {"line", {Word::kLine}},
        {"tab", {Word::kTab}},
        {"cell", {Word::kTab}},
        {"emdash", {Word::kChar, 0x2014}},
        {"endash", {Word::kChar, 0x2013}},
        {"bullet", {Word::kChar, 0x2022}},
        {"lquote", {Word::kChar, 0x2018}},
        {"rquote", {Word::kChar, 0x2019}},
        {"ldblquote", {Word::kChar, 0x201C}},
        {"rdblquote", {Word::kChar, 0x201D}},
        {"enspace", {Word::kChar, 0x2002}},
        {"emspace", {Word::kChar, 0x2003}},
        {"qmspace", {Word::kChar, 0x2005}},
        {"b", {Word::kBold}},
        {"i", {Word::kItalic}},
        {"ulnone", {Word::kUlNone}},
        {"ul", {Word::kUnderline}},
        {"uld", {Word::kUnderline}},
        {"uldb", {Word::kUnderline}},
        {"ulw", {Word::kUnderline}},
        {"uldash", {Word::kUnderline}},
        {"ulth", {Word::kUnderline}},
        {"ulwave", {Word::kUnderline}},
        {"fs", {Word::kFontSize}},
        {"cf", {Word::kColor}},
        {"f", {Word::kFont}},
        {"plain", {Word::kPlain}},
        {"red", {Word::kRed}},
        {"green", {Word::kGreen}},
        {"blue", {Word::kBlue}},
        {"fcharset", {Word::kCharset}},
        {"cpg", {Word::kCpg}},
        {"bin", {Word::kBin}},
    };
    const auto it = kWords.find(w);
    return it == kWords.end() ? WordInfo{} : it->second;
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
                    if (stack_.size() < kMaxGroupDepth)
                        stack_.push_back(stack_.back());
                    else
                        ++unkeptDepth_;
                    break;
                case '}':
                    Flush();
                    skipLeft_ = 0;
                    if (unkeptDepth_ > 0)
                        --unkeptDepth_;
                    else
                        CloseGroup();
                    break;
                case '\\': ControlSequence(); break;
                case '\r':
                case '\n': break;
                default: TextByte(static_cast<uint8_t>(c)); break;
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
            case kText: pending_ += char(b); break;
            case kColorTable:
                if (b == ';') {
                    colors_.push_back(colorHasParts_ ? (red_ << 16) | (green_ << 8) | blue_ : -1);
                    red_ = green_ = blue_ = 0;
                    colorHasParts_ = false;
                }
                break;
            default: break;
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
        const std::string_view name(data_.constData() + start, size_t(pos_ - start));
        const WordInfo word = LookUp(name);
        bool hasParam = false;
        long long param = 0;
        bool negative = false;
        if (pos_ < data_.size() && data_[pos_] == '-') {
            negative = true;
            ++pos_;
        }
        while (pos_ < data_.size() && std::isdigit(static_cast<unsigned char>(data_[pos_]))) {
            hasParam = true;
            param = qMin(kMaxParameter, param * 10 + (data_[pos_] - '0'));
            ++pos_;
        }
        if (negative) param = -param;
        if (pos_ < data_.size() && data_[pos_] == ' ') ++pos_;
        if (word.word == Word::kOther && Top().dest != kText) return;  // nothing to do
        Flush();
        if (word.word == Word::kBin) {
            // Binary data follows, counted in bytes; never text.
            pos_ = qMin<qsizetype>(data_.size(), pos_ + qMax<long long>(0, param));
            return;
        }
        if (SkipFallback()) return;
        if (word.word == Word::kOther) {
            if (IsSkippedDestination(name)) Top().dest = kSkip;
            return;
        }
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
            case '~': TextChars(QString(QChar(0x00A0))); break;
            case '_': TextChars(QString(QChar(0x2011))); break;
            case '\r':
            case '\n': EndParagraph(); break;
            default: break;  // \- optional hyphen, \: and the rest show nothing
        }
    }

    void ControlWord(const WordInfo& w, bool hasParam, int param) {
        State& s = Top();
        const bool on = !hasParam || param != 0;

        if (s.dest == kFontTable) {
            if (w.word == Word::kFont) {
                fontInTable_ = param;
            } else if (w.word == Word::kCharset) {
                const int cp = CodePageForCharset(param);
                if (cp > 0 && !fontHasCpg_[fontInTable_]) fontCodePage_[fontInTable_] = cp;
            } else if (w.word == Word::kCpg) {
                fontCodePage_[fontInTable_] = param;
                fontHasCpg_[fontInTable_] = true;
            }
            return;
        }
        if (s.dest == kColorTable) {
            int* part = w.word == Word::kRed     ? &red_
                        : w.word == Word::kGreen ? &green_
                        : w.word == Word::kBlue  ? &blue_
                                                 : nullptr;
            if (part) {
                *part = param & 0xFF;
                colorHasParts_ = true;
            }
            return;
        }
        if (s.dest == kSkip) return;

        switch (w.word) {
            case Word::kFontTable: s.dest = kFontTable; break;
            case Word::kColorTable: s.dest = kColorTable; break;
            case Word::kAnsiCpg: docCodePage_ = param; break;
            case Word::kDeff: defaultFont_ = param; break;
            case Word::kAnsi: docCodePage_ = 1252; break;
            case Word::kPc: docCodePage_ = 437; break;
            case Word::kPca: docCodePage_ = 850; break;
            case Word::kUc: s.ucSkip = qMax(0, param); break;
            case Word::kU:
                if (!hasParam) break;
                // A signed 16-bit value; anything outside is no character,
                // but its fallback is still dropped.
                if (param >= -32768 && param <= 65535)
                    TextChars(QString(QChar(char16_t(param < 0 ? param + 65536 : param))));
                skipLeft_ = s.ucSkip;
                break;
            case Word::kPar: EndParagraph(); break;
            case Word::kLine: TextChars(QString(QChar(QChar::LineSeparator))); break;
            case Word::kTab: TextChars(QStringLiteral("\t")); break;
            case Word::kChar: TextChars(QString(QChar(w.ch))); break;
            case Word::kBold: s.bold = on; break;
            case Word::kItalic: s.italic = on; break;
            case Word::kUlNone: s.underline = false; break;
            case Word::kUnderline: s.underline = on; break;
            case Word::kFontSize: s.pointSize = hasParam && param > 0 ? param / 2.0 : 0; break;
            case Word::kColor:
                s.color = param > 0 && param < int(colors_.size()) ? colors_[size_t(param)] : -1;
                break;
            case Word::kFont: s.font = param; break;
            case Word::kPlain:
                s.bold = s.italic = s.underline = false;
                s.pointSize = 0;
                s.color = -1;
                s.font = -1;
                break;
            default: break;
        }
    }

    const QByteArray data_;
    qsizetype pos_ = 0;
    bool done_ = false;
    std::vector<State> stack_;
    QByteArray pending_;         // text bytes not yet decoded
    int skipLeft_ = 0;           // fallback characters still to drop after \uN
    qsizetype unkeptDepth_ = 0;  // open groups beyond kMaxGroupDepth
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

RichText ReadPlainText(const QByteArray& bytes) {
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
