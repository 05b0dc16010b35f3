// Reading a document for the HTML view without a browser engine.
//
// Decoding: a byte-order mark decides; without one, text that is valid UTF-8
// is UTF-8 (ASCII included), anything else is the device's Western code page
// 1252, whose bytes 0x80-0x9F are typographic marks rather than controls.
// Broken UTF-8 after a mark shows U+FFFD where it breaks.
//
// HTML is read the forgiving way browsers read it: a '<' that does not open
// a tag is text, an entity that is not known stays as written, an unclosed
// comment or script swallows the rest. Runs of white space are one space;
// block elements start a new line and paragraphs leave a blank one; the
// contents of script, style, title and similar elements are not text.
#include "emulator/ce/document_text.h"

#include <cstdint>

#include "common/code_page_1252.h"

namespace zk::ce {
namespace {

constexpr char16_t REPLACEMENT = 0xFFFD;

// The length of the UTF-8 sequence at bytes[0] and its code point, or 0 when
// it is not a well-formed sequence (overlong forms and surrogates included).
std::size_t Utf8Sequence(const unsigned char* bytes, std::size_t left, char32_t& code) {
    unsigned char lead = bytes[0];
    std::size_t length;
    char32_t minimum;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, minimum = 0x80, code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, minimum = 0x800, code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, minimum = 0x10000, code = lead & 0x07;
    } else {
        return 0;
    }
    if (left < length) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((bytes[k] & 0xC0) != 0x80) return 0;
        code = (code << 6) | (bytes[k] & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

bool ValidUtf8(const unsigned char* bytes, std::size_t size) {
    char32_t code;
    for (std::size_t at = 0; at < size;) {
        std::size_t length = Utf8Sequence(bytes + at, size - at, code);
        if (!length) return false;
        at += length;
    }
    return true;
}

// Appends a code point as UTF-16; returns the units written.
std::size_t PutCode(char32_t code, char16_t* out) {
    if (code < 0x10000) {
        if (out) out[0] = static_cast<char16_t>(code);
        return 1;
    }
    code -= 0x10000;
    if (out) {
        out[0] = static_cast<char16_t>(0xD800 + (code >> 10));
        out[1] = static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    }
    return 2;
}

std::size_t DecodeUtf8(const unsigned char* bytes, std::size_t size, char16_t* out) {
    std::size_t used = 0;
    for (std::size_t at = 0; at < size;) {
        char32_t code;
        std::size_t length = Utf8Sequence(bytes + at, size - at, code);
        if (!length) code = REPLACEMENT, length = 1;
        used += PutCode(code, out ? out + used : nullptr);
        at += length;
    }
    return used;
}

std::size_t DecodeUtf16(const unsigned char* bytes, std::size_t size, bool bigEndian,
                        char16_t* out) {
    std::size_t units = size / 2;  // a last odd byte is no character
    if (out)
        for (std::size_t k = 0; k < units; ++k) {
            unsigned first = bytes[2 * k], second = bytes[2 * k + 1];
            out[k] = static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
        }
    return units;
}

std::size_t DecodeCp1252(const unsigned char* bytes, std::size_t size, char16_t* out) {
    if (out)
        for (std::size_t k = 0; k < size; ++k) out[k] = Cp1252ToUnicode(bytes[k]);
    return size;
}

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }
bool IsLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}
// Control characters other than the white space above show as nothing.
bool IsControl(char16_t c) { return (c < 0x20 && !IsSpace(c)) || c == 0x7F || c == 0xFEFF; }

// Whether text[at...] begins with the ASCII word, ignoring letter case.
bool StartsWith(const char16_t* text, std::size_t length, std::size_t at, const char* word) {
    for (; *word; ++word, ++at)
        if (at >= length || Lower(text[at]) != static_cast<char16_t>(*word)) return false;
    return true;
}

// Where the word occurs from `at` on (ignoring letter case), or length.
std::size_t Find(const char16_t* text, std::size_t length, std::size_t at, const char* word) {
    for (; at < length; ++at)
        if (StartsWith(text, length, at, word)) return at;
    return length;
}

// The display text being written, with the line breaks and the space that
// the HTML so far asks for held back until the next visible character: no
// blank lines at the start or the end, no space at the end of a line.
class DisplayWriter {
public:
    explicit DisplayWriter(char16_t* out) : out_(out) {}

