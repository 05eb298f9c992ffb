#include "app/UpdateForm.h"

#include "app/FormText.h"
#include "catalogue/CatalogueConnection.h"
#include "settings/Translate.h"

#include <QPushButton>

TUpdateForm::TUpdateForm(QWidget* parent) : TScanSetupForm(parent, QTr("Update Database")) {
    setObjectName("UpdateForm");
}

std::optional<TScanRequest> TUpdateForm::Execute(TCatalogueConnection& db) {
    SetFolders(ReadDirectories(db, DirRows));
    BtnOK->setFocus();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return Request();
}

QStringList ReadDirectories(TCatalogueConnection& db, int max) {
    QStringList folders;
    TSqlStatement query = db.Prepare("SELECT * FROM directories;");
    const int column = ColumnIndex(query, "directory");
    while (folders.size() < max && db.Step(query))
        folders << (column < 0 ? QString() : QStr(query.ColumnText(column)));
    return folders;
}
