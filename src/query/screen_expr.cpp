// The screen language: a condition or a sort over the measures of a query
// row, read once into a postfix program that a row is run through. Missing
// values are NaN and stay so through every operator, so that a division by
// zero or a measure a row has not makes the row fail, never a wrong pass.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <string>
#include <string_view>
#include <utility>

#include "data/data.h"
#include "query/screen.h"

namespace {

constexpr double missing = std::numeric_limits<double>::quiet_NaN();
constexpr int max_nesting = 100;   // parentheses, functions and signs within each other
constexpr int max_depth = 256;     // the evaluation stack
constexpr std::size_t max_code = 4096;

enum class Tok { End, Number, Name, Text, LParen, RParen, Comma, Plus, Minus, Star, Slash,
                 Lt, Le, Gt, Ge, Eq, Ne, And, Or, Not, Bad };

struct Token {
  Tok kind = Tok::End;
  std::size_t at = 0;  // offset in the text
  std::string_view text;
  double number = 0;
};

bool name_char(char c, bool first) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || (!first && c >= '0' && c <= '9');
}
bool digit(char c) { return c >= '0' && c <= '9'; }

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return out;
}

// Edit distance, for "did you mean": names are short.
int distance(std::string_view a, std::string_view b) {
  std::vector<int> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = static_cast<int>(j);
  for (std::size_t i = 1; i <= a.size(); ++i) {
    int diag = row[0];
    row[0] = static_cast<int>(i);
    for (std::size_t j = 1; j <= b.size(); ++j) {
      int up = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diag + (a[i - 1] != b[j - 1])});
      diag = up;
    }
  }
  return row[b.size()];
}

class Reader {
 public:
  Reader(std::string_view text, ScreenProgram* p) : s_(text), p_(p) {}

  bool read(std::string* error) {
    next();
    Value v = expression();
    if (failed_.empty() && tok_.kind != Tok::End) fail(tok_.kind == Tok::RParen ? "unmatched ')'" : "unexpected " + shown(tok_), tok_.at);
    if (failed_.empty() && v.text) fail("a number or a condition expected, not a text", v.at);
    if (failed_.empty() && p_->code.size() > max_code) fail("the expression is too long", 0);
    if (failed_.empty()) return true;
    *error = failed_;
    return false;
  }

 private:
  // A text side of a comparison is kept, not emitted: the comparison takes it.
  struct Value {
    bool text = false;
    int32_t which = 0;  // the quoted text, or -1 for the symbol
    std::size_t at = 0;
  };

  std::string_view s_;
  ScreenProgram* p_;
  Token tok_;
  std::size_t pos_ = 0;
  int nesting_ = 0, depth_ = 0;
  std::string failed_;

  void fail(const std::string& why, std::size_t at) {
    if (failed_.empty()) failed_ = "screen: " + why + " at column " + std::to_string(at + 1);
  }
  void fail_with(const std::string& why, std::size_t at, const std::string& after) {
    fail(why, at);
    failed_ += after;
  }
  bool ok() const { return failed_.empty(); }

  static std::string shown(const Token& t) {
    if (t.kind == Tok::End) return "end";
    std::string out(1, '\'');  // appended, not "'" + text: GCC 12 at -O3 warns of an overlap that is not there
    out.append(t.text);
    return out += '\'';
  }

