#include "browse/SongsStatus.h"

#include "browse/ResultSet.h"
#include "settings/Translate.h"

#include <charconv>

namespace {

// The result columns of the file name and its size: the catalogue's rows start with their id.
constexpr int FileNameColumn = 7;
constexpr int FileSizeColumn = 8;

QString FillCount(const std::string& format, long long n) {
    QString text = QString::fromStdString(format);
    const qsizetype at = text.indexOf(QLatin1String("%d"));
    if (at >= 0)
        text.replace(at, 2, QString::number(n));
    return text;
}

std::optional<long long> Integer(std::string_view text) {
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

QString FormatKiloBytes(long long bytes, QChar decimalPoint) {
    // Tenths of a KiB in integers: exact for any size, where a double would round twice.
    const bool negative = bytes < 0;
    const unsigned long long magnitude =
        negative ? 0ULL - static_cast<unsigned long long>(bytes) : static_cast<unsigned long long>(bytes);
    unsigned long long tenths = magnitude / 1024 * 10 + magnitude % 1024 * 10 / 1024;
    const unsigned long long rest = magnitude % 1024 * 10 % 1024;
    if (rest > 512 || (rest == 512 && tenths % 2 == 1))
        ++tenths;
    QString text = QString::number(tenths / 10);
    if (tenths % 10 != 0)
        text += decimalPoint + QString::number(tenths % 10);
    return negative && tenths != 0 ? u'-' + text : text;
}

QString CurrentTabText(const TResultSet* rows, int row, bool workerBusy, QChar decimalPoint) {
    if (workerBusy || !rows || row < 0 || static_cast<size_t>(row) >= rows->RowCount() ||
        rows->ColumnCount() <= FileSizeColumn)
        return {};
    const auto r = static_cast<size_t>(row);
    const auto size = Integer(rows->Cell(r, FileSizeColumn));
    if (!size)
        return {};
    const std::string_view name = rows->Cell(r, FileNameColumn);
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())) + " - " +
           FormatKiloBytes(*size, decimalPoint) + " " + QString::fromStdString(Tr("KB"));
}

QString CountText(size_t rows) {
    const auto n = static_cast<long long>(rows);
    return FillCount(TrN("%d tablature", "%d tablatures", n), n);
}

QString TabCountText(size_t rows, bool workerBusy) {
    return workerBusy ? QString() : CountText(rows);
}

QString SelectionText(size_t marked) {
    const auto n = static_cast<long long>(marked);
    return FillCount(TrN("%d tablature selected", "%d tablatures selected", n), n);
}

std::optional<QString> SongsStatusText(TSongsEvent event, const TSongsState& s, const QString& hint) {
    const size_t rowCount = s.Rows ? s.Rows->RowCount() : 0;
    const auto current = [&] { return CurrentTabText(s.Rows, s.CurrentRow, s.WorkerBusy, s.DecimalPoint); };
    const bool severalMarked = s.Marked >= 2;
    switch (event) {
    case TSongsEvent::HintChanged: {
        const qsizetype bar = hint.indexOf(u'|');
        const QString longPart = bar < 0 ? hint : hint.mid(bar + 1);
        if (!longPart.isEmpty())
            return longPart;
        if (s.HasFocus && s.ListOpen && s.CatalogueOpen)
            return severalMarked ? SelectionText(s.Marked) : current();
        return s.CatalogueOpen ? TabCountText(rowCount, s.WorkerBusy) : QString();
    }
    case TSongsEvent::DataChanged:
        if (severalMarked || !s.CatalogueOpen)
            return std::nullopt;
        return s.HasFocus ? current() : CountText(rowCount);
    case TSongsEvent::MarksChanged:
        if (severalMarked)
            return SelectionText(s.Marked);
        if (s.HasFocus && s.CatalogueOpen)
            return current();
        return std::nullopt;
    case TSongsEvent::FocusIn:
        return current();
    case TSongsEvent::FocusOut:
        return TabCountText(rowCount, s.WorkerBusy);
    }
    return std::nullopt;
}

std::optional<bool> SongsCommandsEnabled(bool catalogueOpen, bool listOpen, size_t rowCount) {
    if (!catalogueOpen)
        return false;
    if (!listOpen)
        return std::nullopt;
    return rowCount > 0;
}
