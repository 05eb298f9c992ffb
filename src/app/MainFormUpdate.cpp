#include "app/MainForm.h"

#include "app/AboutBox.h"
#include "app/ErrorForm.h"
#include "app/InfoForm.h"
#include "app/NewDBForm.h"
#include "app/QtText.h"
#include "app/ScanDoneWnd.h"
#include "app/ScanForm.h"
#include "app/UpdateForm.h"
#include "catalogue/DatabaseError.h"

#include <QAction>
#include <QMessageBox>

// Scanning from the main window: Update, New Database, the scan's notice and error list, and the
// Properties and About windows.

void TMainForm::ConnectUpdateActions() {
    connect(Action("AUpdateDB"), &QAction::triggered, this, &TMainForm::AUpdateDBExecute);
    connect(Action("ANewDB"), &QAction::triggered, this, &TMainForm::ANewDBExecute);
    connect(Action("ADBProps"), &QAction::triggered, this, &TMainForm::ADBPropsExecute);
    connect(Action("AHelpAbout"), &QAction::triggered, this, &TMainForm::AHelpAboutExecute);
}

void TMainForm::AUpdateDBExecute() {
    if (!Browse.CatalogueOpen) {
        ANewDBExecute();
        return;
    }
    if (!UpdateForm)
        UpdateForm = new TUpdateForm(this);
    // Reads the folders of the last scan over the connection that is still open.
    const std::optional<TScanRequest> request = UpdateForm->Execute(Connection);
    if (!request)
        return;
    SetStatusText(QTr("Updating") + " " + QStr(Settings.Main.DatabaseName) + "...");
    ScanIntoCatalogue(*request, QTr("Loading updated database..."));
}

void TMainForm::ANewDBExecute() {
    if (!NewDBForm)
        NewDBForm = new TNewDBForm(this);
    const int result = NewDBForm->Execute(TNewDBForm::DefaultDatabasePath());
    if (result == TNewDBForm::OpenResult) {
        AOpenDBExecute();
        return;
    }
    if (result != QDialog::Accepted)
        return;
    // The new path is the current one whatever the scan's outcome.
    Settings.Main.DatabaseName = NewDBForm->DatabasePath();
    SetStatusText(QTr("Creating") + " " + QStr(Settings.Main.DatabaseName) + "...");
    ScanIntoCatalogue(NewDBForm->Request(), QTr("Loading database..."));
}

// Closes the window's connection so that the scan is the only one to the file, runs the scan and
// opens the catalogue again unless the scan failed.
void TMainForm::ScanIntoCatalogue(const TScanRequest& request, const QString& loadingText) {
    const std::string path = Settings.Main.DatabaseName;
    WaitForQueryThreads();
    Browse.CatalogueOpen = false;
    DeactivateLists();
    CloseConnections();
    if (!ScanForm)
        ScanForm = new TScanForm(this);
    const TScanOutcome outcome = ScanForm->RunScan(request.Folders, request.TabTypes, path);
    if (!outcome.Failure.empty()) {
        QMessageBox box(QMessageBox::Critical, QTr("Error"), QStr(outcome.Failure), QMessageBox::Ok, this);
        RunModal(box);
        return;
    }
    if (!ScanDoneWnd) {
        ScanDoneWnd = new TScanDoneWnd(this);
        ScanDoneWnd->SetErrorListHandler([this] { ShowScanErrors(); });
    }
    ScanDoneWnd->ShowResult(outcome.Added, outcome.ErrorCount, outcome.Elapsed);
    try {
        LoadCatalogue(path, loadingText);
    } catch (const EDatabaseError& e) {
        SetStatusText(QTr("Database not loaded"));
        QMessageBox box(QMessageBox::Critical, QTr("Error"), QStr(path) + "\n" + QString::fromUtf8(e.what()),
                        QMessageBox::Ok, this);
        RunModal(box);
        return;
    }
    SetStatusText({});
}

void TMainForm::ShowScanErrors() {
    WaitForQueryThreads();
    if (Browse.CatalogueOpen)
        TErrorForm::Execute(this, Connection);
}

void TMainForm::ADBPropsExecute() {
    if (Browse.CatalogueOpen)
        TInfoForm::Execute(this, Connection, Settings.Main.DatabaseName);
}

void TMainForm::AHelpAboutExecute() {
    TAboutBox::Execute(this);
}
