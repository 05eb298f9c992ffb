#include "app/FormText.h"

#include <QLabel>

QString FillFormat(const std::string& format, std::initializer_list<QString> values) {
    const QString text = QStr(format);
    QString out;
    auto next = values.begin();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar conversion = i + 1 < text.size() && text[i] == u'%' ? text[i + 1] : QChar();
        if (conversion == u'd' || conversion == u's' || conversion == u'f') {
            if (next != values.end())
                out += *next++;
        } else if (conversion == u'%') {
            out += u'%';
        } else {
            out += text[i];
            continue;
        }
        ++i;
    }
    return out;
}

QString TrimBlanks(const QString& text) {
    const auto isBlank = [](QChar c) { return c.unicode() <= u' ' || c.isSpace(); };
    qsizetype first = 0, last = text.size();
    while (first < last && isBlank(text[first]))
        ++first;
    while (last > first && isBlank(text[last - 1]))
        --last;
    return text.mid(first, last - first);
}

QLabel* LinkLabel(const QString& address, QWidget* parent) {
    auto* label =
        new QLabel("<a href=\"" + address.toHtmlEscaped() + "\">" + address.toHtmlEscaped() + "</a>", parent);
    label->setOpenExternalLinks(true);
    label->setVisible(!address.isEmpty());
    return label;
}
