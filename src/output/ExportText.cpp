#include <string_view>

#include "output/ExportWriters.h"
#include "output/Utf8.h"

namespace {

constexpr std::string_view ReplacementChar = "\xEF\xBF\xBD";

bool AllowedControl(unsigned char c) {
    return c == '\t' || c == '\n' || c == '\r';
}

void AppendInteger(std::string& out, int64_t value) {
    out += std::to_string(value);
}

// Builds CR LF lines and element lines "<name>value</name>", and sends them to the sink in blocks.
class TMarkupWriter : public TExportWriter {
protected:
    explicit TMarkupWriter(TByteSink& sink) : Sink(sink) {}
    void Line(std::string_view text) {
        Buffer.append(text);
        Buffer.append("\r\n");
    }
    void Element(std::string_view indent, std::string_view name, const std::string& value) {
        Buffer.append(indent).append("<").append(name).append(">");
        AppendXMLText(Buffer, value);
        Buffer.append("</").append(name).append(">\r\n");
    }
    void Element(std::string_view indent, std::string_view name, int64_t value) {
        Buffer.append(indent).append("<").append(name).append(">");
        AppendInteger(Buffer, value);
        Buffer.append("</").append(name).append(">\r\n");
    }
    void Element(std::string_view indent, std::string_view name, const std::optional<int64_t>& value) {
        if (value)
            Element(indent, name, *value);
        else
            Buffer.append(indent).append("<").append(name).append("></").append(name).append(">\r\n");
    }
    void Send() {
        Sink.Write(Buffer.data(), Buffer.size());
        Buffer.clear();
    }

private:
    TByteSink& Sink;
    std::string Buffer;
};

class TXMLWriter : public TMarkupWriter {
public:
    explicit TXMLWriter(TByteSink& sink) : TMarkupWriter(sink) {}
    void Begin() override {
        Line(R"(<?xml version="1.0" encoding="UTF-8"?>)");
        Line("<tablatures>");
        Send();
    }
    void Row(const TExportRow& row, int64_t) override {
        static constexpr std::string_view In = "        ";
        Line("    <tablature>");
        Element(In, "title", row.Title);
        Element(In, "artist", row.Artist);
        Element(In, "album", row.Album);
        Element(In, "year", row.Year);
        Element(In, "music", row.Music);
        Element(In, "words", row.Words);
        Element(In, "filename", row.FileName);
        Element(In, "filesize", row.FileSize);
        Line("    </tablature>");
        Send();
    }
    void End() override {
        Line("</tablatures>");
        Send();
    }
};

class THTMLWriter : public TMarkupWriter {
public:
    explicit THTMLWriter(TByteSink& sink) : TMarkupWriter(sink) {}
    void Begin() override {
        Line(R"(<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Strict//EN" )"
             R"("http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd">)");
        Line(R"(<html xmlns="http://www.w3.org/1999/xhtml">)");
        Line("<head>");
        Line(R"(    <meta http-equiv="Content-Type" content="text/html; charset=utf-8"/>)");
        Line("    <title>Tablatures</title>");
        Line("</head>");
        Line("<body>");
        Line("<table>");
        Send();
    }
    void Row(const TExportRow& row, int64_t) override {
        static constexpr std::string_view In = "        ";
        AnyRow = true;
        Line("    <tr>");
        Element(In, "td", row.Title);
        Element(In, "td", row.Artist);
        Element(In, "td", row.Album);
        Element(In, "td", row.Year);
        Element(In, "td", row.Words);
        Element(In, "td", row.Music);
        Element(In, "td", row.FileName);
        Element(In, "td", row.FileSize);
        Line("    </tr>");
        Send();
    }
    void End() override {
        // The document type requires at least one row in a table: an empty list gets one empty row.
        if (!AnyRow) {
            Line("    <tr>");
            for (int i = 0; i < 8; ++i)
                Line("        <td></td>");
            Line("    </tr>");
        }
        Line("</table>");
        Line("</body>");
        Line("</html>");
        Send();
    }

private:
    bool AnyRow = false;
};

} // namespace

void AppendXMLText(std::string& out, const std::string& value) {
    const auto* p = reinterpret_cast<const unsigned char*>(value.data());
    size_t n = value.size();
    for (size_t i = 0; i < n;) {
        unsigned char c = p[i];
        if (c >= 0x80) {
            char32_t cp;
            size_t len = DecodeUtf8(p + i, n - i, cp);
            if (len == 0)
                out.append(ReplacementChar);
            else if (cp != 0xFFFE && cp != 0xFFFF)
                out.append(value, i, len);
            i += len ? len : 1;
            continue;
        }
        if (c == '&')
            out.append("&amp;");
        else if (c == '<')
            out.append("&lt;");
        else if (c == '>')
            out.append("&gt;");
        else if (c >= 0x20 || AllowedControl(c))
            out.push_back(static_cast<char>(c));
        ++i;
    }
}

std::unique_ptr<TExportWriter> MakeXMLWriter(TByteSink& sink) {
    return std::make_unique<TXMLWriter>(sink);
}

std::unique_ptr<TExportWriter> MakeHTMLWriter(TByteSink& sink) {
    return std::make_unique<THTMLWriter>(sink);
}
