// The note settings dialog as the user works it: what opening it does to the
// controls and to an open note window, the live preview of corner and
// opacity, what saving writes, and a settings file that cannot be written.
#include "UApplication.h"
#include "UClock.h"
#include "UGlassButton.h"
#include "UGradientPanel.h"
#include "UNoteList.h"
#include "UNoteset.h"
#include "UOnOffSlider.h"
#include "URadioGroup.h"
#include "URoundGroupBox.h"
#include "USettings.h"
#include "UTrackBar.h"

#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QStringList Errors;

class TestApplication : public TApplication {
public:
    using TApplication::TApplication;
    void ShowException(const QString& Text) override { Errors << Text; }
};

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QPoint Corner(int code) {
    const QRect s = QGuiApplication::primaryScreen()->geometry();
    return s.topLeft() + QPoint(code >= 2 ? s.width() - 246 : 0, code % 2 ? s.height() - 271 : 0);
}

} // namespace

class TestNoteSet : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void layout();
    void opening_data();
    void opening();
    void openingWithStepOneKeepsPreview();
    void cornerClickPreviewsOnly();
    void opacityPreviewOutlivesExit();
    void save_data();
    void save();
    void saveWithoutNoteWindow();
    void unwritableFileKeepsDialogOpen();

private:
    TfrmNoteSet* Open();
    TfrmNoteList* MakeNoteWindow();
    QTemporaryDir* FDir = nullptr;
    QString FConfig;
};

void TestNoteSet::init() {
    Clock::SetNowFunction([] { return QDateTime(QDate(2026, 12, 10), QTime(8, 30, 0)); });
    FDir = new QTemporaryDir;
    FConfig = FDir->filePath("Config.ini");
    Position = 0;
    Alarm = 0;
    blend = 10;
    Errors.clear();
}

void TestNoteSet::cleanup() {
    delete frmNoteSet;
    delete frmNoteList;
    QVERIFY(!frmNoteSet && !frmNoteList);
    QFile::setPermissions(FConfig, QFile::ReadOwner | QFile::WriteOwner);
    delete FDir;
    Clock::SetNowFunction({});
}

TfrmNoteSet* TestNoteSet::Open() {
    frmNoteSet = new TfrmNoteSet(FDir->path());
    frmNoteSet->show();
    return frmNoteSet;
}

TfrmNoteList* TestNoteSet::MakeNoteWindow() {
    // Created with the defaults in force, somewhere away from every corner.
    Position = -1;
    blend = 10;
    frmNoteList = new TfrmNoteList(FDir->filePath("Notes.xml"));
    frmNoteList->move(400, 300);
    frmNoteList->show();
    return frmNoteList;
}

void TestNoteSet::layout() {
    TfrmNoteSet d(FDir->path());
    QCOMPARE(d.windowTitle(), QStringLiteral("便签设置"));
    QCOMPARE(d.size(), QSize(312, 166));
    QCOMPARE(d.minimumSize(), d.maximumSize());
    QCOMPARE(d.pnlBack->geometry(), QRect(0, 0, 312, 166));
    QCOMPARE(d.aorgPos->objectName(), QStringLiteral("aorgPos"));
    QCOMPARE(d.aorgPos->Caption(), QStringLiteral("显示位置设置"));
    QCOMPARE(d.aorgPos->geometry(), QRect(8, 8, 209, 81));
    QCOMPARE(d.agbAlarm->Caption(), QStringLiteral("闹钟提醒及透明度设置"));
    QCOMPARE(d.agbAlarm->geometry(), QRect(8, 96, 209, 65));
    QCOMPARE(d.assAlarm->parentWidget(), d.agbAlarm);
    QCOMPARE(d.assAlarm->geometry(), QRect(8, 24, 81, 30));
    QCOMPARE(d.atbBlend->parentWidget(), d.agbAlarm);
    QCOMPARE(d.atbBlend->geometry(), QRect(99, 24, 105, 26));
    QCOMPARE(d.abtnSave->text(), QStringLiteral("保   存"));
    QCOMPARE(d.abtnSave->geometry(), QRect(223, 104, 81, 28));
    QCOMPARE(d.abtnExit->text(), QStringLiteral("退   出"));
    QCOMPARE(d.abtnExit->geometry(), QRect(223, 133, 81, 28));

    // The corners as on a screen: left column top-left above bottom-left.
    QCOMPARE(d.aorgPos->Count(), 4);
    const QStringList captions{"左上", "左下", "右上", "右下"};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(d.aorgPos->Button(i)->text(), captions[i]);
    d.resize(d.size());
    const auto at = [&](int i) { return d.aorgPos->Button(i)->geometry(); };
    QCOMPARE(at(0).x(), at(1).x());
    QVERIFY(at(0).y() < at(1).y());
    QVERIFY(at(2).x() > at(0).x());
    QCOMPARE(at(2).y(), at(0).y());
    QCOMPARE(at(3).y(), at(1).y());

    // Initial states, before anything is read.
    QCOMPARE(d.aorgPos->ItemIndex(), -1);
    QVERIFY(d.assAlarm->IsOn());
    QCOMPARE(d.atbBlend->Position(), 1);
    QCOMPARE(d.atbBlend->minimum(), 1);
    QCOMPARE(d.atbBlend->maximum(), 10);
    QCOMPARE(d.atbBlend->orientation(), Qt::Horizontal);
}