    void Visible(char16_t c) {
        if (written_) {
            if (breaks_)
                for (; breaks_; --breaks_) NewLine();
            else if (space_)
                Put(u' ');
        }
        breaks_ = 0;
        space_ = false;
        written_ = true;
        Put(c);
    }
    void Code(char32_t code) {
        if (code >= 0x10000) {
            code -= 0x10000;
            Visible(static_cast<char16_t>(0xD800 + (code >> 10)));
            Put(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            Visible(static_cast<char16_t>(code));
        }
    }
    void Space() { space_ = true; }
    // A line break of its own (<br>, a new line inside <pre>).
    void Break() { ++breaks_; }
    // At least this many line ends between the text before and after.
    void Block(int lines) {
        if (breaks_ < lines) breaks_ = lines;
    }
    void NewLine() {
        Put(u'\r');
        Put(u'\n');
    }
    void Put(char16_t c) {
        if (out_) out_[used_] = c;
        ++used_;
    }
    std::size_t Used() const { return used_; }

private:
    char16_t* out_;
    std::size_t used_ = 0;
    int breaks_ = 0;
    bool space_ = false;
    bool written_ = false;
};

// Names in place, not behind pointers: the tables are part of a program
// that must stay small.
struct Entity {
    char name[7];
    char16_t code;
};

constexpr Entity ENTITIES[] = {
    {"amp", u'&'},      {"lt", u'<'},       {"gt", u'>'},       {"quot", u'"'},
    {"apos", u'\''},    {"nbsp", 0x00A0},   {"copy", 0x00A9},   {"reg", 0x00AE},
    {"trade", 0x2122},  {"mdash", 0x2014},  {"ndash", 0x2013},  {"hellip", 0x2026},
    {"lsquo", 0x2018},  {"rsquo", 0x2019},  {"ldquo", 0x201C},  {"rdquo", 0x201D},
    {"laquo", 0x00AB},  {"raquo", 0x00BB},  {"bull", 0x2022},   {"middot", 0x00B7},
    {"euro", 0x20AC},   {"pound", 0x00A3},  {"yen", 0x00A5},    {"cent", 0x00A2},
    {"deg", 0x00B0},    {"sect", 0x00A7},   {"para", 0x00B6},   {"times", 0x00D7},
    {"auml", 0x00E4},   {"ouml", 0x00F6},   {"uuml", 0x00FC},   {"Auml", 0x00C4},
    {"Ouml", 0x00D6},   {"Uuml", 0x00DC},   {"szlig", 0x00DF},  {"eacute", 0x00E9},
    {"egrave", 0x00E8}, {"agrave", 0x00E0}, {"ccedil", 0x00E7}, {"shy", 0x00AD},
};

// The entity at text[at] == '&': its code point and length, or 0 when it is
// not one (then the '&' is text).
std::size_t ReadEntity(const char16_t* text, std::size_t length, std::size_t at, char32_t& code) {
    constexpr std::size_t LONGEST = 10;
    std::size_t end = at + 1;
    while (end < length && end - at <= LONGEST && text[end] != u';' &&
           (IsLetter(text[end]) || IsDigit(text[end]) || text[end] == u'#'))
        ++end;
    if (end >= length || text[end] != u';' || end == at + 1) return 0;
    std::size_t name = at + 1;
    if (text[name] == u'#') {
        bool hex = name + 1 < end && Lower(text[name + 1]) == u'x';
        std::size_t digit = name + (hex ? 2 : 1);
        if (digit == end) return 0;
        char32_t value = 0;
        for (; digit < end; ++digit) {
            char16_t c = Lower(text[digit]);
            unsigned d;
            if (IsDigit(c))
                d = c - u'0';
            else if (hex && c >= u'a' && c <= u'f')
                d = c - u'a' + 10;
            else
                return 0;
            value = value * (hex ? 16 : 10) + d;
            if (value > 0x10FFFF) value = 0x110000;  // saturates: stays invalid
        }
        bool valid = value && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
        code = valid ? value : REPLACEMENT;
        return end + 1 - at;
    }
    for (const Entity& entity : ENTITIES) {
        std::size_t k = 0;
        while (entity.name[k] && name + k < end &&
               text[name + k] == static_cast<char16_t>(entity.name[k]))
            ++k;
        if (!entity.name[k] && name + k == end) {
            code = entity.code;
            return end + 1 - at;
        }
    }
    return 0;
}

// Elements and what they do to the flow of text.
enum class Flow : unsigned char {
    Inline,
    Line,
    Paragraph,
    BreakLine,
    Skip,
    Cell,
    ListItem,
    Preformatted
};

struct Element {
    char name[11];
    Flow flow;
};

constexpr Element ELEMENTS[] = {
    {"br", Flow::BreakLine},    {"p", Flow::Paragraph},  {"h1", Flow::Paragraph},
    {"h2", Flow::Paragraph},    {"h3", Flow::Paragraph}, {"h4", Flow::Paragraph},
    {"h5", Flow::Paragraph},    {"h6", Flow::Paragraph}, {"blockquote", Flow::Paragraph},
    {"table", Flow::Paragraph}, {"ul", Flow::Paragraph}, {"ol", Flow::Paragraph},
    {"dl", Flow::Paragraph},    {"hr", Flow::Paragraph}, {"pre", Flow::Preformatted},
    {"div", Flow::Line},        {"li", Flow::ListItem},  {"tr", Flow::Line},
    {"dt", Flow::Line},         {"dd", Flow::Line},      {"address", Flow::Line},
    {"center", Flow::Line},     {"form", Flow::Line},    {"section", Flow::Line},
    {"article", Flow::Line},    {"header", Flow::Line},  {"footer", Flow::Line},
    {"nav", Flow::Line},        {"caption", Flow::Line}, {"body", Flow::Line},
    {"td", Flow::Cell},         {"th", Flow::Cell},      {"script", Flow::Skip},
    {"style", Flow::Skip},      {"title", Flow::Skip},   {"textarea", Flow::Skip},
    {"select", Flow::Skip},     {"object", Flow::Skip},  {"noscript", Flow::Skip},
};

Flow FlowOf(const char16_t* name, std::size_t nameLength) {
    for (const Element& element : ELEMENTS) {
        std::size_t k = 0;
        while (element.name[k] && k < nameLength &&
               Lower(name[k]) == static_cast<char16_t>(element.name[k]))
            ++k;
        if (!element.name[k] && k == nameLength) return element.flow;
    }
    return Flow::Inline;
}

// The end of the tag that starts at text[at] == '<' (the index after its
// '>'), quoted attribute values passed over.
std::size_t TagEnd(const char16_t* text, std::size_t length, std::size_t at) {
    char16_t quote = 0;
    for (++at; at < length; ++at) {
        char16_t c = text[at];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            return at + 1;
        }
    }
    return length;
}

}  // namespace

