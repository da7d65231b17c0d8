// Statements understood:
//   #define NAME value           (also read from #include "header" files)
//   <id> BITMAP "file.bmp"          (beside the script, else in the bitmap directories)
//   STRINGTABLE BEGIN <id>, "text" ... END
//   <id> DIALOG[EX] x, y, cx, cy
//     STYLE expr | EXSTYLE expr | CAPTION "text" | FONT points, "face"[, ...] | CLASS "name"
//   BEGIN
//     CONTROL "text", id, "class", style, x, y, cx, cy[, exstyle]
//     LTEXT | RTEXT | CTEXT | PUSHBUTTON | DEFPUSHBUTTON | GROUPBOX | CHECKBOX
//       | AUTOCHECKBOX  "text", id, x, y, cx, cy[, style[, exstyle]]
//     EDITTEXT | LISTBOX | COMBOBOX  id, x, y, cx, cy[, style[, exstyle]]
//   END
// Style expressions join names and numbers with '|' or '+'; "NOT name"
// removes bits from the statement's default style. BEGIN/END may be braces.
#include "platform/ui/rc/compiler.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/system/byte_order.h"
#include "platform/system/files.h"
#include "platform/ui/controls/control_styles.h"
#include "platform/ui/dialogs/dialog.h"
#include "platform/ui/gdi/bmp_codec.h"
#include "platform/ui/rc/lexer.h"
#include "platform/ui/resource/dialog_template.h"
#include "platform/ui/resource/resource.h"
#include "platform/ui/window/styles.h"

namespace qm::ui::rc {
namespace {

struct Entry {
    WORD type;
    std::uint32_t id;
    std::vector<std::uint8_t> bytes;
};

const std::map<std::string, long long>& builtinNames()
{
    static const std::map<std::string, long long> names = {
#define N(x) {#x, (long long)(x)}
        N(WS_OVERLAPPED), N(WS_POPUP), N(WS_CHILD), N(WS_VISIBLE), N(WS_DISABLED), N(WS_CLIPSIBLINGS),
        N(WS_CLIPCHILDREN), N(WS_CAPTION), N(WS_BORDER), N(WS_DLGFRAME), N(WS_VSCROLL), N(WS_HSCROLL),
        N(WS_SYSMENU), N(WS_THICKFRAME), N(WS_GROUP), N(WS_TABSTOP), N(WS_MINIMIZEBOX), N(WS_MAXIMIZEBOX),
        N(WS_OVERLAPPEDWINDOW), N(WS_POPUPWINDOW), N(WS_EX_DLGMODALFRAME), N(WS_EX_NOPARENTNOTIFY),
        N(WS_EX_TOPMOST), N(WS_EX_TRANSPARENT), N(WS_EX_TOOLWINDOW), N(WS_EX_CLIENTEDGE), N(WS_EX_STATICEDGE),
        N(WS_EX_CONTROLPARENT), N(BS_PUSHBUTTON), N(BS_DEFPUSHBUTTON), N(BS_CHECKBOX), N(BS_AUTOCHECKBOX),
        N(BS_RADIOBUTTON), N(BS_GROUPBOX), N(BS_AUTORADIOBUTTON), N(BS_OWNERDRAW), N(BS_NOTIFY), N(ES_LEFT),
        N(ES_CENTER), N(ES_RIGHT), N(ES_UPPERCASE), N(ES_LOWERCASE), N(ES_PASSWORD), N(ES_AUTOHSCROLL),
        N(ES_READONLY), N(ES_NUMBER), N(SS_LEFT), N(SS_CENTER), N(SS_RIGHT), N(SS_BLACKRECT), N(SS_GRAYRECT),
        N(SS_WHITERECT), N(SS_BLACKFRAME), N(SS_SIMPLE), N(SS_LEFTNOWORDWRAP), N(SS_ETCHEDFRAME),
        N(SS_NOPREFIX), N(SS_NOTIFY), N(SS_SUNKEN), N(LBS_NOTIFY), N(LBS_SORT), N(LBS_MULTIPLESEL),
        N(LBS_NOINTEGRALHEIGHT), N(LBS_EXTENDEDSEL), N(LBS_NOSEL), N(CBS_DROPDOWNLIST), N(DS_SETFONT),
        N(DS_MODALFRAME), N(DS_CONTROL), N(DS_CENTER), N(DS_3DLOOK), N(IDOK), N(IDCANCEL), N(IDABORT),
        N(IDRETRY), N(IDIGNORE), N(IDYES), N(IDNO),
#undef N
        {"IDC_STATIC", -1}, {"DS_SHELLFONT", DS_SETFONT}, {"DS_FIXEDSYS", 0}, {"DS_NOIDLEMSG", 0},
        {"WS_EX_WINDOWEDGE", 0}, {"WS_EX_NOACTIVATE", 0}, {"BS_CENTER", 0}, {"BS_VCENTER", 0}, {"SS_CENTERIMAGE", 0},
        {"ES_MULTILINE", 0}, {"ES_WANTRETURN", 0}, {"ES_AUTOVSCROLL", 0}, {"CBS_SORT", 0}, {"CBS_HASSTRINGS", 0},
        {"LBS_HASSTRINGS", 0}, {"LBS_OWNERDRAWFIXED", 0}};
    return names;
}

class Parser {
public:
    Parser(std::vector<Token> tokens, std::string base, Compiled& out, std::vector<std::string> bitmapDirectories = {})
        : t_(std::move(tokens)), base_(std::move(base)), bitmapDirectories_(std::move(bitmapDirectories)), out_(out)
    {
    }