void TestNoteSet::opening_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("on");
    QTest::addColumn<int>("track");
    QTest::addColumn<int>("corner"); // where the note window ends up, -1: not moved
    QTest::addColumn<int>("alpha");

    QTest::newRow("Position 2 selects 右上")
        << QByteArray("[NoteSet]\nPosition=2\nAlarm=1\nblend=3\n") << 2 << true << 3 << 2 << 76;
    QTest::newRow("off, bottom-left, half")
        << QByteArray("[NoteSet]\nPosition=1\nAlarm=0\nblend=5\n") << 1 << false << 5 << 1 << 127;
    QTest::newRow("no file: the defaults") << QByteArray() << 0 << false << 10 << 0 << 255;
    QTest::newRow("out of range, low")
        << QByteArray("[NoteSet]\nPosition=-5\nAlarm=7\nblend=0\n") << -1 << true << 1 << -1 << 255;
    QTest::newRow("out of range, high")
        << QByteArray("[NoteSet]\nPosition=9\nAlarm=-1\nblend=25\n") << 3 << true << 10 << 3 << 255;
    QTest::newRow("hexadecimal") << QByteArray("[NoteSet]\nPosition=$3\nAlarm=0x0\nblend=0x4\n")
                                 << 3 << false << 4 << 3 << 102;
}

void TestNoteSet::opening() {
    QFETCH(QByteArray, file);
    QFETCH(int, index);
    QFETCH(bool, on);
    QFETCH(int, track);
    QFETCH(int, corner);
    QFETCH(int, alpha);
    if (!file.isEmpty())
        QVERIFY(Write(FConfig, file));
    TfrmNoteList* note = MakeNoteWindow();
    QCOMPARE(note->Alpha(), 255);

    TfrmNoteSet* d = Open();
    QCOMPARE(d->aorgPos->ItemIndex(), index);
    QCOMPARE(d->assAlarm->IsOn(), on);
    QCOMPARE(d->atbBlend->Position(), track);
    QCOMPARE(note->pos(), corner < 0 ? QPoint(400, 300) : Corner(corner));
    QCOMPARE(note->Alpha(), alpha);
    // Opening writes nothing.
    QCOMPARE(ReadAll(FConfig), file.isEmpty() ? QByteArray("<missing>") : file);
}

void TestNoteSet::openingWithStepOneKeepsPreview() {
    QVERIFY(Write(FConfig, "[NoteSet]\nPosition=-1\nblend=1\n"));
    TfrmNoteList* note = MakeNoteWindow();
    QVERIFY(SetAlphaOfWindowNamed("便签列表", 153));
    Open();
    QCOMPARE(note->Alpha(), 153);
    QCOMPARE(note->pos(), QPoint(400, 300));
}

void TestNoteSet::cornerClickPreviewsOnly() {
    QVERIFY(Write(FConfig, "[NoteSet]\nPosition=0\nAlarm=1\nblend=10\n"));
    TfrmNoteList* note = MakeNoteWindow();
    TfrmNoteSet* d = Open();
    QCOMPARE(note->pos(), Corner(0));
    QTest::mouseClick(d->aorgPos->Button(3), Qt::LeftButton);
    QCOMPARE(d->aorgPos->ItemIndex(), 3);
    QCOMPARE(note->pos(), Corner(3));
    QCOMPARE(Position, 0);
    // The switch does nothing before the save.
    QTest::mouseClick(d->assAlarm, Qt::LeftButton);
    QVERIFY(!d->assAlarm->IsOn());
    QCOMPARE(Alarm, 1);
    QCOMPARE(ReadAll(FConfig), QByteArray("[NoteSet]\nPosition=0\nAlarm=1\nblend=10\n"));
}

void TestNoteSet::opacityPreviewOutlivesExit() {
    QVERIFY(Write(FConfig, "[NoteSet]\nPosition=2\nAlarm=1\nblend=8\n"));
    TfrmNoteList* note = MakeNoteWindow();
    TfrmNoteSet* d = Open();
    QCOMPARE(note->Alpha(), 204);
    QPointer<TfrmNoteSet> guard(d);
    d->atbBlend->setFocus();
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(d->atbBlend, Qt::Key_Left);
    QCOMPARE(d->atbBlend->Position(), 3);
    QCOMPARE(note->Alpha(), 76);
    QCOMPARE(blend, 8);

    QTest::mouseClick(d->abtnExit, Qt::LeftButton);
    QTRY_VERIFY(guard.isNull());
    QVERIFY(frmNoteSet == nullptr);
    QCOMPARE(note->Alpha(), 76);
    QCOMPARE(blend, 8);
    QCOMPARE(ReadAll(FConfig), QByteArray("[NoteSet]\nPosition=2\nAlarm=1\nblend=8\n"));
}

