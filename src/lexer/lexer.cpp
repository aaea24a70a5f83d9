// The lexer: one pass over the text, at most one character of lookahead.
#include <unicode/utf8.h>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "lexer/lexer.h"
#include "support/unicode.h"

namespace tarnel {

namespace {

constexpr int64_t kMaxInteger = INT64_MAX;

bool is_ascii_digit(unsigned char c) {
    return c >= '0' && c <= '9';
}
bool is_ascii_letter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// "_" or alphanumeric in the Unicode sense: Alphabetic, or a numeric general category.
bool is_identifier_continue(int32_t cp) {
    if (cp < 0x80) {
        const auto c = static_cast<unsigned char>(cp);
        return c == '_' || is_ascii_letter(c) || is_ascii_digit(c);
    }
    return unicode::is_alphanumeric(static_cast<char32_t>(cp));
}

// The keywords by length, each with its kind, made from the token list.
struct Keyword {
    std::string_view word;
    TokenKind kind;
};
constexpr size_t kLongestKeyword = 8;

constexpr auto kKeywordsByLength = [] {
    constexpr Keyword all[] = {
#define TARNEL_KEYWORD(kind, spelling) {spelling, TokenKind::kind},
        TARNEL_TOKEN_KINDS(TARNEL_KEYWORD)
#undef TARNEL_KEYWORD
    };
    std::array<Keyword, 21> sorted{};
    size_t count = 0;
    for (size_t length = 1; length <= kLongestKeyword; ++length) {
        for (const Keyword& keyword : all) {
            const bool is_word =
                !keyword.word.empty() && keyword.word[0] >= 'a' && keyword.word[0] <= 'z';
            if (is_word && keyword.word.size() == length) sorted[count++] = keyword;
        }
    }
    return sorted;
}();

// kFirstOfLength[n]: the index of the first keyword of length n or more.
constexpr auto kFirstOfLength = [] {
    std::array<size_t, kLongestKeyword + 2> first{};
    for (size_t length = 0; length < first.size(); ++length) {
        size_t i = 0;
        while (i < kKeywordsByLength.size() && kKeywordsByLength[i].word.size() < length)
            ++i;
        first[length] = i;
    }
    return first;
}();

// The keyword kind for `word`, or Identifier. Only the keywords of the word's length are
// compared.
TokenKind keyword_kind(std::string_view word) {
    const size_t length = word.size();
    if (length > kLongestKeyword) return TokenKind::Identifier;
    for (size_t i = kFirstOfLength[length]; i < kFirstOfLength[length + 1]; ++i) {
        if (kKeywordsByLength[i].word == word) return kKeywordsByLength[i].kind;
    }
    return TokenKind::Identifier;
}

class Lexer {
  public:
    explicit Lexer(std::string_view text) : text_(text), n_(text.size()) {}

    std::vector<Token> run() {
        // Typical code has about one token per four or five bytes; reserving for one per three
        // avoids the copy of a reallocation (untouched reserved pages cost nothing).
        tokens_.reserve(n_ / 3 + 16);
        while (i_ < n_)
            step();
        tokens_.push_back(Token::of(TokenKind::Eof));
        return std::move(tokens_);
    }

    // run(), noting after each step what the consumed characters were.
    std::vector<Token> run(LexRecord& record) {
        tokens_.reserve(n_ / 3 + 16);
        while (i_ < n_) {
            const size_t start = i_;
            const size_t count = tokens_.size();
            step();
            note(record, start, count);
        }
        tokens_.push_back(Token::of(TokenKind::Eof));
        record.tokens.push_back(span(n_, n_));
        return std::move(tokens_);
    }

  private:
    static SourceSpan span(size_t begin, size_t end) {
        return {static_cast<uint32_t>(begin), static_cast<uint32_t>(end)};
    }
    void note(LexRecord& record, size_t start, size_t count) const {
        if (tokens_.size() > count) {
            record.tokens.push_back(span(start, i_));
            return;
        }
        const unsigned char c = at(start);
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') return;
        if (c == '#' || c == '/') {
            record.comments.push_back(span(start, i_));
            return;
        }
        // Non-ASCII characters are dropped a byte at a time; the bytes join into one span.
        if (!record.dropped.empty() && record.dropped.back().end == start) {
            record.dropped.back().end = static_cast<uint32_t>(i_);
        } else {
            record.dropped.push_back(span(start, i_));
        }
    }

    unsigned char at(size_t k) const { return static_cast<unsigned char>(text_[k]); }
    // The character after the current one, or 0 at the end of the text.
    unsigned char next() const { return i_ + 1 < n_ ? at(i_ + 1) : 0; }
    void emit(TokenKind kind, size_t width) {
        tokens_.push_back(Token::of(kind));
        i_ += width;
    }
    // A character that may start a two-character token: `first` alone, or a pair.
    void pair(TokenKind first, char second_a, TokenKind pair_a, char second_b = 0,
              TokenKind pair_b = TokenKind::Eof) {
        const unsigned char c = next();
        if (c != 0 && c == static_cast<unsigned char>(second_a)) return emit(pair_a, 2);
        if (second_b != 0 && c == static_cast<unsigned char>(second_b)) return emit(pair_b, 2);
        emit(first, 1);
    }

