#include "output/AnsiEncoder.h"
#include "output/ExportWriters.h"
#include "output/XlsWriter.h"

namespace {

// One row per record from row 0, no heading row; the year cell only when there is a year.
class TExcelWriter : public TExportWriter {
public:
    TExcelWriter(TByteSink& sink, const std::string& codePage) : Sink(sink), Encoder(codePage) {}
    void Begin() override { XLSWriteBOF(Sink); }
    void Row(const TExportRow& row, int64_t index) override {
        auto r = static_cast<uint16_t>(index);
        Label(0, r, row.Title);
        Label(1, r, row.Artist);
        Label(2, r, row.Album);
        if (row.Year)
            XLSWriteInteger(Sink, 3, r, *row.Year);
        Label(4, r, row.Words);
        Label(5, r, row.Music);
        Label(6, r, row.FileName);
        XLSWriteInteger(Sink, 7, r, row.FileSize);
    }
    void End() override { XLSWriteEOF(Sink); }
    int64_t MaxRows() const override { return XLSMaxRows; }

private:
    void Label(uint16_t column, uint16_t row, const std::string& value) {
        Encoder.Encode(value, Text, XLSMaxLabelBytes);
        XLSWriteLabel(Sink, column, row, Text);
    }

    TByteSink& Sink;
    TAnsiEncoder Encoder;
    std::string Text;
};

} // namespace

std::unique_ptr<TExportWriter> MakeExcelWriter(TByteSink& sink, const std::string& codePage) {
    return std::make_unique<TExcelWriter>(sink, codePage);
}