void TestNoteSet::save_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("corner");
    QTest::addColumn<bool>("on");
    QTest::addColumn<int>("step");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("左下, off, 10")
        << QByteArray("[NoteSet]\nPosition=3\nAlarm=1\nblend=4\n") << 1 << false << 10
        << QByteArray("[NoteSet]\nPosition=1\nAlarm=0\nblend=10\n");
    QTest::newRow("on writes 1 over another non-zero value")
        << QByteArray("[NoteSet]\nPosition=0\nAlarm=5\nblend=4\n") << 0 << true << 4
        << QByteArray("[NoteSet]\nPosition=0\nAlarm=1\nblend=4\n");
    QTest::newRow("out-of-range values are saved as the controls hold them")
        << QByteArray("[NoteSet]\nPosition=-9\nAlarm=3\nblend=99\n") << -1 << true << 10
        << QByteArray("[NoteSet]\nPosition=-1\nAlarm=1\nblend=10\n");
    QTest::newRow("other lines are kept")
        << QByteArray("; mine\n[Other]\nx=1\n[NoteSet]\nblend=2\n") << 2 << true << 6
        << QByteArray("; mine\n[Other]\nx=1\n[NoteSet]\nblend=6\nPosition=2\nAlarm=1\n");
}

void TestNoteSet::save() {
    QFETCH(QByteArray, before);
    QFETCH(int, corner);
    QFETCH(bool, on);
    QFETCH(int, step);
    QFETCH(QByteArray, after);
    QVERIFY(Write(FConfig, before));
    TfrmNoteList* note = MakeNoteWindow();
    TfrmNoteSet* d = Open();
    QPointer<TfrmNoteSet> guard(d);
    QSignalSpy accepted(d, &QDialog::accepted);

    if (corner >= 0)
        QTest::mouseClick(d->aorgPos->Button(corner), Qt::LeftButton);
    if (d->assAlarm->IsOn() != on)
        QTest::mouseClick(d->assAlarm, Qt::LeftButton);
    d->atbBlend->SetPosition(step);
    note->move(5, 5);

    QTest::mouseClick(d->abtnSave, Qt::LeftButton);
    QCOMPARE(Errors, QStringList());
    QCOMPARE(ReadAll(FConfig), after);
    QCOMPARE(Position, corner);
    QCOMPARE(Alarm, on ? 1 : 0);
    QCOMPARE(blend, step);
    QCOMPARE(accepted.size(), 1);
    QTRY_VERIFY(guard.isNull());
    // Saving places the window again; a corner of -1 leaves it.
    QCOMPARE(note->pos(), corner < 0 ? QPoint(5, 5) : Corner(corner));
    QCOMPARE(note->Alpha(), NoteAlpha(step));
}

void TestNoteSet::saveWithoutNoteWindow() {
    TfrmNoteSet* d = Open();
    QTest::mouseClick(d->aorgPos->Button(2), Qt::LeftButton);
    d->atbBlend->SetPosition(7);
    QTest::mouseClick(d->abtnSave, Qt::LeftButton);
    QCOMPARE(ReadAll(FConfig), QByteArray("[NoteSet]\nPosition=2\nAlarm=0\nblend=7\n"));
    QVERIFY(frmNoteList == nullptr);
    QVERIFY(Errors.isEmpty());
}

void TestNoteSet::unwritableFileKeepsDialogOpen() {
    const QByteArray before("[NoteSet]\nPosition=0\nAlarm=1\nblend=10\n");
    QVERIFY(Write(FConfig, before));
    QVERIFY(QFile::setPermissions(FConfig, QFile::ReadOwner | QFile::ReadGroup));
    TfrmNoteList* note = MakeNoteWindow();
    TfrmNoteSet* d = Open();
    QTest::mouseClick(d->aorgPos->Button(3), Qt::LeftButton);
    d->atbBlend->SetPosition(4);
    note->move(7, 7);

    QTest::mouseClick(d->abtnSave, Qt::LeftButton);
    QCOMPARE(Errors.size(), 1);
    QVERIFY2(Errors.first().contains(FConfig), qPrintable(Errors.first()));
    QVERIFY2(Errors.first().contains(QStringLiteral("没有写入权限")), qPrintable(Errors.first()));
    QVERIFY(d->isVisible());
    QCOMPARE(frmNoteSet, d);
    QCOMPARE(d->result(), int(QDialog::Rejected));
    QCOMPARE(d->aorgPos->ItemIndex(), 3);
    QCOMPARE(d->atbBlend->Position(), 4);
    // The window is not placed again and the file is whole.
    QCOMPARE(note->pos(), QPoint(7, 7));
    QCOMPARE(ReadAll(FConfig), before);
}

int main(int argc, char** argv) {
    TestApplication app(argc, argv);
    TestNoteSet test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_noteset.moc"
