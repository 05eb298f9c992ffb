#include <span>
#include <string_view>
#include <variant>

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

// One column of a record, by the element name that holds it.
struct TColumnTag {
    std::string_view Name;
    std::variant<std::string TExportRow::*, std::optional<int64_t> TExportRow::*, int64_t TExportRow::*>
        Column;
};

// Builds CR LF lines and element lines "<name>value</name>", and sends them to the sink in blocks.
class TMarkupWriter : public TExportWriter {
protected:
    explicit TMarkupWriter(TByteSink& sink) : Sink(sink) {}
    // One record: the line open, an element line per tag, the line close; sent as one block.
    void Record(std::string_view open, std::span<const TColumnTag> tags, std::string_view close,
                const TExportRow& row) {
        static constexpr std::string_view In = "        ";
        Line(open);
        for (const TColumnTag& tag : tags)
            std::visit([&](auto column) { Element(In, tag.Name, row.*column); }, tag.Column);
        Line(close);
        Send();
    }
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
        Record("    <tablature>", Elements, "    </tablature>", row);
    }
    void End() override {
        Line("</tablatures>");
        Send();
    }

private:
    static constexpr TColumnTag Elements[] = {
        {"title", &TExportRow::Title},       {"artist", &TExportRow::Artist},
        {"album", &TExportRow::Album},       {"year", &TExportRow::Year},
        {"music", &TExportRow::Music},       {"words", &TExportRow::Words},
        {"filename", &TExportRow::FileName}, {"filesize", &TExportRow::FileSize},
    };
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
        AnyRow = true;
        Record("    <tr>", Cells, "    </tr>", row);
    }
    void End() override {
        // The document type requires at least one row in a table: an empty list gets one empty row.
        if (!AnyRow) {
            Line("    <tr>");
            for (size_t i = 0; i < std::size(Cells); ++i)
                Line("        <td></td>");
            Line("    </tr>");
        }
        Line("</table>");
        Line("</body>");
        Line("</html>");
        Send();
    }

private:
    // The columns in the catalogue's order.
    static constexpr TColumnTag Cells[] = {
        {"td", &TExportRow::Title},    {"td", &TExportRow::Artist},   {"td", &TExportRow::Album},
        {"td", &TExportRow::Year},     {"td", &TExportRow::Words},    {"td", &TExportRow::Music},
        {"td", &TExportRow::FileName}, {"td", &TExportRow::FileSize},
    };
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
