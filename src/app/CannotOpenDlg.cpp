#include "app/CannotOpenDlg.h"

#include "app/QtText.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

QPushButton* AddButton(QVBoxLayout* layout, const char* name, const char* caption) {
    auto* button = new QPushButton(QTr(caption));
    button->setObjectName(name);
    button->setAutoDefault(false);
    layout->addWidget(button);
    return button;
}

} // namespace

TCannotOpenDlg::TCannotOpenDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("CannotOpenDlg");
    setWindowTitle(QTr("Cannot Open Database"));
    auto* picture = new QLabel(this);
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    picture->setPixmap(
        style()->standardIcon(QStyle::SP_MessageBoxCritical, nullptr, this).pixmap(size, size));
    auto* heading = new QLabel(QTr("Cannot open database."), this);
    LDatabaseError = new QLabel(this);
    LDatabaseError->setObjectName("LDatabaseError");
    LDatabaseError->setWordWrap(true);
    LDatabaseError->setTextFormat(Qt::PlainText);
    LDatabaseError->setMinimumWidth(300);

    auto* texts = new QVBoxLayout;
    texts->addWidget(heading);
    texts->addWidget(LDatabaseError);
    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    auto* buttons = new QVBoxLayout;
    QPushButton* openAnother = AddButton(buttons, "BtnOpenAnother", QT_TR_NOOP("Open another database"));
    BtnCreateNew = AddButton(buttons, "BtnCreateNew", QT_TR_NOOP("Create new database"));
    QPushButton* doNothing = AddButton(buttons, "BtnDoNothing", QT_TR_NOOP("Do nothing"));
    layout->addLayout(buttons);
    connect(openAnother, &QPushButton::clicked, this, [this] { done(OpenAnother); });
    connect(BtnCreateNew, &QPushButton::clicked, this, [this] { done(CreateNew); });
    connect(doNothing, &QPushButton::clicked, this, &QDialog::reject);
}

void TCannotOpenDlg::SetError(const QString& text) {
    LDatabaseError->setText(text);
}

QString TCannotOpenDlg::ErrorText() const {
    return LDatabaseError->text();
}

void TCannotOpenDlg::SetCanCreate(bool canCreate) {
    BtnCreateNew->setVisible(canCreate);
}

void TCannotOpenDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    QApplication::beep();
}