    bool run(std::string& error)
    {
        while (peek().kind != Token::Kind::End) {
            if (!statement()) {
                error = "line " + std::to_string(peek().line) + ": " + error_;
                return false;
            }
        }
        writeBlob();
        return true;
    }

    std::map<std::string, long long> defines;

private:
    const Token& peek(std::size_t ahead = 0) const { return t_[std::min(pos_ + ahead, t_.size() - 1)]; }
    const Token& next() { return t_[std::min(pos_++, t_.size() - 1)]; }
    bool fail(const std::string& what)
    {
        if (error_.empty())
            error_ = what;
        return false;
    }
    bool isWord(const Token& t, const char* w) const { return t.kind == Token::Kind::Name && t.text == w; }
    bool accept(const char* punct)
    {
        if (peek().kind == Token::Kind::Punct && peek().text == punct) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool comma() { return accept(",") || fail("',' expected"); }
    bool begin() { return accept("{") || (isWord(peek(), "BEGIN") && (++pos_, true)) || fail("BEGIN expected"); }
    bool atEnd() { return (peek().kind == Token::Kind::Punct && peek().text == "}") || isWord(peek(), "END"); }

    bool value(long long& v)
    {
        bool negative = false;
        while (accept("-"))
            negative = !negative;
        if (accept("(")) {
            if (!expression(v, 0) || !(accept(")") || fail("')' expected")))
                return false;
        } else {
            const Token& tok = next();
            if (tok.kind == Token::Kind::Number) {
                v = tok.number;
            } else if (tok.kind == Token::Kind::Name) {
                if (auto d = defines.find(tok.text); d != defines.end())
                    v = d->second;
                else if (auto b = builtinNames().find(tok.text); b != builtinNames().end())
                    v = b->second;
                else
                    return fail("unknown name '" + tok.text + "'");
            } else {
                return fail("number or name expected, got '" + tok.text + "'");
            }
        }
        if (negative)
            v = -v;
        return true;
    }

    // Terms joined by '|' and '+'; NOT terms clear bits of `base`.
    bool expression(long long& v, long long base)
    {
        long long set = 0, cleared = 0;
        bool any = false;
        do {
            const bool negate = isWord(peek(), "NOT") && (++pos_, true);
            long long term = 0;
            if (!value(term))
                return false;
            (negate ? cleared : set) |= term;
            any = true;
        } while (accept("|") || accept("+"));
        v = ((base | set) & ~cleared) | (any ? 0 : base);
        return true;
    }

    bool string(std::string& s)
    {
        const Token& tok = next();
        if (tok.kind != Token::Kind::String)
            return fail("string expected");
        s = tok.text;
        return true;
    }

    bool directive(const Token& d)
    {
        std::istringstream in(d.text.substr(1));
        std::string word;
        in >> word;
        if (word == "define") {
            std::string name, rest;
            in >> name;
            std::getline(in, rest);
            std::vector<Token> tokens;
            std::string err;
            if (!tokenize(rest, tokens, err))
                return fail(err);
            Parser sub(tokens, base_, out_);
            sub.defines = defines;
            long long v = 0;
            if (tokens.size() > 1 && sub.expression(v, 0))
                defines[name] = v;
            return true;  // a define that is no number is not ours to use
        }
        if (word == "include") {
            std::string file;
            in >> file;
            if (file.size() >= 2 && (file.front() == '"' || file.front() == '<'))
                file = file.substr(1, file.size() - 2);
            const std::string path = base_ + "/" + file;
            std::ifstream header(path);
            if (!header)
                return true;  // system headers of the original toolchain are not needed
            out_.dependencies.push_back(path);
            for (std::string line; std::getline(header, line);) {
                std::size_t first = line.find_first_not_of(" \t");
                if (first != std::string::npos && line.compare(first, 7, "#define") == 0) {
                    Token t;
                    t.text = line.substr(first);
                    directive(t);
                }
            }
            return true;
        }
        return true;  // conditionals and pragmas are ignored
    }

    bool statement()
    {
        const Token& first = peek();
        if (first.kind == Token::Kind::Directive) {
            ++pos_;
            return directive(first);
        }
        if (isWord(first, "STRINGTABLE"))
            return stringTable();
        if (isWord(first, "LANGUAGE")) {  // LANGUAGE a, b
            pos_ += 4;
            return true;
        }
        long long id = 0;
        if (!value(id))
            return false;
        const Token& kind = next();
        if (isWord(kind, "BITMAP"))
            return bitmap(id);
        if (isWord(kind, "DIALOG") || isWord(kind, "DIALOGEX"))
            return dialog(id);
        return fail("unsupported resource type '" + kind.text + "'");
    }

    // An absolute name as it stands; a relative one beside the script,
    // then in the bitmap directories. Empty when no such file exists.
    std::string findBitmap(const std::string& file) const
    {
        if (!file.empty() && file[0] == '/')
            return file;
        std::vector<std::string> candidates{base_ + "/" + file};
        for (const std::string& dir : bitmapDirectories_)
            candidates.push_back(dir + "/" + file);
        for (const std::string& path : candidates) {
            std::error_code error;
            if (std::filesystem::is_regular_file(path, error))
                return path;
        }
        return {};
    }

    bool bitmap(long long id)
    {
        std::string file;
        if (!string(file))
            return false;
        const std::string path = findBitmap(file);
        if (path.empty())
            return fail("cannot read bitmap " + file);
        std::optional<std::vector<std::uint8_t>> read = sys::readWholeFile(path);
        if (!read)
            return fail("cannot read bitmap " + path);
        std::vector<std::uint8_t> bytes = std::move(*read);
        std::string why;
        if (!detail::decodeBmpFile(bytes.data(), bytes.size(), &why))
            return fail(path + ": " + why);
        out_.dependencies.push_back(path);
        return add(RT_BITMAP, id, std::move(bytes));
    }

    bool stringTable()
    {
        ++pos_;
        while (!(isWord(peek(), "BEGIN") || (peek().kind == Token::Kind::Punct && peek().text == "{")))
            if (next().kind == Token::Kind::End)
                return fail("BEGIN expected");
        if (!begin())
            return false;
        while (!atEnd()) {
            long long id = 0;
            std::string text;
            if (!value(id))
                return false;
            accept(",");
            if (!string(text))
                return false;
            if (!add(RT_STRING, id, std::vector<std::uint8_t>(text.begin(), text.end())))
                return false;
        }
        ++pos_;
        return true;
    }

    bool rect(DialogItem& item)
    {
        long long x, y, cx, cy;
        if (!value(x) || !comma() || !value(y) || !comma() || !value(cx) || !comma() || !value(cy))
            return false;
        item.x = short(x);
        item.y = short(y);
        item.cx = short(cx);
        item.cy = short(cy);
        return true;
    }

    // The optional ", style[, exstyle]" tail of the short control forms.
    bool styleTail(DialogItem& item)
    {
        long long v = item.style;
        if (accept(",")) {
            if (!expression(v, item.style))
                return false;
            item.style = DWORD(v);
            if (accept(",")) {
                long long ex = 0;
                if (!expression(ex, 0))
                    return false;
                item.exStyle = DWORD(ex);
            }
        }
        return true;
    }

    bool control(DialogTemplate& dlg)
    {
        const std::string kind = next().text;
        DialogItem item;
        item.style = WS_CHILD | WS_VISIBLE;
        long long id = 0;
        struct Short {
            const char* word;
            const char* cls;
            DWORD style;
            bool text;
        };
        static const Short forms[] = {
            {"LTEXT", "Static", SS_LEFT | WS_GROUP, true},
            {"RTEXT", "Static", SS_RIGHT | WS_GROUP, true},
            {"CTEXT", "Static", SS_CENTER | WS_GROUP, true},
            {"PUSHBUTTON", "Button", BS_PUSHBUTTON | WS_TABSTOP, true},
            {"DEFPUSHBUTTON", "Button", BS_DEFPUSHBUTTON | WS_TABSTOP, true},
            {"GROUPBOX", "Button", BS_GROUPBOX, true},
            {"CHECKBOX", "Button", BS_CHECKBOX | WS_TABSTOP, true},
            {"AUTOCHECKBOX", "Button", BS_AUTOCHECKBOX | WS_TABSTOP, true},
            {"EDITTEXT", "Edit", ES_LEFT | WS_BORDER | WS_TABSTOP, false},
            {"LISTBOX", "ListBox", LBS_NOTIFY | WS_BORDER, false},
            {"COMBOBOX", "ComboBox", 0, false},
        };
        if (kind == "CONTROL") {
            long long style = 0;
            if (!string(item.text) || !comma() || !value(id) || !comma() || !string(item.className) || !comma() ||
                !expression(style, item.style) || !comma() || !rect(item))
                return false;
            item.style = DWORD(style);
            if (accept(",")) {
                long long ex = 0;
                if (!expression(ex, 0))
                    return false;
                item.exStyle = DWORD(ex);
            }
        } else {
            const Short* form = nullptr;
            for (const Short& f : forms)
                if (kind == f.word)
                    form = &f;
            if (!form)
                return fail("unknown control '" + kind + "'");
            item.className = form->cls;
            item.style |= form->style;
            if (form->text && (!string(item.text) || !comma()))
                return false;
            if (!value(id) || !comma() || !rect(item) || !styleTail(item))
                return false;
        }
        item.id = int(id);
        dlg.items.push_back(std::move(item));
        return true;
    }

    bool dialog(long long id)
    {
        DialogTemplate dlg;
        DialogItem frame;
        if (!rect(frame))
            return false;
        dlg.x = frame.x;
        dlg.y = frame.y;
        dlg.cx = frame.cx;
        dlg.cy = frame.cy;
        if (accept(",")) {
            long long help;
            if (!value(help))
                return false;
        }
        dlg.style = WS_POPUP | WS_BORDER | WS_SYSMENU;
        for (;;) {
            const Token& word = peek();
            if (isWord(word, "STYLE")) {
                ++pos_;
                long long v;
                if (!expression(v, 0))
                    return false;
                dlg.style = DWORD(v);
            } else if (isWord(word, "EXSTYLE")) {
                ++pos_;
                long long v;
                if (!expression(v, 0))
                    return false;
                dlg.exStyle = DWORD(v);
            } else if (isWord(word, "CAPTION")) {
                ++pos_;
                if (!string(dlg.caption))
                    return false;
            } else if (isWord(word, "CLASS")) {
                ++pos_;
                if (!string(dlg.className))
                    return false;
            } else if (isWord(word, "FONT")) {
                ++pos_;
                long long points;
                if (!value(points) || !comma() || !string(dlg.fontName))
                    return false;
                dlg.pointSize = WORD(points);
                while (accept(",")) {
                    long long ignored;
                    if (!value(ignored))
                        return false;
                }
            } else if (isWord(word, "MENU") || isWord(word, "LANGUAGE")) {
                ++pos_;
                while (peek().kind != Token::Kind::End && peek().line == word.line)
                    ++pos_;
            } else {
                break;
            }
        }
        if (!begin())
            return false;
        while (!atEnd())
            if (!control(dlg))
                return false;
        ++pos_;
        return add(RT_DIALOG, id, serializeDialogTemplate(dlg));
    }

    bool add(WORD type, long long id, std::vector<std::uint8_t> bytes)
    {
        if (id < 0 || id > 0xFFFF)
            return fail("resource id out of range");
        for (const Entry& e : entries_)
            if (e.type == type && e.id == std::uint32_t(id))
                return fail("resource " + std::to_string(id) + " defined twice");
        entries_.push_back({type, std::uint32_t(id), std::move(bytes)});
        return true;
    }

    void writeBlob()
    {
        std::vector<std::uint8_t>& b = out_.blob;
        b.assign(kResourceHeaderSize + entries_.size() * kResourceEntrySize, 0);
        std::copy_n("QMRS", 4, b.begin());
        qm::sys::writeLe16(b.data() + 4, 1);
        qm::sys::writeLe32(b.data() + 8, std::uint32_t(entries_.size()));
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            std::uint8_t* e = b.data() + kResourceHeaderSize + i * kResourceEntrySize;
            qm::sys::writeLe16(e, entries_[i].type);
            qm::sys::writeLe32(e + 4, entries_[i].id);
            qm::sys::writeLe32(e + 8, std::uint32_t(b.size()));
            qm::sys::writeLe32(e + 12, std::uint32_t(entries_[i].bytes.size()));
            b.insert(b.end(), entries_[i].bytes.begin(), entries_[i].bytes.end());
            while (b.size() % 4)
                b.push_back(0);
        }
    }

    std::vector<Token> t_;
    std::size_t pos_ = 0;
    std::string base_;
    std::vector<std::string> bitmapDirectories_;
    Compiled& out_;
    std::vector<Entry> entries_;
    std::string error_;
};

}  // namespace

bool compileSource(const std::string& source, const std::string& baseDirectory, Compiled& out, std::string& error,
                   const std::vector<std::string>& bitmapDirectories)
{
    std::vector<Token> tokens;
    if (!tokenize(source, tokens, error))
        return false;
    Parser parser(std::move(tokens), baseDirectory, out, bitmapDirectories);
    return parser.run(error);
}

bool compileFile(const std::string& path, Compiled& out, std::string& error,
                 const std::vector<std::string>& bitmapDirectories)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    const std::size_t slash = path.rfind('/');
    const std::string base = slash == std::string::npos ? "." : path.substr(0, slash);
    if (!compileSource(text.str(), base, out, error, bitmapDirectories)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

}  // namespace qm::ui::rc
