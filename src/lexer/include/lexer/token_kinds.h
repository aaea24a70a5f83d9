// Every token kind, in order, with how it is written in source: the one list from which the
// TokenKind enum, the kind names, the keyword table and, outside the interpreter, the shell's
// completion words and the editor files are made. X(kind, spelling): the spelling is the
// keyword or punctuation text, or "" for kinds that have none of their own.
#pragma once

// clang-format off
#define TARNEL_TOKEN_KINDS(X)                                                                    \
    X(Let, "let") X(Def, "def") X(Return, "return") X(If, "if") X(Else, "else")                \
    X(While, "while") X(For, "for") X(In, "in") X(Break, "break") X(Continue, "continue")      \
    X(True, "true") X(False, "false") X(And, "and") X(Or, "or") X(Not, "not")                  \
    X(Match, "match") X(Try, "try") X(Catch, "catch") X(Global, "global")                      \
    X(Identifier, "") X(Number, "") X(Float, "") X(String, "")                                 \
    X(Plus, "+") X(Minus, "-") X(Star, "*") X(Slash, "/") X(Percent, "%") X(Power, "**")       \
    X(Assign, "=") X(PlusAssign, "+=") X(MinusAssign, "-=") X(StarAssign, "*=")                \
    X(SlashAssign, "/=") X(Equal, "==") X(NotEqual, "!=") X(Less, "<") X(Greater, ">")         \
    X(LessEqual, "<=") X(GreaterEqual, ">=") X(LParen, "(") X(RParen, ")") X(LBrace, "{")      \
    X(RBrace, "}") X(LBracket, "[") X(RBracket, "]") X(Comma, ",") X(Colon, ":")               \
    X(Semicolon, ";") X(Arrow, "->") X(FatArrow, "=>") X(Dot, ".") X(Question, "?")            \
    X(Use, "use") X(As, "as") X(Eof, "")
// clang-format on