    void step() {
        using K = TokenKind;
        const unsigned char c = at(i_);
        switch (c) {
            case ' ':
            case '\t':
            case '\n':
            case '\r':
                ++i_;
                return;
            case '#': {
                size_t end = text_.find('\n', i_);
                i_ = end == std::string_view::npos ? n_ : end + 1;
                return;
            }
            case '/':
                if (next() == '*') {
                    size_t end = text_.find("*/", i_ + 2);
                    i_ = end == std::string_view::npos ? n_ : end + 2;
                    return;
                }
                return pair(K::Slash, '=', K::SlashAssign);
            case '"':
                return string_literal();
            case '(':
                return emit(K::LParen, 1);
            case ')':
                return emit(K::RParen, 1);
            case '{':
                return emit(K::LBrace, 1);
            case '}':
                return emit(K::RBrace, 1);
            case '[':
                return emit(K::LBracket, 1);
            case ']':
                return emit(K::RBracket, 1);
            case ',':
                return emit(K::Comma, 1);
            case ':':
                return emit(K::Colon, 1);
            case ';':
                return emit(K::Semicolon, 1);
            case '.':
                return emit(K::Dot, 1);
            case '?':
                return emit(K::Question, 1);
            case '%':
                return emit(K::Percent, 1);
            case '!':
                return pair(K::Not, '=', K::NotEqual);
            case '=':
                return pair(K::Assign, '=', K::Equal, '>', K::FatArrow);
            case '+':
                return pair(K::Plus, '=', K::PlusAssign);
            case '-':
                return pair(K::Minus, '=', K::MinusAssign, '>', K::Arrow);
            case '*':
                return pair(K::Star, '=', K::StarAssign, '*', K::Power);
            case '<':
                return pair(K::Less, '=', K::LessEqual);
            case '>':
                return pair(K::Greater, '=', K::GreaterEqual);
            default:
                break;
        }
        if (is_ascii_digit(c)) return number_literal();
        if (c == '_' || is_ascii_letter(c)) return identifier();
        ++i_;  // belongs to no token (continuation bytes of a non-ASCII character included)
    }

    void number_literal() {
        const size_t start = i_;
        int64_t value = 0;
        bool saturated = false;
        while (i_ < n_ && is_ascii_digit(at(i_))) {
            const int digit = at(i_) - '0';
            if (!saturated) {
                if (value > (kMaxInteger - digit) / 10) {
                    saturated = true;
                    value = kMaxInteger;
                } else {
                    value = value * 10 + digit;
                }
            }
            ++i_;
        }
        if (i_ + 1 < n_ && at(i_) == '.' && is_ascii_digit(at(i_ + 1))) {
            ++i_;
            while (i_ < n_ && is_ascii_digit(at(i_)))
                ++i_;
            Token token = Token::of(TokenKind::Float);
            const char* first = text_.data() + start;
            const char* last = text_.data() + i_;
            auto [ptr, ec] = std::from_chars(first, last, token.real);
            if (ec == std::errc::result_out_of_range) {
                // Too large (only possible with hundreds of digits) or too small.
                token.real = value > 0 ? HUGE_VAL : 0.0;
            }
            tokens_.push_back(std::move(token));
            return;
        }
        Token token = Token::of(TokenKind::Number);
        token.number = value;
        tokens_.push_back(std::move(token));
    }

    void identifier() {
        const size_t start = i_;
        ++i_;
        while (i_ < n_) {
            const unsigned char c = at(i_);
            if (c < 0x80) {
                if (c == '_' || is_ascii_letter(c) || is_ascii_digit(c)) {
                    ++i_;
                    continue;
                }
                break;
            }
            int32_t next = static_cast<int32_t>(i_);
            UChar32 cp;
            U8_NEXT(reinterpret_cast<const uint8_t*>(text_.data()), next, static_cast<int32_t>(n_),
                    cp);
            if (cp < 0 || !is_identifier_continue(cp)) break;
            i_ = static_cast<size_t>(next);
        }
        const std::string_view word = text_.substr(start, i_ - start);
        const TokenKind kind = keyword_kind(word);
        Token token = Token::of(kind);
        if (kind == TokenKind::Identifier) token.text.assign(word);
        tokens_.push_back(std::move(token));
    }

    void string_literal() {
        ++i_;  // opening quote
        Token token = Token::of(TokenKind::String);
        std::string& out = token.text;
        while (i_ < n_) {
            // Copy the run up to the next quote or backslash in one piece.
            size_t stop = i_;
            while (stop < n_ && at(stop) != '"' && at(stop) != '\\')
                ++stop;
            out.append(text_.data() + i_, stop - i_);
            i_ = stop;
            if (i_ >= n_) break;
            if (at(i_) == '"') {
                ++i_;
                break;
            }
            // A backslash.
            if (i_ + 1 >= n_) {
                ++i_;  // a backslash that is the last character is dropped
                break;
            }
            const unsigned char e = at(i_ + 1);
            switch (e) {
                case '\\':
                    out += '\\';
                    i_ += 2;
                    break;
                case 'n':
                    out += '\n';
                    i_ += 2;
                    break;
                case 'r':
                    out += '\r';
                    i_ += 2;
                    break;
                case 't':
                    out += '\t';
                    i_ += 2;
                    break;
                case '"':
                    out += '"';
                    i_ += 2;
                    break;
                default:
                    // Kept as written: the backslash now, the character with the next run.
                    out += '\\';
                    i_ += 1;
                    break;
            }
        }
        tokens_.push_back(std::move(token));
    }

    std::string_view text_;
    size_t n_;
    size_t i_ = 0;
    std::vector<Token> tokens_;
};

}  // namespace

std::vector<Token> tokenize(std::string_view text) {
    return Lexer(text).run();
}

std::vector<Token> tokenize(std::string_view text, LexRecord& record) {
    return Lexer(text).run(record);
}

}  // namespace tarnel
