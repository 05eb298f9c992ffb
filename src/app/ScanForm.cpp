#include "app/ScanForm.h"

#include "app/FormText.h"
#include "catalogue/ScanThread.h"
#include "settings/Translate.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <condition_variable>
#include <mutex>

// Shows the scan's progress on the window's thread while the worker waits. Detach makes the
// pending call and every later one return at once; it must come before anyone waits for the scan.
class TScanProgressRelay : public IScanProgress {
public:
    explicit TScanProgressRelay(TScanForm* form) : Form(form) {}

    void ShowProgress(const std::string& stage, const std::string& folder) override {
        std::unique_lock lock(Mutex);
        if (Detached)
            return;
        const uint64_t ticket = ++Posted;
        QMetaObject::invokeMethod(
            &Context,
            [this, stage = QStr(stage), folder = QStr(folder), ticket] {
                Form->ShowProgress(stage, folder);
                std::lock_guard served(Mutex);
                Served = ticket;
                Done.notify_all();
            },
            Qt::QueuedConnection);
        Done.wait(lock, [&] { return Detached || Served >= ticket; });
    }

    void ScanEnded() override {
        QMetaObject::invokeMethod(&Context, [this] { Form->ScanEnded(); });
    }

    void Detach() {
        std::lock_guard lock(Mutex);
        Detached = true;
        Done.notify_all();
    }

private:
    TScanForm* const Form;
    std::mutex Mutex;
    std::condition_variable Done;
    uint64_t Posted = 0, Served = 0;
    bool Detached = false;
    // Destroyed first, dropping calls not yet run.
    QObject Context;
};

namespace {

// The turning wheel that tells the scan is alive.
class TBusyWheel : public QWidget {
public:
    explicit TBusyWheel(QWidget* parent) : QWidget(parent) {
        setFixedSize(32, 32);
        connect(&Timer, &QTimer::timeout, this, [this] {
            Step = (Step + 1) % Spokes;
            update();
        });
    }
    void Start() { Timer.start(100); }
    void Stop() { Timer.stop(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(16, 16);
        QColor colour = palette().color(QPalette::Highlight);
        for (int i = 0; i < Spokes; ++i) {
            colour.setAlpha(255 - 200 * ((i - Step + Spokes) % Spokes) / Spokes);
            painter.setPen(QPen(colour, 3, Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(0, -8, 0, -14);
            painter.rotate(360.0 / Spokes);
        }
    }

private:
    static constexpr int Spokes = 10;
    int Step = 0;
    QTimer Timer;
};

// Lets a long path wrap after each separator.
QString Breakable(QString path) {
    return path.replace(u'/', QStringLiteral("/\u200B"));
}

} // namespace

TScanForm::TScanForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("ScanForm");
    setWindowTitle(QTr("Updating Database"));
    setFixedSize(360, 130);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    Animation = new TBusyWheel(this);
    LStage = new QLabel(this);
    LStage->setObjectName("LStage");
    LComment = new QLabel(this);
    LComment->setObjectName("LComment");
    LComment->setWordWrap(true);
    LComment->setFixedWidth(265);
    LComment->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    BtnCancel = new QPushButton(QTr("Cancel"), this);
    BtnCancel->setObjectName("BtnCancel");
    connect(BtnCancel, &QPushButton::clicked, this, &TScanForm::BtnCancelClick);

    auto* texts = new QVBoxLayout;
    texts->addWidget(LStage);
    texts->addWidget(LComment, 1);
    auto* top = new QHBoxLayout;
    top->addWidget(Animation, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(line);
    layout->addLayout(buttons);
}

TScanForm::~TScanForm() = default;

QString TScanForm::StageText() const {
    return LStage->text();
}
QString TScanForm::CommentText() const {
    return LComment->text().remove(QChar(0x200B));
}

TScanOutcome TScanForm::RunScan(std::vector<std::string> folders, uint8_t tabTypes, const std::string& dbFile,
                                const std::string& codePage) {
    LStage->setText(QTr("Starting..."));
    LComment->clear();
    CloseAllowed = false;
    TScanProgressRelay relay(this);
    Scan = std::make_unique<TScanThread>(std::move(folders), tabTypes, dbFile, &relay, codePage);
    static_cast<TBusyWheel*>(Animation)->Start();
    Scan->Start();
    exec();
    // exec returns before the end only when every event loop is told to quit.
    if (!Scan->Finished())
        Scan->Terminate();
    relay.Detach();
    Scan->WaitFor();
    static_cast<TBusyWheel*>(Animation)->Stop();
    CloseAllowed = true;
    TScanOutcome outcome{Scan->Failure(), Scan->Added(), Scan->ErrorCount(), Scan->Elapsed()};
    Scan.reset();
    return outcome;
}

void TScanForm::ShowProgress(const QString& stage, const QString& folder) {
    LStage->setText(stage);
    LComment->setText(Breakable(folder));
    emit ProgressShown(stage, folder);
}

void TScanForm::ScanEnded() {
    CloseAllowed = true;
    accept();
}

void TScanForm::BtnCancelClick() {
    if (Scan)
        Scan->Terminate();
}

void TScanForm::reject() {
    BtnCancelClick();
}

void TScanForm::closeEvent(QCloseEvent* event) {
    if (CloseAllowed)
        return QDialog::closeEvent(event);
    BtnCancelClick();
    event->ignore();
}
