#pragma once

#include <QDialog>
#include <QStringList>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class QBoxLayout;
class QCheckBox;
class QGroupBox;
class QPushButton;
class QTableWidget;
class QToolButton;
class QVBoxLayout;

// What a scan is asked to do: existing root folders in the order given, and the TabTypeFlags.
struct TScanRequest {
    std::vector<std::string> Folders;
    uint8_t TabTypes = 0;
};

// The part the Update Database and New Database windows share: DirsGrid with its numbered rows
// and a folder button on each visible row, the tablature families in FormatGroupBox, OK and
// Cancel, and the checks of OK, each reported by a balloon at the field at fault.
class TScanSetupForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int DirRows = 20;

    // The folder cells as they are, 20 texts.
    QStringList Folders() const;
    // Fills the first rows with folders (at most 20) and empties the others.
    void SetFolders(const QStringList& folders);
    // The request of the last OK.
    const TScanRequest& Request() const { return LastRequest; }

protected:
    TScanSetupForm(QWidget* parent, const QString& caption);
    // Where a window adds its own fields, between the formats and the buttons.
    QVBoxLayout* FieldsArea() const { return Fields; }
    // Where a window adds its own buttons, left of OK.
    QBoxLayout* ButtonRow() const { return Buttons; }
    // The window's own checks after folders and formats passed; true lets OK close the window.
    virtual bool AcceptRequest() { return true; }
    // Beeps and shows message in the error balloon at widget.
    void Complain(QWidget* widget, const QString& message);
    void showEvent(QShowEvent* event) override;

    QTableWidget* DirsGrid;
    QGroupBox* FormatGroupBox;
    QCheckBox* GPCheckBox;
    QCheckBox* PTBCheckBox;
    QCheckBox* TGCheckBox;
    QCheckBox* TEFCheckBox;
    QPushButton* BtnOK;
    QPushButton* BtnCancel;

private:
    QWidget* CreateDirsGrid();
    QWidget* CreateFormatGroup();
    void PlaceDirButtons();
    void DirButtonClick(int row);
    void BtnOKClick();
    uint8_t TabTypes() const;
    bool eventFilter(QObject* watched, QEvent* event) override;

    std::array<QToolButton*, DirRows> DirButtons{};
    QVBoxLayout* Fields;
    QBoxLayout* Buttons;
    TScanRequest LastRequest;
};
