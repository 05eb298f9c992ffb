#include "app/ErrorForm.h"

#include "app/FormText.h"
#include "catalogue/Statistics.h"
#include "settings/Translate.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// The white band at the top, drawn plain whatever style sheet the skin sets.
QWidget* TopPanel(QWidget* parent, QLabel* message) {
    auto* panel = new QWidget(parent);
    panel->setObjectName("TopPanel");
    panel->setAttribute(Qt::WA_StyledBackground);
    panel->setStyleSheet("#TopPanel { background: white; } #TopPanel QLabel { color: black; }");
    auto* picture = new QLabel(panel);
    picture->setPixmap(parent->style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    auto* layout = new QHBoxLayout(panel);
    layout->addWidget(picture, 0, Qt::AlignTop);
    layout->addWidget(message, 1);
    return panel;
}

} // namespace

TErrorForm::TErrorForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint) {
    setObjectName("ErrorForm");
    setWindowTitle(QTr("Errors"));
    setMinimumSize(300, 250);
    resize(432, 315);
    LMessage = new QLabel(QTr("Following errors were encoutered when updating database:"));
    LMessage->setObjectName("LMessage");
    LMessage->setWordWrap(true);
    ErrorsGrid = new QTableWidget(0, 2, this);
    ErrorsGrid->setObjectName("ErrorsGrid");
    ErrorsGrid->setHorizontalHeaderLabels({QTr("File Name"), QTr("Error")});
    ErrorsGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    ErrorsGrid->verticalHeader()->hide();
    ErrorsGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ErrorsGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    ErrorsGrid->setWordWrap(false);
    auto* ok = new QPushButton(QTr("OK"), this);
    ok->setObjectName("BtnOK");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(TopPanel(this, LMessage));
    auto* body = new QVBoxLayout;
    body->setContentsMargins(8, 0, 8, 8);
    body->addWidget(ErrorsGrid, 1);
    body->addLayout(bottom);
    layout->addLayout(body, 1);
}

void TErrorForm::SetErrors(const std::vector<TErrorEntry>& errors) {
    ErrorsGrid->setRowCount(static_cast<int>(errors.size()));
    for (int row = 0; row < ErrorsGrid->rowCount(); ++row) {
        ErrorsGrid->setItem(row, 0, new QTableWidgetItem(QStr(errors[row].FileName)));
        ErrorsGrid->setItem(row, 1, new QTableWidgetItem(QStr(errors[row].Error)));
    }
}

void TErrorForm::Execute(QWidget* parent, TCatalogueConnection& db) {
    TErrorForm form(parent);
    form.SetErrors(ReadErrorList(db));
    // Opens at a fixed place on the screen, kept inside it.
    const QRect area = (parent ? parent->screen() : QApplication::primaryScreen())->availableGeometry();
    form.move(std::min(area.left() + 572, area.right() - form.width()),
              std::min(area.top() + 286, area.bottom() - form.height()));
    form.exec();
}
