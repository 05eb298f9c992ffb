#include "app/NewDBForm.h"

#include "app/FormText.h"
#include "settings/Settings.h"
#include "settings/Translate.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

TNewDBForm::TNewDBForm(QWidget* parent) : TScanSetupForm(parent, QTr("New Database")) {
    setObjectName("NewDBForm");
    auto* label = new QLabel(QTr("Database filename:"), this);
    DatabaseEditbox = new QLineEdit(this);
    DatabaseEditbox->setObjectName("DatabaseEditbox");
    label->setBuddy(DatabaseEditbox);
    BtnSelectFile = new QToolButton(this);
    BtnSelectFile->setObjectName("BtnSelectFile");
    BtnSelectFile->setText("...");
    BtnSelectFile->setToolTip(QTr("Select file name"));
    auto* row = new QHBoxLayout;
    row->addWidget(DatabaseEditbox);
    row->addWidget(BtnSelectFile);
    FieldsArea()->addWidget(label);
    FieldsArea()->addLayout(row);
    BtnOpenDB = new QPushButton(QTr("Open..."), this);
    BtnOpenDB->setObjectName("BtnOpenDB");
    ButtonRow()->insertWidget(0, BtnOpenDB);
    connect(BtnSelectFile, &QToolButton::clicked, this, &TNewDBForm::BtnSelectFileClick);
    connect(BtnOpenDB, &QPushButton::clicked, this, [this] { done(OpenResult); });
    connect(DatabaseEditbox, &QLineEdit::textEdited, this, [this] { ChosenByDialog = false; });
}

int TNewDBForm::Execute(const std::string& databasePath) {
    DatabaseEditbox->setText(QStr(databasePath));
    ChosenByDialog = false;
    DirsGrid->setFocus();
    return exec();
}

std::string TNewDBForm::DatabasePath() const {
    return DatabaseEditbox->text().toStdString();
}

std::string TNewDBForm::DefaultDatabasePath() {
    return LocalDataFolder() + "/tabs.db3";
}

void TNewDBForm::BtnSelectFileClick() {
    QFileDialog dialog(this, QTr("Select file name"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QTr("Tablature Database (*.db3)"));
    dialog.setDefaultSuffix("db3");
    dialog.setDirectory(QFileInfo(DatabaseEditbox->text()).absolutePath());
    dialog.selectFile("tabs.db3");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    DatabaseEditbox->setText(dialog.selectedFiles().constFirst());
    ChosenByDialog = true;
}

bool TNewDBForm::AcceptRequest() {
    const QString path = DatabaseEditbox->text();
    if (TrimBlanks(path).isEmpty()) {
        Complain(DatabaseEditbox, QTr("Select database filename!"));
        return false;
    }
    const QFileInfo file(path);
    if (!file.exists() || file.isDir() || ChosenByDialog)
        return true;
    const QString question = FillFormat(Tr("File %s already exists."), {path}) + "\n" + QTr("Overwrite it?");
    return QMessageBox::question(this, QTr("Question"), question, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}
