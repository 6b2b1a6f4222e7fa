// The about box on the X server: its window, its controls in place, the
// labels from the version information (and without it), the link that
// always opens the program's own address, closing that destroys the box,
// and a second opening that makes a fresh one.
#include "UAbout.h"
#include "UApplication.h"
#include "UForms.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

QString fixture(const char* Name) {
    return QStringLiteral(VORN_TEST_DATA "/version/") + QLatin1String(Name);
}

QLabel* labelNamed(QWidget* Box, const QString& Name) {
    return Box->findChild<QLabel*>(Name);
}

QLabel* labelShowing(QWidget* Box, const QString& Text) {
    const auto labels = Box->findChildren<QLabel*>();
    for (QLabel* l : labels)
        if (l->text() == Text)
            return l;
    return nullptr;
}

// What a user's "关于..." does: create the box when there is none, then show
// it modally. Closer runs once the box is up.
void openAbout(const std::function<void(TfrmAbout*)>& Closer, const QString& VersionResource = {}) {
    if (!frmAbout)
        frmAbout = new TfrmAbout(nullptr, VersionResource);
    TfrmAbout* box = frmAbout;
    QTimer::singleShot(0, box, [box, Closer] {
        if (QTest::qWaitForWindowExposed(box))
            Closer(box);
        else
            box->reject();
    });
    box->exec();
}

} // namespace

// Receives what the about box asks the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> Opened;
public slots:
    void open(const QUrl& Url) { Opened << Url; }
};