  void next() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\r' || s_[pos_] == '\n')) ++pos_;
    tok_ = Token{Tok::End, pos_, {}, 0};
    if (pos_ >= s_.size()) return;
    std::size_t start = pos_;
    char c = s_[pos_];
    auto take = [&](Tok k, std::size_t n) {
      tok_.kind = k;
      tok_.text = s_.substr(start, n);
      pos_ = start + n;
    };
    auto two = [&](char second) { return pos_ + 1 < s_.size() && s_[pos_ + 1] == second; };
    if (digit(c) || (c == '.' && pos_ + 1 < s_.size() && digit(s_[pos_ + 1]))) return number();
    if (name_char(c, true)) {
      std::size_t n = 1;
      while (start + n < s_.size() && name_char(s_[start + n], false)) ++n;
      take(Tok::Name, n);
      std::string word = lower(tok_.text);
      if (word == "and") tok_.kind = Tok::And;
      else if (word == "or") tok_.kind = Tok::Or;
      else if (word == "not") tok_.kind = Tok::Not;
      return;
    }
    if (c == '"') {
      std::size_t close = s_.find('"', start + 1);
      if (close == std::string_view::npos) {
        take(Tok::Bad, s_.size() - start);
        return fail("'\"' not closed", start);
      }
      take(Tok::Text, close + 1 - start);
      tok_.text = s_.substr(start + 1, close - start - 1);
      return;
    }
    switch (c) {
      case '(': return take(Tok::LParen, 1);
      case ')': return take(Tok::RParen, 1);
      case ',': return take(Tok::Comma, 1);
      case '+': return take(Tok::Plus, 1);
      case '-': return take(Tok::Minus, 1);
      case '*': return take(Tok::Star, 1);
      case '/': return take(Tok::Slash, 1);
      case '<': return two('=') ? take(Tok::Le, 2) : take(Tok::Lt, 1);
      case '>': return two('=') ? take(Tok::Ge, 2) : take(Tok::Gt, 1);
      case '=': return two('=') ? take(Tok::Eq, 2) : (take(Tok::Bad, 1), fail("'=' is '=='", start));
      case '!': return two('=') ? take(Tok::Ne, 2) : take(Tok::Not, 1);
      case '&': return two('&') ? take(Tok::And, 2) : (take(Tok::Bad, 1), fail("'&' is 'and'", start));
      case '|': return two('|') ? take(Tok::Or, 2) : (take(Tok::Bad, 1), fail("'|' is 'or'", start));
      default: break;
    }
    // One character, whole: a byte of a UTF-8 sequence is shown with the rest.
    std::size_t n = 1;
    if (static_cast<unsigned char>(c) >= 0xC0)
      while (start + n < s_.size() && (static_cast<unsigned char>(s_[start + n]) & 0xC0) == 0x80 && n < 4) ++n;
    take(Tok::Bad, n);
    if (static_cast<unsigned char>(c) < ' ' || c == 0x7F) fail("unexpected character", start);
    else fail("unexpected '" + std::string(tok_.text) + "'", start);
  }

  void number() {
    std::size_t start = pos_, i = pos_;
    while (i < s_.size() && digit(s_[i])) ++i;
    if (i < s_.size() && s_[i] == '.')
      for (++i; i < s_.size() && digit(s_[i]);) ++i;
    if (i < s_.size() && (s_[i] == 'e' || s_[i] == 'E')) {
      std::size_t j = i + 1;
      if (j < s_.size() && (s_[j] == '+' || s_[j] == '-')) ++j;
      if (j < s_.size() && digit(s_[j])) {
        for (i = j; i < s_.size() && digit(s_[i]);) ++i;
      }
    }
    tok_ = Token{Tok::Number, start, s_.substr(start, i - start), 0};
    pos_ = i;
    auto [end, ec] = std::from_chars(s_.data() + start, s_.data() + i, tok_.number);
    if (ec != std::errc() || end != s_.data() + i || !std::isfinite(tok_.number)) fail("a number too large", start);
    if (pos_ < s_.size() && name_char(s_[pos_], false)) fail("unexpected '" + std::string(1, s_[pos_]) + "'", pos_);
  }

  void emit(ScreenOp op, int pops, int pushes) {
    depth_ += pushes - pops;
    p_->depth = std::max(p_->depth, depth_);
    if (p_->depth > max_depth) fail("the expression is too deep", tok_.at);
    if (p_->code.size() <= max_code) p_->code.push_back(op);
  }
  void emit_number(double v) {
    ScreenOp op{ScreenOp::Number};
    op.number = v;
    emit(op, 0, 1);
  }
  void emit_op(ScreenOp::Code c, int pops) { emit(ScreenOp{c}, pops, 1); }

  bool expect(Tok kind, const char* what) {
    if (!ok()) return false;
    if (tok_.kind != kind) {
      fail(std::string("'") + what + "' expected", tok_.at);
      return false;
    }
    next();
    return true;
  }

  // A number where a number is wanted: a text is an error there.
  void numeric(const Value& v) {
    if (v.text) fail("a text compares only with a text", v.at);
  }

  Value expression() {
    if (++nesting_ > max_nesting) {
      fail("the expression is too deep", tok_.at);
      return {};
    }
    Value v = either();
    --nesting_;
    return v;
  }

  // Operators of one level, left to right, over the next level's operands.
  Value level(Value (Reader::*operand)(), std::initializer_list<std::pair<Tok, ScreenOp::Code>> ops) {
    Value v = (this->*operand)();
    for (;;) {
      auto op = std::find_if(ops.begin(), ops.end(), [&](const auto& o) { return o.first == tok_.kind; });
      if (!ok() || op == ops.end()) return v;
      numeric(v);
      next();
      numeric((this->*operand)());
      emit_op(op->second, 2);
      v = Value{false, 0, v.at};
    }
  }
  Value either() { return level(&Reader::both, {{Tok::Or, ScreenOp::Or}}); }
  Value both() { return level(&Reader::negation, {{Tok::And, ScreenOp::And}}); }
  Value sum() { return level(&Reader::product, {{Tok::Plus, ScreenOp::Add}, {Tok::Minus, ScreenOp::Sub}}); }
  Value product() { return level(&Reader::sign, {{Tok::Star, ScreenOp::Mul}, {Tok::Slash, ScreenOp::Div}}); }

  Value negation() {
    if (tok_.kind != Tok::Not) return comparison();
    std::size_t at = tok_.at;
    next();
    if (++nesting_ > max_nesting) {
      fail("the expression is too deep", at);
      return {};
    }
    numeric(negation());
    --nesting_;
    emit_op(ScreenOp::Not, 1);
    return {false, 0, at};
  }

  static bool comparing(Tok k) { return k >= Tok::Lt && k <= Tok::Ne; }
  static ScreenOp::Code compare_code(Tok k) {
    return static_cast<ScreenOp::Code>(ScreenOp::Lt + (static_cast<int>(k) - static_cast<int>(Tok::Lt)));
  }

  // a < b <= c reads as a < b and b <= c, as a trader writes a range: the
  // middle term's code is run again as the next link's left side.
  Value comparison() {
    Value left = sum();
    if (!comparing(tok_.kind)) return left;
    std::size_t first_at = left.at;
    for (int links = 0; ok() && comparing(tok_.kind); ++links) {
      Tok op = tok_.kind;
      std::size_t at = tok_.at;
      next();
      std::size_t right_from = p_->code.size();
      Value right = sum();
      std::size_t right_end = p_->code.size();
      if (!ok()) break;
      if (left.text != right.text) {
        fail("a text compares only with a text", left.text ? right.at : left.at);
        break;
      }
      if (left.text) {
        if (comparing(tok_.kind)) fail("texts compare one pair at a time", at);
        ScreenOp t{ScreenOp::TextCompare};
        t.compare = static_cast<uint8_t>(compare_code(op));
        t.index = left.which;
        t.other = right.which;
        emit(t, 0, 1);
        return {false, 0, left.at};
      }
      emit_op(compare_code(op), 2);
      if (links > 0) emit_op(ScreenOp::And, 2);
      if (comparing(tok_.kind)) {
        std::vector<ScreenOp> again(p_->code.begin() + static_cast<long>(right_from),
                                    p_->code.begin() + static_cast<long>(right_end));
        for (const ScreenOp& o : again) emit(o, pops(o.code), 1);
      }
      left = right;
    }
    return {false, 0, first_at};
  }

  static int pops(ScreenOp::Code c) {
    return c <= ScreenOp::TextCompare ? 0 : c <= ScreenOp::Abs ? 1 : 2;
  }

  Value sign() {
    if (tok_.kind != Tok::Minus && tok_.kind != Tok::Plus) return primary();
    bool minus = tok_.kind == Tok::Minus;
    std::size_t at = tok_.at;
    next();
    if (++nesting_ > max_nesting) {
      fail("the expression is too deep", at);
      return {};
    }
    Value v = sign();
    --nesting_;
    numeric(v);
    if (minus) emit_op(ScreenOp::Neg, 1);
    return {false, 0, at};
  }

  Value primary() {
    Token t = tok_;
    if (!ok()) return {};
    switch (t.kind) {
      case Tok::Number:
        next();
        emit_number(t.number);
        return {false, 0, t.at};
      case Tok::Text:
        next();
        p_->texts.emplace_back(t.text);
        return {true, static_cast<int32_t>(p_->texts.size() - 1), t.at};
      case Tok::LParen: {
        next();
        Value v = expression();
        expect(Tok::RParen, ")");
        v.at = t.at;
        return v;
      }
      case Tok::Name: return name(t);
      case Tok::End: fail("a number, a measure or '(' expected", t.at); return {};
      default: fail("unexpected " + shown(t), t.at); return {};
    }
  }

  Value name(const Token& t) {
    std::string word = lower(t.text);
    next();
    if (word == "symbol") return {true, -1, t.at};
    if (word == "abs" || word == "min" || word == "max" || word == "group") return function(word, t);
    int m = query_measure_index(word);
    if (m < 0) {
      fail_with("unknown measure '" + std::string(t.text) + "'", t.at, suggestion(word));
      return {};
    }
    if (std::find(p_->named.begin(), p_->named.end(), m) == p_->named.end()) p_->named.push_back(m);
    p_->history = p_->history || query_measures[m].history;
    ScreenOp op{ScreenOp::Measure};
    op.index = m;
    emit(op, 0, 1);
    return {false, 0, t.at};
  }

  static std::string suggestion(const std::string& word) {
    const char* best = nullptr;
    int best_d = 3;
    for (int i = 0; i < query_measure_count; ++i) {
      int d = distance(word, query_measures[i].name);
      if (d < best_d) best_d = d, best = query_measures[i].name;
    }
    for (const char* f : {"symbol", "group", "abs", "min", "max"})
      if (int d = distance(word, f); d < best_d) best_d = d, best = f;
    return best && best_d <= std::max<int>(1, static_cast<int>(word.size()) / 3) ? std::string(" (did you mean ") + best + "?)" : "";
  }

  Value function(const std::string& word, const Token& t) {
    if (!expect(Tok::LParen, "(")) return {};
    if (word == "group") return group(t);
    int args = word == "abs" ? 1 : 2;
    for (int i = 0; i < args && ok(); ++i) {
      if (i > 0 && !expect(Tok::Comma, ",")) return {};
      numeric(expression());
    }
    expect(Tok::RParen, ")");
    emit_op(word == "abs" ? ScreenOp::Abs : word == "min" ? ScreenOp::Min : ScreenOp::Max, args);
    return {false, 0, t.at};
  }

  // group("BANK") or group(4): known when the screen is read, not per row.
  Value group(const Token& t) {
    Token arg = tok_;
    std::string code;
    if (arg.kind == Tok::Text) code = std::string(arg.text);
    else if (arg.kind == Tok::Number && arg.number == std::floor(arg.number) && arg.number < 1e6)
      code = std::to_string(static_cast<long>(arg.number));
    else {
      fail("a group's code in quotes or its number expected", arg.at);
      return {};
    }
    next();
    int g = code.empty() || code.size() >= sizeof(GroupRec::code) ? 0 : group_of_text(code.c_str());
    if (g == 0) {
      fail("unknown group '" + code + "'", arg.at);
      return {};
    }
    expect(Tok::RParen, ")");
    ScreenOp op{ScreenOp::Group};
    op.index = g;
    emit(op, 0, 1);
    return {false, 0, t.at};
  }
};

