#include "app/AboutBox.h"

#include "app/FormText.h"
#include "settings/Translate.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include <boost/version.hpp>
#include <gnu/libc-version.h>
#include <sqlite3.h>
#include <zlib.h>

#ifndef QV_MINIZIP_VERSION
#define QV_MINIZIP_VERSION ""
#endif
#ifndef QV_HOMEPAGE
#define QV_HOMEPAGE ""
#endif

namespace {

// A guitar drawn at the left of the window.
QPixmap GuitarPicture() {
    QPixmap picture(165, 170);
    picture.fill(Qt::white);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(82, 85);
    p.rotate(35);
    p.setPen(QPen(QColor(60, 40, 20), 2));
    p.setBrush(QColor(120, 72, 30));
    p.drawRect(-5, -80, 10, 58);
    p.drawRoundedRect(-8, -88, 16, 12, 3, 3);
    QPainterPath body;
    body.addEllipse(QPointF(0, 0), 25, 22);
    body.addEllipse(QPointF(0, 35), 33, 30);
    p.setBrush(QColor(200, 120, 40));
    p.drawPath(body.simplified());
    p.setBrush(QColor(40, 25, 10));
    p.drawEllipse(QPointF(0, 8), 9, 9);
    p.drawRect(-12, 45, 24, 5);
    p.setPen(QPen(QColor(220, 220, 220), 0.6));
    for (int s = -3; s <= 2; ++s)
        p.drawLine(QPointF(s * 1.4 + 0.7, -84), QPointF(s * 1.4 + 0.7, 47));
    return picture;
}

} // namespace

std::vector<TTechnology> Technologies() {
    const QString boost = QString("%1.%2.%3")
                              .arg(BOOST_VERSION / 100000)
                              .arg(BOOST_VERSION / 100 % 1000)
                              .arg(BOOST_VERSION % 100);
    return {
        {"SQLite " + QString(sqlite3_libversion()), "https://www.sqlite.org/"},
        {"Qt " + QString(qVersion()), "https://www.qt.io/"},
        {"Boost.Locale " + boost, "https://www.boost.org/libs/locale/"},
        {"zlib " + QString(zlibVersion()), "https://zlib.net/"},
        {("minizip " + QString(QV_MINIZIP_VERSION)).trimmed(),
         "https://www.winimage.com/zLibDll/minizip.html"},
        {"GNU C Library (iconv) " + QString(gnu_get_libc_version()), "https://www.gnu.org/software/libc/"},
    };
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutBox");
    setWindowTitle(QTr("About Quiravel"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    auto* picture = new QLabel(this);
    picture->setPixmap(GuitarPicture());
    auto* name = new QLabel("Quiravel " QV_VERSION, this);
    name->setObjectName("LNameAndVersion");
    QFont bold = name->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    name->setFont(bold);
    TechListBox = new QListWidget(this);
    TechListBox->setObjectName("TechListBox");
    TechListBox->setToolTip(QTr("Double-click on selected item for more information"));
    TechListBox->setFixedSize(260, 110);
    connect(TechListBox, &QListWidget::itemDoubleClicked, this, &TAboutBox::TechListBoxDblClick);
    auto* ok = new QPushButton(QTr("OK"), this);
    ok->setObjectName("BtnOK");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(new QLabel(QTr("Copyright © the Quiravel developers"), this));
    texts->addWidget(LinkLabel(QV_HOMEPAGE, this));
    texts->addSpacing(8);
    texts->addWidget(new QLabel(QTr("Third-party technologies:"), this));
    texts->addWidget(TechListBox);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    texts->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(picture, 0, Qt::AlignTop);
    layout->addLayout(texts);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TAboutBox::Execute(QWidget* parent) {
    TAboutBox box(parent);
    box.exec();
}

void TAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    TechListBox->clear();
    Addresses.clear();
    for (const TTechnology& technology : Technologies()) {
        TechListBox->addItem(technology.Name);
        Addresses.push_back(technology.HomePage);
    }
}

void TAboutBox::TechListBoxDblClick(QListWidgetItem* item) {
    const int row = TechListBox->row(item);
    if (row >= 0 && row < static_cast<int>(Addresses.size()))
        QDesktopServices::openUrl(QUrl(Addresses[row]));
}
