// The bounds check before compiling: a small preprocessor that only expands
// macros (under a budget), then a pass over the expanded tokens that adds up
// the array declarations.
#include "translate/glsl_measure.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <initializer_list>
#include <optional>
#include <unordered_map>
#include <vector>

namespace qv {
namespace {

// Tokens are copied at every expansion, so both fields are small: the text
// points into the Interned table, and the set of macros the token may no
// longer expand is an id into HideSets.
struct Token {
    std::string_view text;
    int hide;
};
using Tokens = std::vector<Token>;

struct Macro {
    bool function = false;
    std::vector<std::string> params;
    Tokens body;
};

// One copy of each token text, so equal texts share one address.
class Interned {
public:
    std::string_view operator()(std::string_view text)
    {
        auto found = ids_.find(text);
        if (found != ids_.end())
            return found->first;
        texts_.emplace_back(text);
        return ids_.emplace(texts_.back(), 0).first->first;
    }

private:
    std::deque<std::string> texts_;  /* stays where it is as it grows */
    std::unordered_map<std::string_view, int> ids_;
};

// Sets of macro ids, each stored once; the operations are remembered, as the
// same few sets meet again and again.
class HideSets {
public:
    bool has(int set, int macro) const
    {
        const std::vector<int> &v = sets_[static_cast<std::size_t>(set)];
        return std::binary_search(v.begin(), v.end(), macro);
    }

    int with(int set, int macro)
    {
        auto [at, fresh] = with_.emplace(key(set, macro), 0);
        if (fresh) {
            std::vector<int> v = sets_[static_cast<std::size_t>(set)];
            v.insert(std::lower_bound(v.begin(), v.end(), macro), macro);
            at->second = has(set, macro) ? set : idOf(std::move(v));
        }
        return at->second;
    }

    int merged(int a, int b)
    {
        if (a == 0 || a == b)
            return b;
        auto [at, fresh] = merged_.emplace(key(a, b), 0);
        if (fresh) {
            int set = b;
            for (int macro : sets_[static_cast<std::size_t>(a)])
                set = with(set, macro);
            at->second = set;
        }
        return at->second;
    }

private:
    std::vector<std::vector<int>> sets_{{}};  /* id 0 is the empty set */
    std::map<std::vector<int>, int> ids_{{{}, 0}};
    std::unordered_map<std::uint64_t, int> with_, merged_;

    static std::uint64_t key(int a, int b) { return (std::uint64_t(unsigned(a)) << 32) | unsigned(b); }

    int idOf(std::vector<int> v)
    {
        auto [at, fresh] = ids_.emplace(std::move(v), static_cast<int>(sets_.size()));
        if (fresh)
            sets_.push_back(at->first);
        return at->second;
    }
};

bool isIdentStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool isIdentChar(char c)
{
    return isIdentStart(c) || (c >= '0' && c <= '9');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The source with each comment made one space and each line continuation
// removed, as the preprocessor sees it.
std::string withoutComments(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && s.compare(i + 1, 1, "\n") == 0) {
            ++i;
        } else if (s[i] == '\\' && s.compare(i + 1, 2, "\r\n") == 0) {
            i += 2;
        } else if (s.compare(i, 2, "//") == 0) {
            i = std::min(s.find('\n', i), s.size()) - 1;
        } else if (s.compare(i, 2, "/*") == 0) {
            i = std::min(s.find("*/", i + 2), s.size() - 2) + 1;
            out += ' ';
        } else {
            out += s[i];
        }
    }
    return out;
}

// Where the token starting at `i` ends.
std::size_t tokenEnd(std::string_view line, std::size_t i)
{
    std::size_t j = i + 1;
    if (isIdentStart(line[i])) {
        while (j < line.size() && isIdentChar(line[j]))
            ++j;
    } else if (isDigit(line[i]) || (line[i] == '.' && i + 1 < line.size() && isDigit(line[i + 1]))) {
        while (j < line.size() && (isIdentChar(line[j]) || line[j] == '.' ||
                                   ((line[j] == '+' || line[j] == '-') && (line[j - 1] | 0x20) == 'e')))
            ++j;
    } else if (line.compare(i, 2, "##") == 0 || line.compare(i, 2, "<<") == 0 || line.compare(i, 2, ">>") == 0) {
        ++j;
    }
    return j;
}

// One line's tokens; `gluedParen` says whether a '(' follows the second
// token with no space (a function-like #define).
Tokens lex(std::string_view line, Interned &interned, bool *gluedParen = nullptr)
{
    Tokens tokens;
    for (std::size_t i = 0; i < line.size();) {
        if (static_cast<unsigned char>(line[i]) <= ' ') {
            ++i;
            continue;
        }
        std::size_t end = tokenEnd(line, i);
        if (gluedParen && tokens.size() == 2 && end < line.size())
            *gluedParen = line[end] == '(';
        tokens.push_back({interned(line.substr(i, end - i)), 0});
        i = end;
    }
    return tokens;
}

// The macro table and the expansion under the bounds.
class Expander {
public:
    std::string refusal;
    Tokens out;  // the expanded text, directives left out
    Interned interned;

