#include "UAbout.h"

#include "UForms.h"
#include "UGradientPanel.h"
#include "UProgramPalette.h"
#include "UVersionInfo.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include <functional>

TfrmAbout* frmAbout = nullptr;

namespace {

// A label that reports a left click released over it.
class TLinkLabel : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> OnClick;

protected:
    void enterEvent(QEnterEvent* Event) override {
        QFont f = font();
        f.setUnderline(true);
        setFont(f);
        QLabel::enterEvent(Event);
    }
    void leaveEvent(QEvent* Event) override {
        QFont f = font();
        f.setUnderline(false);
        setFont(f);
        QLabel::leaveEvent(Event);
    }
    void mouseReleaseEvent(QMouseEvent* Event) override {
        if (Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint()) &&
            OnClick)
            OnClick();
        QLabel::mouseReleaseEvent(Event);
    }
};

QFont labelFont() {
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(13);
    return f;
}

QLabel* makeLabel(QWidget* Parent, const QString& Text, const QRect& Place,
                  const char* Name = nullptr) {
    auto* label = new QLabel(Text, Parent);
    if (Name)
        label->setObjectName(QLatin1String(Name));
    label->setFont(labelFont());
    label->setGeometry(Place);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setAutoFillBackground(false);
    return label;
}

} // namespace

TfrmAbout::TfrmAbout(QWidget* Parent, const QString& VersionResource)
    : QDialog(Parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("关于本软件"));
    // Its texts stand on its own pictures and panels: its own colours, not
    // the desktop theme's.
    UseProgramPalette(this);
    setFixedSize(357, 205);

    FPanel = new TGradientPanel(this);
    FPanel->setObjectName(QStringLiteral("pnlAbout"));
    FPanel->setGeometry(0, 0, 357, 205);
    FPanel->SetColors(QColor(237, 243, 252), Qt::white);
    FPanel->SetFrameColors(QColor(142, 156, 173), Qt::white);

    FLogo = new QLabel(FPanel);
    FLogo->setObjectName(QStringLiteral("imgLogo"));
    FLogo->setGeometry(8, 16, 72, 72);
    FLogo->setAttribute(Qt::WA_TranslucentBackground);
    const QPixmap logo(QStringLiteral(":/about/logo.png"));
    if (!logo.isNull())
        FLogo->setPixmap(logo.scaled(72, 72, Qt::KeepAspectRatio, Qt::SmoothTransformation));

    makeLabel(FPanel, QStringLiteral("版  本："), QRect(101, 16, 42, 16));
    FlblVersion = makeLabel(FPanel, {}, QRect(157, 16, 129, 16), "lblVersion");
    makeLabel(FPanel, QStringLiteral("名  称："), QRect(101, 51, 42, 16));
    FlblProductName = makeLabel(FPanel, {}, QRect(157, 51, 129, 16), "lblProductName");
    makeLabel(FPanel, QStringLiteral("作  者："), QRect(101, 85, 42, 16));
    FlblDevolper = makeLabel(FPanel, {}, QRect(157, 85, 129, 16), "lblDevolper");
    makeLabel(FPanel, QStringLiteral("作者主页："), QRect(101, 120, 60, 16));

    auto* link = new TLinkLabel(FPanel);
    link->setObjectName(QStringLiteral("lblWebSite"));
    link->setFont(labelFont());
    link->setGeometry(173, 120, 129, 16);
    link->setAttribute(Qt::WA_TranslucentBackground);
    link->setCursor(Qt::PointingHandCursor);
    link->OnClick = [this] { lblWebSiteClick(); };
    FlblWebSite = link;

    FOK = new QPushButton(QStringLiteral("确  定"), FPanel);
    FOK->setObjectName(QStringLiteral("btnOK"));
    FOK->setGeometry(288, 168, 52, 24);
    QFont buttonFont(QStringLiteral("MS Sans Serif"));
    buttonFont.setPixelSize(11);
    FOK->setFont(buttonFont);
    QPalette p = FOK->palette();
    p.setColor(QPalette::ButtonText, QColor(30, 57, 91));
    FOK->setPalette(p);
    FOK->setDefault(true);
    connect(FOK, &QPushButton::clicked, this, &QDialog::close);

    FormCreate(VersionResource);
}

TfrmAbout::~TfrmAbout() {
    if (frmAbout == this)
        frmAbout = nullptr;
}

void TfrmAbout::FormCreate(const QString& VersionResource) {
    const TVersionInfo info(VersionResource.isEmpty() ? TVersionInfo::kProgramResource
                                                      : VersionResource);
    FlblVersion->setText(info.ProductVersion);
    FlblProductName->setText(info.ProductName);
    FlblDevolper->setText(info.CompanyName);
    FlblWebSite->setText(info.Comments);
}

void TfrmAbout::lblWebSiteClick() {
    // The address is the program's, not the label's; a failure to start the
    // browser is not reported.
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(kMakerSiteAddress)));
}

void TfrmAbout::showEvent(QShowEvent* Event) {
    // At the centre of the main window (of the screen while there is none).
    QRect around;
    if (const QWidget* main = MainForm())
        around = main->frameGeometry();
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        around = screen->availableGeometry();
    if (around.isValid())
        move(around.x() + (around.width() - width()) / 2,
             around.y() + (around.height() - height()) / 2);
    QDialog::showEvent(Event);
}

void TfrmAbout::done(int Result) {
    QDialog::done(Result);
    FormClose();
}

void TfrmAbout::FormClose() {
    if (FClosing)
        return;
    FClosing = true;
    if (frmAbout == this)
        frmAbout = nullptr;
    // Destroyed once the close completes (after exec() has returned).
    deleteLater();
}
