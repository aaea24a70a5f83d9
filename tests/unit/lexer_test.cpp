// Unit tests of the lexer and the shared debug-text helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "lexer/lexer.h"

namespace tarnel {
namespace {

// The token list as debug texts separated by spaces, without the final EOF (checked apart).
std::string lex(std::string_view text) {
    std::vector<Token> tokens = tokenize(text);
    EXPECT_FALSE(tokens.empty());
    EXPECT_EQ(tokens.back().kind, TokenKind::Eof);
    std::string out;
    for (size_t i = 0; i + 1 < tokens.size(); ++i) {
        EXPECT_NE(tokens[i].kind, TokenKind::Eof) << "EOF in the middle";
        if (!out.empty()) out += ' ';
        out += debug_text(tokens[i]);
    }
    return out;
}

TEST(Lexer, EmptyTextIsOnlyEof) {
    std::vector<Token> tokens = tokenize("");
    ASSERT_EQ(tokens.size(), 1u);
    EXPECT_EQ(tokens[0].kind, TokenKind::Eof);
    EXPECT_EQ(debug_text(tokens[0]), "EOF");
    EXPECT_EQ(lex(" \t\r\n "), "");
}

TEST(Lexer, KindNames) {
    EXPECT_EQ(token_kind_name(TokenKind::Let), "Let");
    EXPECT_EQ(token_kind_name(TokenKind::PlusAssign), "PlusAssign");
    EXPECT_EQ(token_kind_name(TokenKind::GreaterEqual), "GreaterEqual");
    EXPECT_EQ(token_kind_name(TokenKind::FatArrow), "FatArrow");
    EXPECT_EQ(token_kind_name(TokenKind::As), "As");
    EXPECT_EQ(token_kind_name(TokenKind::Eof), "EOF");
}

TEST(Lexer, Keywords) {
    EXPECT_EQ(lex("let def return if else while for in break continue true false"),
              "Let Def Return If Else While For In Break Continue True False");
    EXPECT_EQ(lex("and or not match try catch global use as"),
              "And Or Not Match Try Catch Global Use As");
    EXPECT_EQ(lex("Let TRUE Match matches _ __x"),
              "Identifier(\"Let\") Identifier(\"TRUE\") Identifier(\"Match\") "
              "Identifier(\"matches\") Identifier(\"_\") Identifier(\"__x\")");
}

TEST(Lexer, SingleCharacterTokens) {
    EXPECT_EQ(lex("(){}[],:;.?%"),
              "LParen RParen LBrace RBrace LBracket RBracket Comma Colon Semicolon Dot "
              "Question Percent");
}

TEST(Lexer, TwoCharacterTokens) {
    EXPECT_EQ(lex("! != = == => + += - -= -> * *= ** < <= > >= / /="),
              "Not NotEqual Assign Equal FatArrow Plus PlusAssign Minus MinusAssign Arrow Star "
              "StarAssign Power Less LessEqual Greater GreaterEqual Slash SlashAssign");
}

TEST(Lexer, OneCharacterLookahead) {
    EXPECT_EQ(lex("**="), "Power Assign");
    EXPECT_EQ(lex("!=="), "NotEqual Assign");
    EXPECT_EQ(lex("<=="), "LessEqual Assign");
    EXPECT_EQ(lex("=>="), "FatArrow Assign");
    EXPECT_EQ(lex("==="), "Equal Assign");
    EXPECT_EQ(lex("***"), "Power Star");
    EXPECT_EQ(lex("->>"), "Arrow Greater");
    EXPECT_EQ(lex("//"), "Slash Slash");
    // At the end of the text the one-character token is produced.
    EXPECT_EQ(lex("x="), "Identifier(\"x\") Assign");
    EXPECT_EQ(lex("!"), "Not");
    EXPECT_EQ(lex("/"), "Slash");
}

TEST(Lexer, SpecExamples) {
    EXPECT_EQ(lex("x+=1"), "Identifier(\"x\") PlusAssign Number(1)");
    EXPECT_EQ(lex("a.b(c)"),
              "Identifier(\"a\") Dot Identifier(\"b\") LParen Identifier(\"c\") RParen");
    EXPECT_EQ(lex("!x"), "Not Identifier(\"x\")");
    EXPECT_EQ(lex("not x"), "Not Identifier(\"x\")");
    EXPECT_EQ(lex("12abc"), "Number(12) Identifier(\"abc\")");
    EXPECT_EQ(lex("$x"), "Identifier(\"x\")");
    EXPECT_EQ(lex("sdl2.create_window"), "Identifier(\"sdl2\") Dot Identifier(\"create_window\")");
}

TEST(Lexer, Numbers) {
    EXPECT_EQ(lex("0 7 007 42"), "Number(0) Number(7) Number(7) Number(42)");
    EXPECT_EQ(lex("3.14"), "Float(3.14)");
    EXPECT_EQ(lex("2.50"), "Float(2.5)");
    EXPECT_EQ(lex("1.0"), "Float(1.0)");
    EXPECT_EQ(lex("1."), "Number(1) Dot");
    EXPECT_EQ(lex(".5"), "Dot Number(5)");
    EXPECT_EQ(lex("1.2.3"), "Float(1.2) Dot Number(3)");
    EXPECT_EQ(lex("1..5"), "Number(1) Dot Dot Number(5)");
    EXPECT_EQ(lex("1e5"), "Number(1) Identifier(\"e5\")");
    EXPECT_EQ(lex("1.x"), "Number(1) Dot Identifier(\"x\")");
    EXPECT_EQ(lex("-3"), "Minus Number(3)");
    EXPECT_EQ(lex("0x1F"), "Number(0) Identifier(\"x1F\")");
    EXPECT_EQ(lex("1_000"), "Number(1) Identifier(\"_000\")");
}

TEST(Lexer, FloatIsNearestDouble) {
    std::vector<Token> tokens = tokenize("0.1 123456789.987654321 0.30000000000000004");
    ASSERT_EQ(tokens.size(), 4u);
    EXPECT_EQ(tokens[0].real, 0.1);
    EXPECT_EQ(tokens[1].real, 123456789.987654321);
    EXPECT_EQ(tokens[2].real, 0.30000000000000004);
}

TEST(Lexer, IntegerSaturation) {
    EXPECT_EQ(lex("9223372036854775807"), "Number(9223372036854775807)");
    EXPECT_EQ(lex("9223372036854775808"), "Number(9223372036854775807)");
    EXPECT_EQ(lex("99999999999999999999999999999999"), "Number(9223372036854775807)");
    EXPECT_EQ(lex(std::string(5000, '9')), "Number(9223372036854775807)");
    EXPECT_EQ(lex("9223372036854775806"), "Number(9223372036854775806)");
    // A float with a huge integer part reads as infinity instead of failing.
    std::vector<Token> huge = tokenize(std::string(400, '9') + ".5");
    ASSERT_EQ(huge.size(), 2u);
    EXPECT_EQ(huge[0].kind, TokenKind::Float);
    EXPECT_TRUE(std::isinf(huge[0].real));
    std::vector<Token> tiny = tokenize("0." + std::string(400, '0') + "1");
    ASSERT_EQ(tiny.size(), 2u);
    EXPECT_EQ(tiny[0].kind, TokenKind::Float);
    EXPECT_EQ(tiny[0].real, 0.0);
}

TEST(Lexer, Comments) {
    EXPECT_EQ(lex("# note\ny"), "Identifier(\"y\")");
    EXPECT_EQ(lex("a # note"), "Identifier(\"a\")");
    EXPECT_EQ(lex("/* a */b"), "Identifier(\"b\")");
    EXPECT_EQ(lex("/**/b"), "Identifier(\"b\")");
    EXPECT_EQ(lex("/*/ b */c"), "Identifier(\"c\")");
    EXPECT_EQ(lex("/*/b"), "");  // not closed: runs to the end
    EXPECT_EQ(lex("/* a /* b */ c */"), "Identifier(\"c\") Star Slash");  // no nesting
    EXPECT_EQ(lex("/* unterminated"), "");
    EXPECT_EQ(lex("a /* x\ny */ b"), "Identifier(\"a\") Identifier(\"b\")");
    EXPECT_EQ(lex("a/*"), "Identifier(\"a\")");
    EXPECT_EQ(lex("\"# not a comment\""), "String(\"# not a comment\")");
}

TEST(Lexer, Strings) {
    EXPECT_EQ(lex("\"hello\""), "String(\"hello\")");
    EXPECT_EQ(lex("\"\""), "String(\"\")");
    EXPECT_EQ(lex("\"a\\nb\""), "String(\"a\\nb\")");
    EXPECT_EQ(lex("\"line\nbreak\""), "String(\"line\\nbreak\")");
    EXPECT_EQ(lex("\"\\t\\r\\\\\\\"\""), "String(\"\\t\\r\\\\\\\"\")");
    EXPECT_EQ(lex("\"unterminated"), "String(\"unterminated\")");
    EXPECT_EQ(lex("\"x\" \"y\""), "String(\"x\") String(\"y\")");
}

TEST(Lexer, StringEscapesResolved) {
    auto text = [](std::string_view source) {
        std::vector<Token> tokens = tokenize(source);
        EXPECT_EQ(tokens.size(), 2u);
        EXPECT_EQ(tokens[0].kind, TokenKind::String);
        return tokens[0].text;
    };
    EXPECT_EQ(text("\"a\\nb\""), "a\nb");
    EXPECT_EQ(text("\"\\r\\t\""), "\r\t");
    EXPECT_EQ(text("\"\\\\\""), "\\");
    EXPECT_EQ(text("\"say \\\"hi\\\"\""), "say \"hi\"");
    EXPECT_EQ(text("\"\\q\""), "\\q");  // unknown escapes keep both characters
    EXPECT_EQ(text("\"\\0\""), "\\0");
    EXPECT_EQ(text("\"\\\\n\""), "\\n");  // an escaped backslash, then a plain n
    EXPECT_EQ(text("\"\\é\""), "\\é");
    EXPECT_EQ(text("\"ab\\"), "ab");      // a final backslash is dropped
    EXPECT_EQ(text("\"ab\\\""), "ab\"");  // escaped quote, then end of text
    EXPECT_EQ(text("\"héllo wörld ✓\""), "héllo wörld ✓");
}

TEST(Lexer, UnicodeIdentifiers) {
    EXPECT_EQ(lex("héllo"), "Identifier(\"héllo\")");
    EXPECT_EQ(lex("x²"), "Identifier(\"x²\")");    // U+00B2, category No
    EXPECT_EQ(lex("nЖ٣"), "Identifier(\"nЖ٣\")");  // Cyrillic letter, Arabic-Indic digit
    EXPECT_EQ(lex("aⅫ"), "Identifier(\"aⅫ\")");    // U+216B, category Nl
    EXPECT_EQ(lex("x日本"), "Identifier(\"x日本\")");
    // A non-ASCII character cannot start an identifier: it is dropped.
    EXPECT_EQ(lex("élan"), "Identifier(\"lan\")");
    EXPECT_EQ(lex("日本"), "");
    // Non-alphanumeric characters end an identifier and are then dropped.
    EXPECT_EQ(lex("a€b"), "Identifier(\"a\") Identifier(\"b\")");
    EXPECT_EQ(lex("a✓"), "Identifier(\"a\")");
    EXPECT_EQ(lex("a\u00A0b"), "Identifier(\"a\") Identifier(\"b\")");  // no-break space
}

TEST(Lexer, DroppedCharacters) {
    EXPECT_EQ(lex("@ & | ^ ~ ` ' \\ $"), "");
    EXPECT_EQ(lex("a\x01"
                  "b"),
              "Identifier(\"a\") Identifier(\"b\")");
    EXPECT_EQ(lex("a'b'"), "Identifier(\"a\") Identifier(\"b\")");
}

TEST(Lexer, InvalidUtf8NeverCrashes) {
    // Not valid UTF-8 (callers guarantee it is), but the lexer must still terminate.
    EXPECT_EQ(lex("a\xff"
                  "b"),
              "Identifier(\"a\") Identifier(\"b\")");
    EXPECT_EQ(lex("a\xc3"), "Identifier(\"a\")");
    EXPECT_EQ(lex("\xe2\x82"), "");
    EXPECT_EQ(lex("\"\xff\""), "String(\"\xef\xbf\xbd\")");
}

TEST(Lexer, ExactlyOneEof) {
    std::vector<Token> tokens = tokenize("let x = \"unterminated");
    ASSERT_EQ(tokens.size(), 5u);
    EXPECT_EQ(tokens.back().kind, TokenKind::Eof);
}

TEST(Lexer, TokenEquality) {
    Token a = Token::of(TokenKind::Identifier);
    a.text = "x";
    Token b = a;
    EXPECT_EQ(a, b);
    b.text = "y";
    EXPECT_FALSE(a == b);
    Token n = Token::of(TokenKind::Number);
    n.number = 3;
    Token m = n;
    m.number = 4;
    EXPECT_FALSE(n == m);
    EXPECT_EQ(Token::of(TokenKind::Plus), Token::of(TokenKind::Plus));
    EXPECT_FALSE(Token::of(TokenKind::Plus) == Token::of(TokenKind::Minus));
    Token f = Token::of(TokenKind::Float);
    f.real = 1.5;
    EXPECT_EQ(debug_text(f), "Float(1.5)");
}

TEST(DebugQuote, Escapes) {
    EXPECT_EQ(debug_quote(""), "\"\"");
    EXPECT_EQ(debug_quote("plain text"), "\"plain text\"");
    EXPECT_EQ(debug_quote("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(debug_quote("\t\r\n"), "\"\\t\\r\\n\"");
    EXPECT_EQ(debug_quote(std::string_view("\0", 1)), "\"\\0\"");
    EXPECT_EQ(debug_quote("\x01\x1b\x7f"), "\"\\u{1}\\u{1b}\\u{7f}\"");
    EXPECT_EQ(debug_quote("'"), "\"'\"");
    EXPECT_EQ(debug_quote("héllo ✓ 日本"), "\"héllo ✓ 日本\"");
    EXPECT_EQ(debug_quote("\u0085"), "\"\\u{85}\"");    // C1 control
    EXPECT_EQ(debug_quote("\u00a0"), "\"\\u{a0}\"");    // no-break space (Zs)
    EXPECT_EQ(debug_quote("\u200b"), "\"\\u{200b}\"");  // zero-width space (Cf)
    EXPECT_EQ(debug_quote("\u2028"), "\"\\u{2028}\"");  // line separator
    EXPECT_EQ(debug_quote("\ue000"), "\"\\u{e000}\"");  // private use
    EXPECT_EQ(debug_quote("\U0001F600"), "\"\U0001F600\"");
}

TEST(DebugFloat, ShortestRoundTrip) {
    EXPECT_EQ(debug_float(2.0), "2.0");
    EXPECT_EQ(debug_float(0.5), "0.5");
    EXPECT_EQ(debug_float(100.0), "100.0");
    EXPECT_EQ(debug_float(-2.5), "-2.5");
    EXPECT_EQ(debug_float(0.1), "0.1");
    EXPECT_EQ(debug_float(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(debug_float(3.14), "3.14");
    EXPECT_EQ(debug_float(0.0), "0.0");
    EXPECT_EQ(debug_float(-0.0), "-0.0");
    EXPECT_EQ(debug_float(1e15), "1000000000000000.0");
    EXPECT_EQ(debug_float(9999999999999998.0), "9999999999999998.0");
    EXPECT_EQ(debug_float(0.0001), "0.0001");
}

TEST(DebugFloat, ExponentForm) {
    EXPECT_EQ(debug_float(1e16), "1e16");
    EXPECT_EQ(debug_float(-1e16), "-1e16");
    EXPECT_EQ(debug_float(1.5e-7), "1.5e-7");
    EXPECT_EQ(debug_float(0.00009), "9e-5");
    EXPECT_EQ(debug_float(1.2345e100), "1.2345e100");
    EXPECT_EQ(debug_float(std::numeric_limits<double>::max()), "1.7976931348623157e308");
    EXPECT_EQ(debug_float(5e-324), "5e-324");
}

TEST(DebugFloat, Specials) {
    EXPECT_EQ(debug_float(std::numeric_limits<double>::quiet_NaN()), "NaN");
    EXPECT_EQ(debug_float(std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(debug_float(-std::numeric_limits<double>::infinity()), "-inf");
}

}  // namespace
}  // namespace tarnel

namespace tarnel {
namespace {

// The side record for tools: the same tokens, with the byte span of each, of every run of
// dropped characters (a non-ASCII one whole) and of every comment.
TEST(Lexer, RecordHoldsSpansOfTokensDroppedCharactersAndComments) {
    const std::string_view text = "x $\xC3\xA9= 1 # c\n/* b */\"s\"";
    LexRecord record;
    const std::vector<Token> tokens = tokenize(text, record);
    EXPECT_EQ(tokens, tokenize(text));
    auto spans = [](const std::vector<SourceSpan>& list) {
        std::string out;
        for (const SourceSpan& span : list)
            out += "[" + std::to_string(span.begin) + "," + std::to_string(span.end) + ")";
        return out;
    };
    EXPECT_EQ(spans(record.tokens), "[0,1)[5,6)[7,8)[20,23)[23,23)");
    EXPECT_EQ(spans(record.dropped), "[2,5)");
    EXPECT_EQ(spans(record.comments), "[9,13)[13,20)");
}

}  // namespace
}  // namespace tarnel
