#pragma once

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

// SQL colouring for the SQL window's editor: comments italic olive, numbers navy, strings purple,
// symbols blue, reserved words bold, the rest plain. A doubled quote inside a string is an escaped
// quote. Block comments and strings may span lines.
class TSqlHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    enum TTokenKind { Plain, Comment, Number, String, Symbol, Keyword };

    explicit TSqlHighlighter(QTextDocument* document);

    // The format of a kind of token; Plain is the editor's own.
    static QTextCharFormat FormatOf(TTokenKind kind);
    static bool IsKeyword(const QString& word);

protected:
    void highlightBlock(const QString& text) override;

private:
    // Ends of the constructs left open at the end of a line.
    enum TState { Normal = 0, InBlockComment = 1, InSingleQuote = 2, InDoubleQuote = 3 };

    qsizetype CloseOpenState(const QString& text, int state);
    qsizetype Token(const QString& text, qsizetype at);
};