std::size_t DecodeDocument(const unsigned char* bytes, std::size_t size, char16_t* out) {
    if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        return DecodeUtf8(bytes + 3, size - 3, out);
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
        return DecodeUtf16(bytes + 2, size - 2, false, out);
    if (size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF)
        return DecodeUtf16(bytes + 2, size - 2, true, out);
    if (ValidUtf8(bytes, size)) return DecodeUtf8(bytes, size, out);
    return DecodeCp1252(bytes, size, out);
}

bool LooksLikeHtml(const char16_t* name, const char16_t* text, std::size_t length) {
    std::size_t nameLength = 0;
    while (name && name[nameLength]) ++nameLength;
    std::size_t dot = nameLength;
    while (dot > 0 && name[dot - 1] != u'.' && name[dot - 1] != u'\\' && name[dot - 1] != u'/')
        --dot;
    if (dot > 0 && name[dot - 1] == u'.') {
        const char* html[] = {"htm", "html", "xhtml"};
        for (const char* extension : html) {
            std::size_t extLength = 0;
            while (extension[extLength]) ++extLength;
            if (nameLength - dot == extLength && StartsWith(name, nameLength, dot, extension))
                return true;
        }
        if (nameLength - dot == 3 && StartsWith(name, nameLength, dot, "txt")) return false;
    }
    // Other names: a document that opens with markup and names itself HTML
    // near its start.
    std::size_t at = 0;
    while (at < length && (IsSpace(text[at]) || text[at] == 0xFEFF)) ++at;
    if (at >= length || text[at] != u'<') return false;
    std::size_t head = length - at < 1024 ? length : at + 1024;
    return Find(text, head, at, "<html") < head || Find(text, head, at, "<!doctype html") < head ||
           Find(text, head, at, "<body") < head;
}