    void text(const Tokens &tokens) { expand(tokens, out, 0); }

    void directive(std::string_view line)
    {
        bool glued = false;
        Tokens t = lex(line, interned, &glued);
        if (t.size() >= 3 && t[1].text == "undef")
            names_.erase(t[2].text.data());
        if (t.size() < 3 || t[1].text != "define" || !isIdentStart(t[2].text[0]))
            return;
        Macro m;
        std::size_t bodyAt = 3;
        if (glued) {
            m.function = true;
            for (bodyAt = 4; bodyAt < t.size() && t[bodyAt].text != ")"; ++bodyAt)
                if (t[bodyAt].text != ",")
                    m.params.push_back(std::string(t[bodyAt].text));
            ++bodyAt;
        }
        if (bodyAt < t.size())
            m.body.assign(t.begin() + static_cast<long>(bodyAt), t.end());
        names_[t[2].text.data()] = static_cast<int>(macros_.size());  /* a redefinition takes a new id */
        macros_.push_back(std::move(m));
    }

private:
    std::vector<Macro> macros_;
    std::unordered_map<const char *, int> names_;  /* by the interned text's address */
    HideSets hideSets_;
    std::uint64_t steps_ = 0, bytes_ = 0;

    void refuse(const char *what, unsigned long long bound)
    {
        char line[160];
        std::snprintf(line, sizeof line, what, bound);
        refusal = line;
    }

    // The macro `t` expands, or -1.
    int macroOf(const Token &t) const
    {
        auto found = names_.find(t.text.data());
        return found == names_.end() || hideSets_.has(t.hide, found->second) ? -1 : found->second;
    }

    // Fully expands `input` into `result`; every token produced anywhere counts
    // against the byte bound, every token looked at against the step bound.
    void expand(const Tokens &input, Tokens &result, int depth)
    {
        if (depth > kMaxMacroNesting)
            return refuse("the shader's macro arguments nest more than %llu deep", kMaxMacroNesting);
        Tokens stack(input.rbegin(), input.rend());  /* the next token is at the back */
        while (!stack.empty() && refusal.empty()) {
            Token t = std::move(stack.back());
            stack.pop_back();
            if (++steps_ > kMaxExpansionSteps)
                return refuse("the shader's macros take more than %llu steps to expand", kMaxExpansionSteps);
            int id = macroOf(t);
            if (id < 0 || !replace(t, id, stack, depth))
                emit(std::move(t), result);
        }
    }

    void emit(Token t, Tokens &result)
    {
        bytes_ += t.text.size() + 1;
        if (bytes_ > kMaxExpandedBytes)
            return refuse("the shader's macros expand to more than %llu bytes", kMaxExpandedBytes);
        result.push_back(std::move(t));
    }

