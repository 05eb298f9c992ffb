#include "browse/SqlHighlighter.h"

#include <QSet>

namespace {

// SQLite's reserved words and statement names.
const char* const Keywords[] = {
    "ABORT",      "ACTION",    "ADD",         "AFTER",        "ALL",          "ALTER",
    "ANALYZE",    "AND",       "AS",          "ASC",          "ATTACH",       "AUTOINCREMENT",
    "BEFORE",     "BEGIN",     "BETWEEN",     "BY",           "CASCADE",      "CASE",
    "CAST",       "CHECK",     "COLLATE",     "COLUMN",       "COMMIT",       "CONFLICT",
    "CONSTRAINT", "CREATE",    "CROSS",       "CURRENT_DATE", "CURRENT_TIME", "CURRENT_TIMESTAMP",
    "DATABASE",   "DEFAULT",   "DEFERRABLE",  "DEFERRED",     "DELETE",       "DESC",
    "DETACH",     "DISTINCT",  "DROP",        "EACH",         "ELSE",         "END",
    "ESCAPE",     "EXCEPT",    "EXCLUSIVE",   "EXISTS",       "EXPLAIN",      "FAIL",
    "FOR",        "FOREIGN",   "FROM",        "FULL",         "GLOB",         "GROUP",
    "HAVING",     "IF",        "IGNORE",      "IMMEDIATE",    "IN",           "INDEX",
    "INDEXED",    "INITIALLY", "INNER",       "INSERT",       "INSTEAD",      "INTERSECT",
    "INTO",       "IS",        "ISNULL",      "JOIN",         "KEY",          "LEFT",
    "LIKE",       "LIMIT",     "MATCH",       "NATURAL",      "NO",           "NOT",
    "NOTNULL",    "NULL",      "OF",          "OFFSET",       "ON",           "OR",
    "ORDER",      "OUTER",     "PLAN",        "PRAGMA",       "PRIMARY",      "QUERY",
    "RAISE",      "RECURSIVE", "REFERENCES",  "REGEXP",       "REINDEX",      "RELEASE",
    "RENAME",     "REPLACE",   "RESTRICT",    "RIGHT",        "ROLLBACK",     "ROW",
    "SAVEPOINT",  "SELECT",    "SET",         "TABLE",        "TEMP",         "TEMPORARY",
    "THEN",       "TO",        "TRANSACTION", "TRIGGER",      "UNION",        "UNIQUE",
    "UPDATE",     "USING",     "VACUUM",      "VALUES",       "VIEW",         "VIRTUAL",
    "WHEN",       "WHERE",     "WITH",        "WITHOUT",
};

bool IsWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

bool IsSymbol(QChar c) {
    return QStringView(u"()+-*/%<>=!|&~,;.^").contains(c);
}

// The end of a string whose opening quote lies before from: past its closing quote, or -1 when the
// line ends first. A doubled quote is part of the string.
qsizetype StringEnd(const QString& text, qsizetype from, QChar quote) {
    for (qsizetype i = from; i < text.size(); ++i) {
        if (text[i] != quote)
            continue;
        if (i + 1 < text.size() && text[i + 1] == quote)
            ++i;
        else
            return i + 1;
    }
    return -1;
}

qsizetype NumberEnd(const QString& text, qsizetype at) {
    qsizetype i = at;
    while (i < text.size()) {
        const QChar c = text[i];
        const bool exponentSign =
            (c == u'+' || c == u'-') && (text[i - 1] == u'e' || text[i - 1] == u'E') && i - 1 > at;
        if (!IsWordChar(c) && c != u'.' && !exponentSign)
            break;
        ++i;
    }
    return i;
}

} // namespace

TSqlHighlighter::TSqlHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {}

QTextCharFormat TSqlHighlighter::FormatOf(TTokenKind kind) {
    QTextCharFormat format;
    switch (kind) {
    case Comment:
        format.setForeground(QColor(0x80, 0x80, 0x00));
        format.setFontItalic(true);
        break;
    case Number:
        format.setForeground(QColor(0x00, 0x00, 0x80));
        break;
    case String:
        format.setForeground(QColor(0x80, 0x00, 0x80));
        break;
    case Symbol:
        format.setForeground(QColor(0x00, 0x00, 0xFF));
        break;
    case Keyword:
        format.setFontWeight(QFont::Bold);
        break;
    case Plain:
        break;
    }
    return format;
}

bool TSqlHighlighter::IsKeyword(const QString& word) {
    static const QSet<QString> words = [] {
        QSet<QString> set;
        for (const char* k : Keywords)
            set.insert(QString::fromLatin1(k));
        return set;
    }();
    return words.contains(word.toUpper());
}

void TSqlHighlighter::highlightBlock(const QString& text) {
    setCurrentBlockState(Normal);
    qsizetype at = 0;
    const int previous = previousBlockState();
    if (previous == InBlockComment || previous == InSingleQuote || previous == InDoubleQuote)
        at = CloseOpenState(text, previous);
    while (at < text.size())
        at = Token(text, at);
}

qsizetype TSqlHighlighter::CloseOpenState(const QString& text, int state) {
    qsizetype end = -1;
    if (state == InBlockComment) {
        const qsizetype close = text.indexOf(QLatin1String("*/"));
        end = close < 0 ? -1 : close + 2;
    } else {
        end = StringEnd(text, 0, state == InSingleQuote ? u'\'' : u'"');
    }
    const TTokenKind kind = state == InBlockComment ? Comment : String;
    if (end < 0) {
        setFormat(0, static_cast<int>(text.size()), FormatOf(kind));
        setCurrentBlockState(state);
        return text.size();
    }
    setFormat(0, static_cast<int>(end), FormatOf(kind));
    return end;
}

qsizetype TSqlHighlighter::Token(const QString& text, qsizetype at) {
    const QChar c = text[at];
    const QChar next = at + 1 < text.size() ? text[at + 1] : QChar();
    const auto mark = [&](qsizetype end, TTokenKind kind) {
        setFormat(static_cast<int>(at), static_cast<int>(end - at), FormatOf(kind));
        return end;
    };
    const auto open = [&](TState state, TTokenKind kind) {
        setCurrentBlockState(state);
        return mark(text.size(), kind);
    };
    if (c == u'-' && next == u'-')
        return mark(text.size(), Comment);
    if (c == u'/' && next == u'*') {
        const qsizetype close = text.indexOf(QLatin1String("*/"), at + 2);
        return close < 0 ? open(InBlockComment, Comment) : mark(close + 2, Comment);
    }
    if (c == u'\'' || c == u'"') {
        const qsizetype end = StringEnd(text, at + 1, c);
        return end < 0 ? open(c == u'\'' ? InSingleQuote : InDoubleQuote, String) : mark(end, String);
    }
    if (c.isDigit() || (c == u'.' && next.isDigit()))
        return mark(NumberEnd(text, at), Number);
    if (IsWordChar(c)) {
        qsizetype end = at;
        while (end < text.size() && IsWordChar(text[end]))
            ++end;
        return IsKeyword(text.mid(at, end - at)) ? mark(end, Keyword) : end;
    }
    if (IsSymbol(c))
        return mark(at + 1, Symbol);
    return at + 1;
}
