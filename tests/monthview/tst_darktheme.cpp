// The program under a dark desktop theme: the application palette is dark
// (light text on dark grounds) as a dark theme makes it, and every text the
// program draws on its own pictures and panels must still stand out from its
// ground. Each text is drawn, and its darkest or lightest pixel is compared
// with the ground around it.
//
// With VORN_SCREENSHOTS set to a folder, the drawn windows are saved there.
#include "UAbout.h"
#include "UApplication.h"
#include "UClock.h"
#include "UClockLabel.h"
#include "UDayGrid.h"
#include "UMain.h"
#include "UNoteAdd.h"
#include "UNoteHis.h"
#include "UNoteList.h"
#include "UNoteset.h"
#include "URadioGroup.h"
#include "UReportListView.h"
#include "URoundEdit.h"
#include "URoundGroupBox.h"
#include "USettings.h"
#include "USpinner.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>

namespace {

QPalette darkDesktopPalette() {
    QPalette p(QColor(53, 53, 53));
    p.setColor(QPalette::Window, QColor(53, 53, 53));
    p.setColor(QPalette::WindowText, QColor(238, 238, 236));
    p.setColor(QPalette::Base, QColor(36, 36, 36));
    p.setColor(QPalette::AlternateBase, QColor(45, 45, 45));
    p.setColor(QPalette::Text, QColor(238, 238, 236));
    p.setColor(QPalette::Button, QColor(60, 60, 60));
    p.setColor(QPalette::ButtonText, QColor(238, 238, 236));
    p.setColor(QPalette::Highlight, QColor(21, 83, 158));
    p.setColor(QPalette::HighlightedText, QColor(255, 255, 255));
    return p;
}

double luminance(QRgb c) {
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

// The contrast ratio (1 to 21) between the ground of a text, its most common
// luminance, and the pixel that differs most from it: the text's core.
double textContrast(const QImage& Image) {
    std::vector<double> l;
    l.reserve(size_t(Image.width() * Image.height()));
    for (int y = 0; y < Image.height(); ++y)
        for (int x = 0; x < Image.width(); ++x)
            l.push_back(luminance(Image.pixel(x, y)));
    if (l.empty())
        return 0;
    std::vector<double> sorted = l;
    std::sort(sorted.begin(), sorted.end());
    const double ground = sorted[sorted.size() / 2];
    double text = ground;
    for (double v : l)
        if (std::abs(v - ground) > std::abs(text - ground))
            text = v;
    return (std::max(ground, text) + 0.05) / (std::min(ground, text) + 0.05);
}

void save(QWidget* Window, const QString& Name) {
    const QByteArray dir = qgetenv("VORN_SCREENSHOTS");
    if (!dir.isEmpty())
        Window->grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + Name + ".png");
}

} // namespace

class TestDarkTheme : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;

    // Each (name, widget, area of the widget) whose text must read well.
    void check(QWidget* Window, const QList<std::tuple<QString, QWidget*, QRect>>& Texts) {
        QVERIFY(QTest::qWaitForWindowExposed(Window));
        const QImage shot = Window->grab().toImage();
        for (const auto& [name, widget, area] : Texts) {
            const QRect inWindow(widget->mapTo(Window, area.topLeft()), area.size());
            const double contrast = textContrast(shot.copy(inWindow));
            QVERIFY2(contrast >= 3.0,
                     qPrintable(QStringLiteral("%1: contrast %2 against its ground")
                                    .arg(name)
                                    .arg(contrast, 0, 'f', 2)));
        }
    }

private slots:
    void initTestCase() {
        QApplication::setPalette(darkDesktopPalette());
        Clock::SetNowFunction([] { return QDateTime(QDate(2024, 10, 1), QTime(9, 30)); });
        QFile notes(FDir.filePath(QStringLiteral("Notes.xml")));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write(
            QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><便签列表><Date2024-10-01>"
                           "<标题>升旗</标题><日期>2024-10-01 06:00</日期><提醒>否</提醒>"
                           "<内容>天安门广场</内容></Date2024-10-01></便签列表>")
                .toUtf8());
    }
    void cleanupTestCase() { Clock::SetNowFunction({}); }

    void mainWindow() {
        TfrmManyYear main(FDir.path());
        main.tNoteAlarm->stop();
        main.show();
        save(&main, QStringLiteral("dark-main"));
        QList<std::tuple<QString, QWidget*, QRect>> texts{
            {"year spinner", main.rsYear, main.rsYear->rect()},
            {"年", main.lblYear, main.lblYear->rect()},
            {"month spinner", main.rsMonth, main.rsMonth->rect()},
            {"月", main.lblMonth, main.lblMonth->rect()},
            {"clock", main.lblTime, main.lblTime->rect()},
            {"festival line", main.lblHolday, main.lblHolday->rect()},
            {"GanZhi year", main.lblNLYear, main.lblNLYear->rect()},
            {"weekday header", main.advDays, main.advDays->CellRect(3, 0)},
        };
        // Every day cell of a week row, today's red one included.
        for (int c = 0; c < 7; ++c)
            texts.append(
                {QStringLiteral("day cell %1").arg(c), main.advDays, main.advDays->CellRect(c, 2)});
        check(&main, texts);
    }

    void noteWindow() {
        blend = 10;
        Position = 0;
        TfrmNoteList note(FDir.filePath(QStringLiteral("Notes.xml")));
        note.show();
        save(&note, QStringLiteral("dark-note"));
        check(&note, {{"note text", note.lblNotes, QRect(0, 0, note.lblNotes->width(), 40)}});
    }

    void aboutBox() {
        TfrmAbout about;
        about.show();
        save(&about, QStringLiteral("dark-about"));
        QList<std::tuple<QString, QWidget*, QRect>> texts;
        for (QLabel* label : about.findChildren<QLabel*>()) {
            if (!label->text().isEmpty() && label->isVisible())
                texts.append({label->objectName() + ": " + label->text(), label, label->rect()});
        }
        QVERIFY(texts.size() >= 3);
        check(&about, texts);
    }

    void dialogs() {
        TfrmNoteAdd editor(FDir.filePath(QStringLiteral("Notes.xml")));
        editor.show();
        editor.cmContent->setPlainText(QStringLiteral("带电脑"));
        editor.ceTitle->setText(QStringLiteral("早会"));
        save(&editor, QStringLiteral("dark-editor"));
        check(&editor,
              {{"标题 label", editor.Label1, editor.Label1->rect()},
               {"title box", editor.ceTitle, editor.ceTitle->rect().adjusted(4, 4, -4, -4)},
               {"content box", editor.cmContent, QRect(4, 4, 60, 18)},
               {"list row", editor.alvNotes->viewport(),
                editor.alvNotes->visualRect(editor.alvNotes->model()->index(0, 0))
                    .adjusted(3, 2, -3, -2)},
               {"list header", editor.alvNotes->header(), QRect(3, 2, 60, 14)}});
        TfrmNoteSet settings(FDir.path());
        settings.show();
        save(&settings, QStringLiteral("dark-settings"));
        QList<std::tuple<QString, QWidget*, QRect>> texts;
        for (QWidget* w :
             {static_cast<QWidget*>(settings.aorgPos), static_cast<QWidget*>(settings.agbAlarm)})
            texts.append({w->objectName(), w, QRect(0, 0, w->width(), 20)});
        check(&settings, texts);
    }
};

int main(int argc, char** argv) {
    TApplication::InstallFontSubstitutions();
    QApplication app(argc, argv);
    TestDarkTheme test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_darktheme.moc"
