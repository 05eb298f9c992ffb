#include "catalogue/Statistics.h"

#include "browse/QueryComposer.h"
#include "catalogue/CatalogueVersion.h"
#include "settings/Translate.h"

#include <QLocale>

const char* const StatQuerySql =
    "select 2 as rownum, 'Total'      as ftype, count(*) as fnum, round(sum(filesize)/1024.0, 2) as fsize, "
    "round(avg(filesize)/1024.0, 2) as favg from tablatures\n"
    "union\n"
    "select 1 as rownum, 'Power Tab'  as ftype, count(*) as fnum, round(sum(filesize)/1024.0, 2) as fsize, "
    "round(avg(filesize)/1024.0, 2) as favg from tablatures\n"
    "where filename like '%.ptb'\n"
    "union\n"
    "select 1 as rownum, 'Guitar Pro' as ftype, count(*) as fnum, round(sum(filesize)/1024.0, 2) as fsize, "
    "round(avg(filesize)/1024.0, 2) as favg from tablatures\n"
    "where (filename like '%.gtp') or\n"
    "      (filename like '%.gp3') or\n"
    "      (filename like '%.gp4') or\n"
    "      (filename like '%.gp5') or\n"
    "      (filename like '%.gpx')\n"
    "union\n"
    "select 1 as rownum, 'TablEdit'   as ftype, count(*) as fnum, round(sum(filesize)/1024.0, 2) as fsize, "
    "round(avg(filesize)/1024.0, 2) as favg from tablatures\n"
    "where filename like '%.tef'\n"
    "union\n"
    "select 1 as rownum, 'TuxGuitar'  as ftype, count(*) as fnum, round(sum(filesize)/1024.0, 2) as fsize, "
    "round(avg(filesize)/1024.0, 2) as favg from tablatures\n"
    "where filename like '%.tg'\n"
    "order by rownum, fnum desc;";

const char* const ErrorListSql = "select * from errors;";

namespace {

std::optional<double> OptionalReal(const TSqlStatement& row, int column) {
    if (row.ColumnIsNull(column))
        return std::nullopt;
    return sqlite3_column_double(row.Handle(), column);
}

std::string TextAt(const TSqlStatement& row, int column) {
    return column < 0 ? std::string() : row.ColumnText(column);
}

} // namespace

std::vector<TStatRow> ReadStatistics(TCatalogueConnection& db) {
    std::vector<TStatRow> rows;
    TSqlStatement query = db.Prepare(StatQuerySql);
    while (db.Step(query))
        rows.push_back(
            {query.ColumnText(1), query.ColumnInt64(2), OptionalReal(query, 3), OptionalReal(query, 4)});
    return rows;
}

std::vector<TErrorEntry> ReadErrorList(TCatalogueConnection& db) {
    std::vector<TErrorEntry> rows;
    TSqlStatement query = db.Prepare(ErrorListSql);
    const int file = ColumnIndex(query, "filename"), error = ColumnIndex(query, "error");
    while (db.Step(query))
        rows.push_back({TextAt(query, file), TextAt(query, error)});
    return rows;
}

std::string DbInfoValue(TCatalogueConnection& db, const std::string& key) {
    TSqlStatement query = db.Prepare("SELECT * FROM dbinfo WHERE iKey='" + QuoteValue(key) + "';");
    return db.Step(query) && query.ColumnCount() > 1 ? query.ColumnText(1) : std::string();
}

std::string LastUpdateText(TCatalogueConnection& db) {
    return DbInfoValue(db, "upd_date") + " " + DbInfoValue(db, "upd_time");
}

int ErrorCountOf(TCatalogueConnection& db) {
    int count = 0;
    return ParseWholeNumber(DbInfoValue(db, "err_count"), count) ? count : 0;
}

std::string DecimalText(double value) {
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', 2).toStdString();
}

std::string FileSizeText(uint64_t bytes) {
    const std::string format = Tr("%f MB (%d B)");
    std::string out;
    for (size_t i = 0; i < format.size(); ++i) {
        const char conversion = i + 1 < format.size() && format[i] == '%' ? format[i + 1] : '\0';
        if (conversion == 'f')
            out += DecimalText(static_cast<double>(bytes) / 1024 / 1024);
        else if (conversion == 'd')
            out += std::to_string(bytes);
        else if (conversion == '%')
            out += '%';
        else {
            out += format[i];
            continue;
        }
        ++i;
    }
    return out;
}