    // Puts macro `id`'s replacement of `t` back on the stack to be rescanned;
    // false for a function-like macro with no argument list after it.
    bool replace(const Token &t, int id, Tokens &stack, int depth)
    {
        const Macro &m = macros_[static_cast<std::size_t>(id)];
        Tokens replacement;
        if (!m.function) {
            replacement = m.body;
        } else {
            std::vector<Tokens> args;
            if (!takeArguments(stack, args))
                return false;
            replacement = substitute(m, args, depth);
        }
        int hide = hideSets_.with(t.hide, id);
        for (auto it = replacement.rbegin(); it != replacement.rend(); ++it)
            stack.push_back({it->text, hideSets_.merged(it->hide, hide)});
        return true;
    }

    // Takes "( a, b )" off the stack; false, leaving the stack alone, when
    // no whole list is next.
    bool takeArguments(Tokens &stack, std::vector<Tokens> &args)
    {
        if (stack.empty() || stack.back().text != "(")
            return false;
        int level = 0;
        std::size_t i = stack.size();
        args.emplace_back();
        while (i-- > 0) {
            std::string_view s = stack[i].text;
            if ((s == ")" && --level == 0))
                break;
            if (s == "," && level == 1)
                args.emplace_back();
            else if (level > 0 || s != "(")
                args.back().push_back(stack[i]);
            if (s == "(")
                ++level;
        }
        if (i == static_cast<std::size_t>(-1))
            return false;
        steps_ += stack.size() - i;
        stack.resize(i);
        return true;
    }

    // The body of `m` with its parameters replaced: by the argument's own
    // tokens next to # and ##, by its expansion elsewhere.
    Tokens substitute(const Macro &m, const std::vector<Tokens> &args, int depth)
    {
        std::vector<std::optional<Tokens>> expanded(args.size());
        Tokens result;
        for (std::size_t j = 0; j < m.body.size() && refusal.empty(); ++j) {
            const Token &b = m.body[j];
            auto p = std::find(m.params.begin(), m.params.end(), b.text) - m.params.begin();
            if (b.text == "##" || b.text == "#" || static_cast<std::size_t>(p) >= args.size()) {
                if (b.text != "##" && b.text != "#")
                    result.push_back(b);
                continue;
            }
            bool raw = (j > 0 && (m.body[j - 1].text == "##" || m.body[j - 1].text == "#")) ||
                       (j + 1 < m.body.size() && m.body[j + 1].text == "##");
            std::optional<Tokens> &e = expanded[static_cast<std::size_t>(p)];
            if (!raw && !e)
                expand(args[static_cast<std::size_t>(p)], e.emplace(), depth + 1);
            const Tokens &with = raw ? args[static_cast<std::size_t>(p)] : *e;
            result.insert(result.end(), with.begin(), with.end());
        }
        return result;
    }
};

// Runs the source through the expander, text and directives in their order.
void preprocess(const std::string &source, Expander &x)
{
    Tokens pending;  /* text between directives: a macro's arguments may span lines */
    for (std::size_t at = 0; at <= source.size() && x.refusal.empty();) {
        std::size_t end = std::min(source.find('\n', at), source.size());
        std::string_view line(source.data() + at, end - at);
        std::size_t first = line.find_first_not_of(" \t\r\f\v");
        if (first != std::string_view::npos && line[first] == '#') {
            x.text(pending);
            pending.clear();
            x.directive(line);
        } else {
            Tokens t = lex(line, x.interned);
            pending.insert(pending.end(), std::make_move_iterator(t.begin()), std::make_move_iterator(t.end()));
        }
        at = end + 1;
    }
    if (x.refusal.empty())
        x.text(pending);
}

// ---- array sizes over the expanded tokens ----

double huge()
{
    return HUGE_VAL;
}

std::optional<double> literalValue(std::string_view s)
{
    std::string digits(s);
    while (!digits.empty() && std::strchr("uUfFlL", digits.back()))
        digits.pop_back();
    bool integer = digits.find_first_of(".eE") == std::string::npos ||
                   (digits.size() > 1 && (digits[1] | 0x20) == 'x');
    char *end = nullptr;
    double v = integer ? static_cast<double>(std::strtoull(digits.c_str(), &end, 0)) : std::strtod(digits.c_str(), &end);
    if (end == digits.c_str() || *end)
        return std::nullopt;
    return v;
}

// A constant expression of literals, known consts, casts, + - * / % << >>.
class ConstEval {
public:
    ConstEval(const Tokens &t, std::size_t from, std::size_t to,
              const std::unordered_map<std::string, double> &consts)
        : t_(t), at_(from), to_(to), consts_(consts)
    {
    }

