#pragma once

#include "app/ScanSetupForm.h"

class QLineEdit;
class QToolButton;

// "New Database": root folders, families and the path of a catalogue to build. The folders and
// ticks stay as they were left from one showing to the next.
class TNewDBForm : public TScanSetupForm {
    Q_OBJECT
public:
    // Execute's result when the user chose "Open..." instead.
    static constexpr int OpenResult = 100;

    explicit TNewDBForm(QWidget* parent = nullptr);
    // Shows the window modally with databasePath in the path box. QDialog::Accepted (then read
    // Request and DatabasePath), QDialog::Rejected or OpenResult.
    int Execute(const std::string& databasePath = DefaultDatabasePath());
    // The path box's text as typed.
    std::string DatabasePath() const;
    // Where a new catalogue is proposed: tabs.db3 in the local data folder.
    static std::string DefaultDatabasePath();

protected:
    bool AcceptRequest() override;

private:
    void BtnSelectFileClick();

    QLineEdit* DatabaseEditbox;
    QToolButton* BtnSelectFile;
    QPushButton* BtnOpenDB;
    // The path came from the save dialog, which has asked about overwriting already; typing in the
    // box clears it.
    bool ChosenByDialog = false;
};
