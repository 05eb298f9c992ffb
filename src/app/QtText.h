#pragma once

#include "settings/Translate.h"

#include <QString>

// The translation of an English source text, as the windows take it.
inline QString QTr(const char* text) {
    return QString::fromStdString(Tr(text));
}

inline QString QStr(const std::string& text) {
    return QString::fromStdString(text);
}

// The parts of a command hint "tooltip|status text"; a hint without "|" is its own status text.
struct THintParts {
    QString ToolTip;
    QString StatusTip;
};

inline THintParts SplitHint(const QString& hint) {
    const qsizetype bar = hint.indexOf('|');
    if (bar < 0)
        return {hint, hint};
    return {hint.left(bar), hint.mid(bar + 1)};
}