    std::optional<double> whole()
    {
        std::optional<double> v = sum();
        return at_ == to_ ? v : std::nullopt;
    }

private:
    const Tokens &t_;
    std::size_t at_, to_;
    const std::unordered_map<std::string, double> &consts_;

    bool next(const char *s)
    {
        if (at_ < to_ && t_[at_].text == s) {
            ++at_;
            return true;
        }
        return false;
    }

    // One level of left-associative operators over the level below it.
    template <typename Below>
    std::optional<double> level(std::initializer_list<const char *> ops, Below below)
    {
        std::optional<double> v = (this->*below)();
        for (const char *op = nextOf(ops); v && op; op = nextOf(ops)) {
            std::optional<double> r = (this->*below)();
            v = r ? apply(op, *v, *r) : std::nullopt;
        }
        return v;
    }

    const char *nextOf(std::initializer_list<const char *> ops)
    {
        for (const char *op : ops)
            if (next(op))
                return op;
        return nullptr;
    }

    std::optional<double> sum() { return level({"+", "-"}, &ConstEval::product); }
    std::optional<double> product() { return level({"*", "/", "%", "<<", ">>"}, &ConstEval::unary); }

    static std::optional<double> apply(std::string_view op, double a, double b)
    {
        if (op == "+")
            return a + b;
        if (op == "-")
            return a - b;
        if (op == "*")
            return a * b;
        if (b == 0 && (op == "/" || op == "%"))
            return std::nullopt;
        if (op == "/")
            return a / b;
        if (op == "%")
            return std::fmod(a, b);
        if (op == "<<")
            return b >= 0 && b < 1024 ? a * std::pow(2.0, b) : huge();
        return b >= 0 && b < 1024 ? std::floor(a / std::pow(2.0, b)) : 0.0;
    }

    std::optional<double> unary()
    {
        if (next("-")) {
            std::optional<double> v = unary();
            return v ? std::optional<double>(-*v) : std::nullopt;
        }
        if (next("+"))
            return unary();
        if (at_ >= to_)
            return std::nullopt;
        std::string_view s = t_[at_].text;
        if (s == "int" || s == "uint" || s == "float")  /* a cast reads like parentheses */
            ++at_;
        if (next("(")) {
            std::optional<double> v = sum();
            return next(")") ? v : std::nullopt;
        }
        std::string_view name = t_[at_++].text;
        if (isDigit(name[0]) || name[0] == '.')
            return literalValue(name);
        auto found = consts_.find(std::string(name));
        return found == consts_.end() ? std::nullopt : std::optional<double>(found->second);
    }
};

bool isTypeName(std::string_view s)
{
    static const char *const kTypes[] = {"float", "int", "uint", "bool", "double"};
    for (const char *type : kTypes)
        if (s == type)
            return true;
    return s.size() >= 4 && (s.compare(0, 3, "vec") == 0 || s.compare(0, 3, "mat") == 0 || s.compare(1, 3, "vec") == 0 ||
                             s.compare(1, 3, "mat") == 0);
}

bool isIdentifier(std::string_view s)
{
    return !s.empty() && isIdentStart(s[0]);
}

// Adds up the arrays of the expanded tokens.
class ArrayCount {
public:
    explicit ArrayCount(const Tokens &t) : t_(t) {}