double compared(int code, double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return missing;
  switch (code) {
    case ScreenOp::Lt: return a < b;
    case ScreenOp::Le: return a <= b;
    case ScreenOp::Gt: return a > b;
    case ScreenOp::Ge: return a >= b;
    case ScreenOp::Eq: return a == b;
    default: return a != b;
  }
}

}  // namespace

bool read_screen(std::string_view text, ScreenProgram* out, std::string* error) {
  ScreenProgram p;
  p.text = std::string(text);
  if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
    *error = "screen: nothing to screen by";
    return false;
  }
  Reader reader(text, &p);
  if (!reader.read(error)) return false;
  *out = std::move(p);
  return true;
}

double screen_value(const ScreenProgram& p, const QueryRec& r) {
  double stack[max_depth + 1];
  int n = 0;
  for (const ScreenOp& op : p.code) {
    double b = n > 0 ? stack[n - 1] : 0, a = n > 1 ? stack[n - 2] : 0;
    switch (op.code) {
      case ScreenOp::Number: stack[n++] = op.number; break;
      case ScreenOp::Measure: {
        const QueryMeasure& m = query_measures[op.index];
        stack[n++] = m.has && !m.has(r) ? missing : m.get(r);
        break;
      }
      case ScreenOp::Group: stack[n++] = in_group(find_co(r.symbol), op.index); break;
      case ScreenOp::TextCompare: {
        const char* x = op.index < 0 ? r.symbol : p.texts[static_cast<std::size_t>(op.index)].c_str();
        const char* y = op.other < 0 ? r.symbol : p.texts[static_cast<std::size_t>(op.other)].c_str();
        stack[n++] = compared(op.compare, std::strcmp(x, y), 0);
        break;
      }
      case ScreenOp::Neg: stack[n - 1] = -b; break;
      case ScreenOp::Not: stack[n - 1] = std::isnan(b) ? missing : b == 0; break;
      case ScreenOp::Abs: stack[n - 1] = std::fabs(b); break;
      case ScreenOp::Min: stack[--n - 1] = std::isnan(a) || std::isnan(b) ? missing : std::min(a, b); break;
      case ScreenOp::Max: stack[--n - 1] = std::isnan(a) || std::isnan(b) ? missing : std::max(a, b); break;
      case ScreenOp::Add: stack[--n - 1] = a + b; break;
      case ScreenOp::Sub: stack[--n - 1] = a - b; break;
      case ScreenOp::Mul: stack[--n - 1] = a * b; break;
      case ScreenOp::Div: stack[--n - 1] = b == 0 ? missing : a / b; break;
      case ScreenOp::And:
      case ScreenOp::Or: {
        double v = std::isnan(a) || std::isnan(b) ? missing
                   : op.code == ScreenOp::And   ? (a != 0 && b != 0)
                                                : (a != 0 || b != 0);
        stack[--n - 1] = v;
        break;
      }
      default: stack[--n - 1] = compared(op.code, a, b); break;
    }
  }
  return n == 1 ? stack[0] : missing;
}

bool screen_holds(const ScreenProgram& p, const QueryRec& r) {
  double v = screen_value(p, r);
  return !std::isnan(v) && v != 0;
}
