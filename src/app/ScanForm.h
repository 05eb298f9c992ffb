#pragma once

#include <QDialog>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class TScanThread;
class TScanProgressRelay;

// What a finished scan left for its caller.
struct TScanOutcome {
    // Empty, or why the scan did not start or could not be stored.
    std::string Failure;
    int Added = 0;
    int ErrorCount = 0;
    int64_t Elapsed = 0; // milliseconds
};

// "Updating Database": runs one scan at a time, showing its stage in LStage and the folder being
// walked in LComment. Cancel and the system's close keys ask the scan to stop; the window stays
// until the scan has ended, so the catalogue is never reopened while the scan still writes.
class TScanForm : public QDialog {
    Q_OBJECT
public:
    explicit TScanForm(QWidget* parent = nullptr);
    ~TScanForm() override;

    // Scans folders into the catalogue at dbFile inside this window, shown modally, and returns
    // when the scan has ended. codePage: see TScanThread.
    TScanOutcome RunScan(std::vector<std::string> folders, uint8_t tabTypes, const std::string& dbFile,
                         const std::string& codePage = "");

    QString StageText() const;
    QString CommentText() const;

signals:
    // The stage and folder just shown; the scan waits until the receivers have returned.
    void ProgressShown(const QString& stage, const QString& folder);

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    friend class TScanProgressRelay;
    void ShowProgress(const QString& stage, const QString& folder);
    void ScanEnded();
    void BtnCancelClick();

    QLabel* LStage;
    QLabel* LComment;
    QPushButton* BtnCancel;
    QWidget* Animation;
    std::unique_ptr<TScanThread> Scan;
    bool CloseAllowed = true;
};