    double total()
    {
        for (std::size_t i = 0; i < t_.size(); ++i) {
            std::string_view s = t_[i].text;
            if (s == "const")
                noteConst(i);
            else if (s == "struct" && i + 2 < t_.size() && t_[i + 2].text == "{")
                open_.push_back({std::string(t_[i + 1].text), depth_, 0});
            else if (s == "{")
                ++depth_;
            else if (s == "}")
                closeBrace();
            else if (s == "[")
                i = declaration(i);
        }
        return total_;
    }

private:
    struct OpenStruct {
        std::string name;
        int depth;
        double elements;
    };
    const Tokens &t_;
    std::unordered_map<std::string, double> consts_, structs_;
    std::vector<OpenStruct> open_;
    int depth_ = 0;
    double total_ = 0;

    // "const int N = expr;" remembers N.
    void noteConst(std::size_t i)
    {
        if (i + 4 >= t_.size() || t_[i + 3].text != "=")
            return;
        std::size_t end = i + 4;
        while (end < t_.size() && t_[end].text != ";" && t_[end].text != ",")
            ++end;
        if (std::optional<double> v = ConstEval(t_, i + 4, end, consts_).whole())
            consts_[std::string(t_[i + 2].text)] = *v;
    }

    void closeBrace()
    {
        --depth_;
        if (!open_.empty() && open_.back().depth == depth_) {
            structs_[open_.back().name] = std::max(1.0, open_.back().elements);
            open_.pop_back();
        }
    }

    // The element type of a declaration whose first '[' is at `i`, or "" when
    // the brackets index rather than declare.
    std::string declaredType(std::size_t i) const
    {
        if (i == 0)
            return "";
        std::string before(t_[i - 1].text);
        if (isTypeName(before) || structs_.count(before))
            return before;  /* "float[4] a" or "float[4](...)" */
        if (!isIdentifier(before) || i < 2)
            return "";
        std::string type(t_[i - 2].text);
        if (type == ",")
            return type;
        return isIdentifier(type) && type != "return" && type != "else" && type != "case" ? type : "";
    }

    // Counts the declaration whose first '[' is at `i`; the index of its last ']'.
    std::size_t declaration(std::size_t i)
    {
        std::string type = declaredType(i);
        if (type.empty())
            return i;
        double elements = structs_.count(type) ? structs_[type] : 1.0;
        std::size_t at = i;
        for (; at < t_.size() && t_[at].text == "["; ++at) {
            std::size_t close = matching(at);
            if (close >= t_.size())
                return i;
            std::optional<double> size = ConstEval(t_, at + 1, close, consts_).whole();
            elements *= size && *size > 0 ? *size : 1.0;
            at = close;
        }
        total_ += elements;
        if (!open_.empty())
            open_.back().elements += elements;
        return at - 1;
    }

    std::size_t matching(std::size_t open) const
    {
        int level = 0;
        for (std::size_t i = open; i < t_.size(); ++i) {
            if (t_[i].text == "[")
                ++level;
            else if (t_[i].text == "]" && --level == 0)
                return i;
        }
        return t_.size();
    }
};

} // namespace

std::string MeasureGlsl(std::string_view source)
{
    Expander x;
    preprocess(withoutComments(source), x);
    if (!x.refusal.empty())
        return "Refused before compiling: " + x.refusal + ".\n";
    double elements = ArrayCount(x.out).total();
    if (elements <= static_cast<double>(kMaxArrayElements))
        return "";
    char line[200];
    std::snprintf(line, sizeof line,
                  "Refused before compiling: the shader's arrays hold %.0f elements in all, more than the %llu "
                  "allowed.\n",
                  std::min(elements, 1e30), static_cast<unsigned long long>(kMaxArrayElements));
    return line;
}

} // namespace qv
