#include "app/InfoForm.h"

#include "app/ErrorForm.h"
#include "app/FormText.h"
#include "catalogue/Statistics.h"
#include "settings/Translate.h"

#include <QAction>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include <filesystem>

namespace {

const QColor TotalRowColour(238, 238, 238);

QLineEdit* ReadOnlyBox(QWidget* parent, const char* name) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    return box;
}

QTableWidgetItem* Cell(const QString& text, bool number) {
    auto* item = new QTableWidgetItem(text);
    if (number)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

QString Kilobytes(const std::optional<double>& value) {
    return value ? QStr(DecimalText(*value)) : QString();
}

} // namespace

TInfoForm::TInfoForm(QWidget* parent) : QDialog(parent) {
    setObjectName("InfoForm");
    setWindowTitle(QTr("Database Information"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    EFileName = ReadOnlyBox(this, "EFileName");
    EFileSize = ReadOnlyBox(this, "EFileSize");
    ELastUpdate = ReadOnlyBox(this, "ELastUpdate");
    ShowErrorsAction = ELastUpdate->addAction(style()->standardIcon(QStyle::SP_MessageBoxWarning),
                                              QLineEdit::TrailingPosition);
    ShowErrorsAction->setObjectName("ShowErrorsAction");
    ShowErrorsAction->setToolTip(QTr("Show error list"));
    ShowErrorsAction->setVisible(false);
    connect(ShowErrorsAction, &QAction::triggered, this, &TInfoForm::ELastUpdateSubEditButton0Click);

    StatGrid = new QTableWidget(0, 4, this);
    StatGrid->setObjectName("StatGrid");
    StatGrid->setHorizontalHeaderLabels(
        {QTr("Tablatures"), QTr("Count"), QTr("Total Size (KB)"), QTr("Avg. Size (KB)")});
    const int widths[] = {100, 70, 90, 90};
    for (int column = 0; column < 4; ++column)
        StatGrid->setColumnWidth(column, widths[column]);
    StatGrid->verticalHeader()->hide();
    StatGrid->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    StatGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StatGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StatGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StatGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    StatGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    StatGrid->setFixedWidth(100 + 70 + 90 + 90 + 2 * StatGrid->frameWidth());

    auto* ok = new QPushButton(QTr("OK"), this);
    ok->setObjectName("BtnOK");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* form = new QFormLayout;
    form->addRow(QTr("File Name"), EFileName);
    form->addRow(QTr("File Size"), EFileSize);
    form->addRow(QTr("Updated"), ELastUpdate);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(StatGrid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TInfoForm::Execute(QWidget* parent, TCatalogueConnection& db, const std::string& path) {
    TInfoForm form(parent);
    form.Fill(db, path);
    form.exec();
}

void TInfoForm::Fill(TCatalogueConnection& db, const std::string& path) {
    Db = &db;
    const uintmax_t size = std::filesystem::file_size(path);
    EFileName->setText(QStr(path));
    EFileSize->setText(QStr(FileSizeText(size)));
    ELastUpdate->setText(QStr(LastUpdateText(db)));
    ShowErrorsAction->setVisible(ErrorCountOf(db) > 0);
    SetStatistics(ReadStatistics(db));
}

// The last row is the total: grey, with its name translated; the family names show as stored.
void TInfoForm::SetStatistics(const std::vector<TStatRow>& rows) {
    StatGrid->setRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < StatGrid->rowCount(); ++row) {
        const TStatRow& stat = rows[row];
        const bool total = row + 1 == StatGrid->rowCount();
        QTableWidgetItem* cells[] = {
            Cell(stat.Type == "Total" ? QTr("Total") : QStr(stat.Type), false),
            Cell(QString::number(stat.Count), true),
            Cell(Kilobytes(stat.TotalKb), true),
            Cell(Kilobytes(stat.AverageKb), true),
        };
        for (int column = 0; column < 4; ++column) {
            cells[column]->setBackground(total ? TotalRowColour : QColor(Qt::white));
            cells[column]->setForeground(QColor(Qt::black));
            StatGrid->setItem(row, column, cells[column]);
        }
    }
    StatGrid->setFixedHeight(StatGrid->horizontalHeader()->sizeHint().height() +
                             StatGrid->verticalHeader()->length() + 2 * StatGrid->frameWidth());
}

void TInfoForm::ELastUpdateSubEditButton0Click() {
    if (Db)
        TErrorForm::Execute(this, *Db);
}