std::size_t PlainDisplayText(const char16_t* text, std::size_t length, char16_t* out) {
    DisplayWriter writer(out);
    for (std::size_t at = 0; at < length; ++at) {
        char16_t c = text[at];
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && at + 1 < length && text[at + 1] == u'\n') ++at;
            writer.NewLine();
        } else if (!IsControl(c) || c == u'\t') {
            writer.Put(c);
        }
    }
    return writer.Used();
}

std::size_t HtmlDisplayText(const char16_t* text, std::size_t length, char16_t* out) {
    DisplayWriter writer(out);
    int preformatted = 0;
    bool firstCell = true;
    for (std::size_t at = 0; at < length;) {
        char16_t c = text[at];
        if (c == u'<') {
            if (StartsWith(text, length, at, "<!--")) {
                std::size_t close = Find(text, length, at + 4, "-->");
                at = close < length ? close + 3 : length;
                continue;
            }
            if (at + 1 < length && (text[at + 1] == u'!' || text[at + 1] == u'?')) {
                at = TagEnd(text, length, at);
                continue;
            }
            bool closing = at + 1 < length && text[at + 1] == u'/';
            std::size_t name = at + (closing ? 2 : 1);
            if (name < length && IsLetter(text[name])) {
                std::size_t nameEnd = name;
                while (nameEnd < length && (IsLetter(text[nameEnd]) || IsDigit(text[nameEnd])))
                    ++nameEnd;
                Flow flow = FlowOf(text + name, nameEnd - name);
                at = TagEnd(text, length, at);
                switch (flow) {
                case Flow::Inline: break;
                case Flow::BreakLine: writer.Break(); break;
                case Flow::Line:
                    writer.Block(1);
                    if (!closing) firstCell = true;
                    break;
                case Flow::Paragraph: writer.Block(2); break;
                case Flow::Preformatted:
                    writer.Block(2);
                    preformatted += closing ? (preformatted ? -1 : 0) : 1;
                    break;
                case Flow::ListItem:
                    writer.Block(1);
                    if (!closing) {
                        writer.Visible(0x2022);
                        writer.Space();
                    }
                    break;
                case Flow::Cell:
                    if (!closing && !firstCell) writer.Space();
                    firstCell = false;
                    break;
                case Flow::Skip:
                    if (!closing) {
                        // Everything up to the element's own end tag.
                        char word[16] = "</";
                        std::size_t k = 0;
                        for (; k < nameEnd - name && k < 12; ++k)
                            word[2 + k] = static_cast<char>(Lower(text[name + k]));
                        word[2 + k] = '\0';
                        std::size_t close = Find(text, length, at, word);
                        at = close < length ? TagEnd(text, length, close) : length;
                    }
                    break;
                }
                continue;
            }
            writer.Visible(c);
            ++at;
            continue;
        }
        if (c == u'&') {
            char32_t code;
            if (std::size_t used = ReadEntity(text, length, at, code)) {
                writer.Code(code);
                at += used;
                continue;
            }
        }
        if (preformatted && (c == u'\n' || c == u'\r')) {
            if (c == u'\r' && at + 1 < length && text[at + 1] == u'\n') ++at;
            writer.Break();
        } else if (preformatted && (c == u' ' || c == u'\t')) {
            writer.Visible(c);
        } else if (IsSpace(c)) {
            writer.Space();
        } else if (!IsControl(c)) {
            writer.Visible(c);
        }
        ++at;
    }
    return writer.Used();
}

}  // namespace zk::ce