class TestAbout : public QObject {
    Q_OBJECT
    QWidget* FMain = nullptr;

private slots:
    void initTestCase() {
        TApplication::InstallFontSubstitutions(); // the faces the program uses
        // A stand-in for the main window, for the box to centre on.
        FMain = new QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint);
        FMain->setFixedSize(410, 376);
        FMain->move(300, 200);
        FMain->show();
        QVERIFY(QTest::qWaitForWindowExposed(FMain));
        SetMainForm(FMain);
    }
    void cleanupTestCase() {
        SetMainForm(nullptr);
        delete FMain;
    }
    void cleanup() {
        delete frmAbout;
        QVERIFY(!frmAbout);
    }

    void window() {
        TfrmAbout box;
        QVERIFY(!box.isVisible()); // created hidden
        QCOMPARE(box.objectName(), QStringLiteral("frmAbout"));
        QCOMPARE(box.windowTitle(), QStringLiteral("关于本软件"));
        QVERIFY(box.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(box.size(), QSize(357, 205));
        QCOMPARE(box.minimumSize(), QSize(357, 205));
        QCOMPARE(box.maximumSize(), QSize(357, 205));
    }

    void controls_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QRect>("place");
        QTest::newRow("version caption")
            << QString() << QStringLiteral("版  本：") << QRect(101, 16, 42, 16);
        QTest::newRow("lblVersion")
            << QStringLiteral("lblVersion") << QStringLiteral("1.0.0.1") << QRect(157, 16, 129, 16);
        QTest::newRow("name caption")
            << QString() << QStringLiteral("名  称：") << QRect(101, 51, 42, 16);
        QTest::newRow("lblProductName") << QStringLiteral("lblProductName")
                                        << QStringLiteral("VORN 万年历") << QRect(157, 51, 129, 16);
        QTest::newRow("maker caption")
            << QString() << QStringLiteral("作  者：") << QRect(101, 85, 42, 16);
        QTest::newRow("lblDevolper") << QStringLiteral("lblDevolper")
                                     << QStringLiteral("VORN 工作室") << QRect(157, 85, 129, 16);
        QTest::newRow("site caption")
            << QString() << QStringLiteral("作者主页：") << QRect(101, 120, 60, 16);
        QTest::newRow("lblWebSite")
            << QStringLiteral("lblWebSite") << QStringLiteral("www.vorn.example")
            << QRect(173, 120, 129, 16);
    }
    void controls() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QRect, place);
        TfrmAbout box;
        QLabel* label = name.isEmpty() ? labelShowing(&box, text) : labelNamed(&box, name);
        QVERIFY2(label, qPrintable(text));
        QCOMPARE(label->text(), text);
        QCOMPARE(label->geometry(), place);
        QCOMPARE(label->font().pixelSize(), 13);
        QVERIFY(!label->font().bold());
        QVERIFY(!label->autoFillBackground());
        // The text is not cut off at the label's fixed width.
        const QRect ink = QFontMetrics(label->font()).tightBoundingRect(text);
        QVERIFY2(ink.right() < place.width(), qPrintable(QString::number(ink.right())));
    }

    void logoAndButton() {
        TfrmAbout box;
        auto* logo = box.findChild<QLabel*>(QStringLiteral("imgLogo"));
        QVERIFY(logo);
        QCOMPARE(logo->geometry(), QRect(8, 16, 72, 72));
        QVERIFY(!logo->pixmap().isNull());
        QCOMPARE(logo->pixmap().size(), QSize(72, 72));

        const auto buttons = box.findChildren<QPushButton*>();
        QCOMPARE(buttons.size(), 1);
        QPushButton* ok = buttons.first();
        QCOMPARE(ok->text(), QStringLiteral("确  定"));
        QCOMPARE(ok->geometry(), QRect(288, 168, 52, 24));
        QCOMPARE(ok->font().pixelSize(), 11);
        QCOMPARE(ok->palette().color(QPalette::ButtonText), QColor(30, 57, 91));

        auto* site = labelNamed(&box, QStringLiteral("lblWebSite"));
        QCOMPARE(site->cursor().shape(), Qt::PointingHandCursor);
    }

    void gradientAndFrame() {
        TfrmAbout box;
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const QImage shot = box.grab().toImage();
        QCOMPARE(shot.size(), QSize(357, 205));
        // The frame line, the white line inside it, then the gradient from
        // pale blue at the top to white at the bottom (where no control is).
        QCOMPARE(QColor(shot.pixel(0, 100)), QColor(142, 156, 173));
        QCOMPARE(QColor(shot.pixel(356, 0)), QColor(142, 156, 173));
        QCOMPARE(QColor(shot.pixel(180, 204)), QColor(142, 156, 173));
        QCOMPARE(QColor(shot.pixel(1, 100)), QColor(Qt::white));
        QCOMPARE(QColor(shot.pixel(180, 1)), QColor(Qt::white));
        const QColor top(shot.pixel(340, 3)), bottom(shot.pixel(200, 201));
        QVERIFY2(qAbs(top.red() - 237) <= 2 && qAbs(top.green() - 243) <= 2 &&
                     qAbs(top.blue() - 252) <= 2,
                 qPrintable(top.name()));
        QVERIFY2(bottom.red() >= 252 && bottom.green() >= 252 && bottom.blue() >= 252,
                 qPrintable(bottom.name()));
        shot.save(QDir::temp().filePath(QStringLiteral("vorn-about.png")));
    }

    void labelsFromTheVersionInformation_data() {
        QTest::addColumn<QString>("resource");
        QTest::addColumn<QStringList>("labels"); // version, name, maker, site
        const QString none = QStringLiteral("Updated at run-time");
        QTest::newRow("the program's own")
            << QString()
            << QStringList{"1.0.0.1", "VORN 万年历", "VORN 工作室", "www.vorn.example"};
        QTest::newRow("no version information")
            << fixture("absent.json") << QStringList{none, none, none, none};
        QTest::newRow("no translation table")
            << fixture("no-translation.json") << QStringList{none, none, none, none};
        QTest::newRow("missing keys")
            << fixture("missing-keys.json") << QStringList{"1.0.0.1", "只有名称", "", ""};
        QTest::newRow("another block")
            << fixture("us-english.json")
            << QStringList{"2.3.4.5", "Sample", "Sample Works", "sample.example"};
    }
    void labelsFromTheVersionInformation() {
        QFETCH(QString, resource);
        QFETCH(QStringList, labels);
        TfrmAbout box(nullptr, resource);
        const QStringList shown = {
            labelNamed(&box, QStringLiteral("lblVersion"))->text(),
            labelNamed(&box, QStringLiteral("lblProductName"))->text(),
            labelNamed(&box, QStringLiteral("lblDevolper"))->text(),
            labelNamed(&box, QStringLiteral("lblWebSite"))->text(),
        };
        QCOMPARE(shown, labels);
    }

    void linkOpensTheProgramsAddress_data() {
        QTest::addColumn<QString>("resource");
        QTest::newRow("the program's own") << QString();
        QTest::newRow("another site in the label") << fixture("us-english.json");
        QTest::newRow("no version information") << fixture("absent.json");
    }
    void linkOpensTheProgramsAddress() {
        QFETCH(QString, resource);
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "open");
        TfrmAbout box(nullptr, resource);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QLabel* site = labelNamed(&box, QStringLiteral("lblWebSite"));
        // Other buttons do nothing; a left click opens the fixed address,
        // whatever the label shows.
        QTest::mouseClick(site, Qt::RightButton, {}, QPoint(10, 8));
        QTest::mouseClick(site, Qt::MiddleButton, {}, QPoint(10, 8));
        QCOMPARE(catcher.Opened.size(), 0);
        QTest::mouseClick(site, Qt::LeftButton, {}, QPoint(10, 8));
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QCOMPARE(catcher.Opened, QList<QUrl>{QUrl(QString::fromLatin1(kMakerSiteAddress))});
        QVERIFY(box.isVisible()); // the box stays open
    }

    void centredOnTheMainWindow() {
        QPoint at;
        openAbout([&](TfrmAbout* box) {
            at = box->frameGeometry().topLeft();
            box->accept();
        });
        const QRect m = FMain->frameGeometry();
        QCOMPARE(at, QPoint(m.x() + (m.width() - 357) / 2, m.y() + (m.height() - 205) / 2));
    }

    void closingDestroys_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("OK button") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("the platform's close command") << 2;
        QTest::newRow("Enter") << 3;
    }
    void closingDestroys() {
        QFETCH(int, how);
        QPointer<TfrmAbout> first;
        bool wasUp = false;
        openAbout([&](TfrmAbout* box) {
            first = box;
            wasUp = box->isVisible();
            switch (how) {
            case 0:
                QTest::mouseClick(box->findChild<QPushButton*>(), Qt::LeftButton);
                break;
            case 1:
                QTest::keyClick(box, Qt::Key_Escape);
                break;
            case 2:
                box->close();
                break;
            default:
                QTest::keyClick(box, Qt::Key_Return);
                break;
            }
        });
        QVERIFY(wasUp);
        QVERIFY(!frmAbout);  // emptied as the box closed
        QTRY_VERIFY(!first); // and destroyed once the close completed
    }

    void openingTwiceMakesTwoWindows() {
        // At start-up the box is made hidden, and the first "关于..." shows it.
        frmAbout = new TfrmAbout;
        QPointer<TfrmAbout> startup = frmAbout;
        QPointer<TfrmAbout> first, second;
        QStringList firstTexts, secondTexts;
        auto readAndClose = [](QPointer<TfrmAbout>& Seen, QStringList& Texts) {
            return [&Seen, &Texts](TfrmAbout* box) {
                Seen = box;
                for (const char* name :
                     {"lblVersion", "lblProductName", "lblDevolper", "lblWebSite"})
                    Texts << labelNamed(box, QLatin1String(name))->text();
                QTest::mouseClick(box->findChild<QPushButton*>(), Qt::LeftButton);
            };
        };
        openAbout(readAndClose(first, firstTexts));
        QCOMPARE(first.data(), startup.data());
        QTRY_VERIFY(!first);
        QVERIFY(!frmAbout);

        // The reference is empty, so the next "关于..." makes a fresh box
        // that reads the version information anew.
        openAbout(readAndClose(second, secondTexts));
        QCOMPARE(secondTexts.size(), 4); // a second window was up
        QVERIFY(!frmAbout);
        QTRY_VERIFY(!second);
        QCOMPARE(secondTexts, firstTexts);
        QCOMPARE(firstTexts.first(), QStringLiteral("1.0.0.1"));
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
