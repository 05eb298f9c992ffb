#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Told that a catalogue could not be opened, the user chooses what to do next: the dialog ends
// with OpenAnother, CreateNew or Rejected ("Do nothing").
class TCannotOpenDlg : public QDialog {
    Q_OBJECT

public:
    enum TResult { OpenAnother = 100, CreateNew = 101 };

    explicit TCannotOpenDlg(QWidget* parent);

    // The path, a line break and the reason.
    void SetError(const QString& text);
    QString ErrorText() const;
    // Without a way to create a catalogue the choice is not offered.
    void SetCanCreate(bool canCreate);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* LDatabaseError;
    QPushButton* BtnCreateNew;
};
