// What the note dialog tests share: an application whose general error
// handler records instead of showing, notes files written from a short
// description, reading a file back, and answering message boxes.
#pragma once

#include "UApplication.h"
#include "UReportListView.h"
#include "UXmlDoc.h"

#include <QAbstractButton>
#include <QFile>
#include <QInputMethodEvent>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QTreeWidgetItem>
#include <QtTest>

namespace NoteTest {

// The general error handler's messages, in order.
inline QStringList& Failures() {
    static QStringList List;
    return List;
}

// What the program told the user that was not a failure, in order.
inline QStringList& Notices() {
    static QStringList List;
    return List;
}

class TTestApplication : public TApplication {
public:
    using TApplication::TApplication;
    void ShowException(const QString& Text) override { Failures() << Text; }
    void ShowNotice(const QString& Text) override { Notices() << Text; }
};

// One day node: its name and its children's texts, four to a note.
struct Day {
    QString Name;
    QList<QStringList> Notes;
};

inline const QStringList FieldNames = {QStringLiteral("标题"), QStringLiteral("日期"),
                                       QStringLiteral("提醒"), QStringLiteral("内容")};

// A notes file as a user's hand would have left it, in UTF-8.
inline QByteArray NotesXml(const QList<Day>& Days) {
    QString Xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<便签列表>\n");
    for (const Day& D : Days) {
        Xml += QStringLiteral("  <%1>\n").arg(D.Name);
        for (const QStringList& Note : D.Notes) {
            for (int I = 0; I < Note.size(); ++I)
                Xml += QStringLiteral("    <%1>%2</%1>\n")
                           .arg(FieldNames.at(I % 4), Note.at(I).toHtmlEscaped());
        }
        Xml += QStringLiteral("  </%1>\n").arg(D.Name);
    }
    Xml += QStringLiteral("</便签列表>\n");
    return Xml.toUtf8();
}

inline void WriteBytes(const QString& Path, const QByteArray& Bytes) {
    QFile File(Path);
    QVERIFY(File.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(File.write(Bytes), Bytes.size());
}

inline QByteArray ReadBytes(const QString& Path) {
    QFile File(Path);
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

// A day node as one line: "Name [t|d|f|c] [..]".
inline QString DayText(const Day& D) {
    QString Text = D.Name;
    for (const QStringList& Note : D.Notes)
        Text += QStringLiteral(" [") + Note.join(QLatin1Char('|')) + QLatin1Char(']');
    return Text;
}

inline QStringList DayTexts(const QList<Day>& Days) {
    QStringList Texts;
    for (const Day& D : Days)
        Texts << DayText(D);
    return Texts;
}

// Every day node of the file as DayText gives it, its children's texts four
// to a note (a last short group as it stands). Empty when the file does not
// load.
inline QStringList FileDays(const QString& Path) {
    QList<Day> Days;
    XmlDocument Doc;
    try {
        Doc.Load(Path);
    } catch (const XmlError&) {
        return {};
    }
    for (XmlNode D = Doc.DocumentElement().FirstChild(); D; D = D.NextSibling()) {
        Day Entry{D.Name(), {}};
        int I = 0;
        for (XmlNode C = D.FirstChild(); C; C = C.NextSibling(), ++I) {
            if (I % 4 == 0)
                Entry.Notes.append(QStringList());
            Entry.Notes.last() << C.Text();
        }
        Days.append(Entry);
    }
    return DayTexts(Days);
}

// The rows of a note list, each as its caption and the sub-items it has,
// joined by '|'.
inline QStringList Rows(const TReportListView* List) {
    QStringList Result;
    for (int I = 0; I < List->RowCount(); ++I) {
        const QTreeWidgetItem* Row = List->Row(I);
        QStringList Texts{Row->text(0)};
        for (int S = 0; S < TReportListView::SubItemCount(Row); ++S)
            Texts << TReportListView::SubItem(Row, S);
        Result << Texts.join(QLatin1Char('|'));
    }
    return Result;
}

// A message box as the user saw it.
struct SeenBox {
    bool Seen = false;
    QString Caption;
    QString Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons Buttons;
};

// Waits for the next modal message box, notes what it shows and presses its
// OK button (or closes it).
inline void AnswerNextMessageBox(SeenBox* Box) {
    auto* Poll = new QTimer;
    Poll->setInterval(20);
    QObject::connect(Poll, &QTimer::timeout, [Poll, Box] {
        auto* Shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!Shown)
            return;
        Poll->stop();
        Poll->deleteLater();
        Box->Seen = true;
        Box->Caption = Shown->windowTitle();
        Box->Text = Shown->text();
        Box->Icon = Shown->icon();
        Box->Buttons = Shown->standardButtons();
        if (QAbstractButton* Ok = Shown->button(QMessageBox::Ok))
            Ok->click();
        else
            Shown->reject();
    });
    Poll->start();
}

// Types Text into Widget the way an input method delivers Chinese: as one
// committed string.
inline void TypeText(QWidget* Widget, const QString& Text) {
    Widget->setFocus();
    QInputMethodEvent Commit;
    Commit.setCommitString(Text);
    QApplication::sendEvent(Widget, &Commit);
}

// A double click as the window system delivers it: press, release, double
// click, release.
inline void DoubleClick(QWidget* Widget, const QPoint& Pos) {
    QTest::mousePress(Widget, Qt::LeftButton, {}, Pos);
    QTest::mouseRelease(Widget, Qt::LeftButton, {}, Pos);
    QTest::mouseDClick(Widget, Qt::LeftButton, {}, Pos);
    QTest::mouseRelease(Widget, Qt::LeftButton, {}, Pos);
}

// Deletes what was scheduled for deletion (a dialog that closed itself).
inline void FlushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace NoteTest

// A test main whose application records the general error handler's
// messages instead of showing them.
#define NOTE_DIALOG_TEST_MAIN(TestObject)                                                          \
    int main(int argc, char** argv) {                                                              \
        TApplication::InstallFontSubstitutions();                                                  \
        NoteTest::TTestApplication App(argc, argv);                                                \
        App.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject Test;                                                                           \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&Test, argc, argv);                                                    \
    }
