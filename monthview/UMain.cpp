#include "UMain.h"

#include "UAbout.h"
#include "UApplication.h"
#include "UCalendar.h"
#include "UClock.h"
#include "UClockLabel.h"
#include "UDayCell.h"
#include "UDayGrid.h"
#include "UForms.h"
#include "UGradientPanel.h"
#include "UMenuButton.h"
#include "UNoteAdd.h"
#include "UNoteHis.h"
#include "UNoteList.h"
#include "UNoteset.h"
#include "UPopupMenu.h"
#include "USettings.h"
#include "USettingsFile.h"
#include "USpinner.h"
#include "UWeatherPanel.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <chrono>

TfrmManyYear* frmManyYear = nullptr;

void InitProgramResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(art);
        Q_INIT_RESOURCE(version);
        return true;
    }();
    (void)registered;
}

const QString TfrmManyYear::ShowWeatherCaption = QStringLiteral("显示天气预报");
const QString TfrmManyYear::HideWeatherCaption = QStringLiteral("隐藏天气预报");
const QString TfrmManyYear::ShowNotesCaption = QStringLiteral("显示便签");
const QString TfrmManyYear::HideNotesCaption = QStringLiteral("隐藏便签");

namespace {

constexpr int ClientWidth = 410;
constexpr int ClientHeight = 376;
constexpr int StripHeight = 49;

const QColor TodayColor(255, 0, 0);
const QColor WeekendHeaderColor(221, 160, 221);

const char* const WeekdayNames[7] = {"星期日", "星期一", "星期二", "星期三",
                                     "星期四", "星期五", "星期六"};

QFont pixelFont(const QString& Family, int Pixels, bool Bold) {
    QFont f(Family);
    f.setPixelSize(Pixels);
    f.setBold(Bold);
    return f;
}

std::chrono::local_seconds toLocalSeconds(const QDateTime& When) {
    using namespace std::chrono;
    const QDate d = When.date();
    const QTime t = When.time();
    const local_days day{year{d.year()} / month{unsigned(d.month())} / unsigned(d.day())};
    return day + hours{t.hour()} + minutes{t.minute()} + seconds{t.second()};
}

QLabel* makeLabel(QWidget* Parent, const char* Name, const QRect& Geometry, const QFont& Font) {
    auto* label = new QLabel(Parent);
    label->setObjectName(QString::fromLatin1(Name));
    label->setGeometry(Geometry);
    label->setFont(Font);
    // Transparent: the strip's gradient shows through.
    label->setAutoFillBackground(false);
    label->setAttribute(Qt::WA_TranslucentBackground);
    return label;
}

// A window of the program's own that minimising to the tray hides: not a
// popup or tooltip, and not the tray icon itself, which with an XEmbed
// notification area is a small top-level window of its own that bypasses
// the window manager. Hiding that would leave no way back to the program.
bool isProgramWindow(const QWidget* Window) {
    switch (Window->windowType()) {
    case Qt::Popup:
    case Qt::ToolTip:
    case Qt::Desktop:
    case Qt::SplashScreen:
        return false;
    default:
        break;
    }
    if (Window->windowFlags() & Qt::BypassWindowManagerHint)
        return false;
    // A dialog waiting for an answer stays: hiding it would end its modal
    // loop and leave it behind, neither open nor closed.
    if (Window->isModal())
        return false;
    return qstrcmp(Window->metaObject()->className(), "QSystemTrayIconSys") != 0;
}

} // namespace

TfrmManyYear::TfrmManyYear(const QString& DataDir, QWidget* Parent)
    : QWidget(Parent, Qt::Window | Qt::FramelessWindowHint), FDataDir(DataDir) {
    InitProgramResources();
    setObjectName(QStringLiteral("frmManyYear"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("万年历"));
    setFixedSize(ClientWidth, ClientHeight);
    setFont(pixelFont(QStringLiteral("MS Sans Serif"), 11, false));

    frmManyYear = this;
    SetMainForm(this);

    createControls();
    createMenu();

    // Loading the layout starts the tray icon, the clock and the reminder timer.
    tiTray = new QSystemTrayIcon(this);
    tiTray->setObjectName(QStringLiteral("tiTray"));
    tiTray->setIcon(QApplication::windowIcon().isNull()
                        ? QIcon(QStringLiteral(":/icons/vorncalendar_32.png"))
                        : QApplication::windowIcon());
    connect(tiTray, &QSystemTrayIcon::activated, this, &TfrmManyYear::tiTrayActivated);
    tiTray->show();

    tNoteAlarm = new QTimer(this);
    tNoteAlarm->setObjectName(QStringLiteral("tNoteAlarm"));
    tNoteAlarm->setInterval(1000);
    connect(tNoteAlarm, &QTimer::timeout, this, &TfrmManyYear::tNoteAlarmTimer);
    tNoteAlarm->start();
    // A due reminder is also told to the desktop, or shown by the tray icon
    // where no notification service runs.
    SetReminderSender([this](const QString& Summary, const QString& Body) {
        QPointer<QSystemTrayIcon> tray(tiTray);
        SendDesktopNotification(Summary, Body, [tray](const QString& S, const QString& B) {
            if (tray && tray->isVisible())
                tray->showMessage(S, B, QSystemTrayIcon::Information, 10000);
        });
    });

    FormCreate();

    // At the centre of the screen when first shown.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - ClientWidth) / 2,
             area.y() + (area.height() - ClientHeight) / 2);
    }
}

TfrmManyYear::~TfrmManyYear() {
    if (frmManyYear == this)
        frmManyYear = nullptr;
    if (MainForm() == this)
        SetMainForm(nullptr);
}

QString TfrmManyYear::NotesFile() const {
    return FDataDir + QStringLiteral("/Notes.xml");
}
QString TfrmManyYear::ConfigFile() const {
    return FDataDir + QStringLiteral("/Config.ini");
}

void TfrmManyYear::createControls() {
    const QFont spinFont = pixelFont(QStringLiteral("MS Sans Serif"), 16, true);
    const QFont unitFont = pixelFont(QStringLiteral("MS Sans Serif"), 13, true);

    pnlTop = new TGradientPanel(this);
    pnlTop->setObjectName(QStringLiteral("pnlTop"));
    pnlTop->setGeometry(0, 0, ClientWidth, StripHeight);
    pnlTop->SetColors(QColor(255, 255, 255), QColor(164, 187, 209));
    pnlTop->SetFrameColors(QColor(142, 156, 173), QColor(255, 255, 255));
    connect(pnlTop, &TGradientPanel::MouseDown, this, &TfrmManyYear::pnlTopMouseDown);
    connect(pnlTop, &TGradientPanel::MouseUp, this, &TfrmManyYear::pnlTopMouseUp);

    ilSpin = {QPixmap(QStringLiteral(":/glyphs/minus.png")),
              QPixmap(QStringLiteral(":/glyphs/plus.png"))};

    rsYear = new TSpinner(pnlTop);
    rsYear->setObjectName(QStringLiteral("rsYear"));
    rsYear->setGeometry(10, 6, 78, 18);
    rsYear->setFont(spinFont);
    rsYear->SetRange(FirstLunarYear, LastLunarYear);
    rsYear->SetGlyphs(ilSpin[0], ilSpin[1]);

    lblYear = makeLabel(pnlTop, "lblYear", QRect(93, 6, 16, 16), unitFont);
    lblYear->setText(QStringLiteral("年"));

    rsMonth = new TSpinner(pnlTop);
    rsMonth->setObjectName(QStringLiteral("rsMonth"));
    rsMonth->setGeometry(112, 6, 56, 18);
    rsMonth->setFont(spinFont);
    rsMonth->SetRange(1, 12);
    rsMonth->SetGlyphs(ilSpin[0], ilSpin[1]);

    lblMonth = makeLabel(pnlTop, "lblMonth", QRect(172, 6, 17, 16), unitFont);
    lblMonth->setText(QStringLiteral("月"));

    lblTime = new TClockLabel(pnlTop);
    lblTime->setObjectName(QStringLiteral("lblTime"));
    lblTime->setGeometry(192, 6, 79, 18);
    lblTime->setFont(spinFont);

    lblNLYear = makeLabel(pnlTop, "lblNLYear", QRect(280, 4, 100, 19),
                          pixelFont(QStringLiteral("楷体_GB2312"), 21, true));
    lblNLYear->setAlignment(Qt::AlignCenter);
    QPalette red = lblNLYear->palette();
    red.setColor(QPalette::WindowText, TodayColor);
    lblNLYear->setPalette(red);

    btnMenu = new TMenuButton(pnlTop);
    btnMenu->setObjectName(QStringLiteral("btnMenu"));
    btnMenu->setGeometry(390, 4, 15, 19);

    lblHolday = makeLabel(pnlTop, "lblHolday", QRect(10, 30, 247, 13), font());

    // Presses on the strip's controls stay with them and never start a drag.
    for (QWidget* child : pnlTop->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        pnlTop->KeepChildMouse(child);

    advDays = new TDayGrid(7, 7, this);
    advDays->setObjectName(QStringLiteral("advDays"));
    advDays->setGeometry(0, StripHeight, ClientWidth, ClientHeight - StripHeight);
    advDays->SetFixedRows(1);
    for (int c = 0; c < 7; ++c)
        advDays->SetColWidth(c, 58);
    advDays->SetRowHeight(0, 22);
    advDays->SetCellFont(pixelFont(QStringLiteral("Tahoma"), 11, false));
    advDays->SetHeaderFont(pixelFont(QStringLiteral("Tahoma"), 11, true));
    advDays->SetSelectionColor(QColor(241, 193, 94));
    advDays->SetHeaderGradient(QColor(246, 249, 251), QColor(210, 219, 232));
    connect(advDays, &TDayGrid::DrawCell, this, &TfrmManyYear::advDaysDrawCell);

    connect(rsYear, &TSpinner::Changed, this, &TfrmManyYear::rsYearChange);
    connect(rsMonth, &TSpinner::Changed, this, &TfrmManyYear::rsMonthChange);

    setTabOrder(rsYear, rsMonth);
    setTabOrder(rsMonth, advDays);
    rsYear->setFocus();
}

void TfrmManyYear::createMenu() {
    pmMain = new TPopupMenu(this);
    pmMain->setObjectName(QStringLiteral("pmMain"));
    N1 = pmMain->AddItem(QStringLiteral("N1"), ShowWeatherCaption,
                         QStringLiteral(":/glyphs/menu_weather.png"));
    N3 = pmMain->AddSeparator(QStringLiteral("N3"));
    N4 = pmMain->AddItem(QStringLiteral("N4"), QStringLiteral("便签维护"),
                         QStringLiteral(":/glyphs/menu_noteedit.png"));
    N5 = pmMain->AddItem(QStringLiteral("N5"), ShowNotesCaption,
                         QStringLiteral(":/glyphs/menu_notewindow.png"));
    N6 = pmMain->AddItem(QStringLiteral("N6"), QStringLiteral("便签设置"),
                         QStringLiteral(":/glyphs/menu_noteset.png"));
    N7 = pmMain->AddItem(QStringLiteral("N7"), QStringLiteral("便签历史"),
                         QStringLiteral(":/glyphs/menu_notehis.png"));
    N8 = pmMain->AddSeparator(QStringLiteral("N8"));
    N9 = pmMain->AddItem(QStringLiteral("N9"), QStringLiteral("最小化到托盘"),
                         QStringLiteral(":/glyphs/menu_tray.png"));
    N2 = pmMain->AddItem(QStringLiteral("N2"), QStringLiteral("退出程序"),
                         QStringLiteral(":/glyphs/menu_exit.png"));
    N10 = pmMain->AddSeparator(QStringLiteral("N10"));
    N11 = pmMain->AddItem(QStringLiteral("N11"), QStringLiteral("关于..."));

    connect(N1, &QAction::triggered, this, &TfrmManyYear::N1Click);
    connect(N4, &QAction::triggered, this, &TfrmManyYear::N4Click);
    connect(N5, &QAction::triggered, this, &TfrmManyYear::N5Click);
    connect(N6, &QAction::triggered, this, &TfrmManyYear::N6Click);
    connect(N7, &QAction::triggered, this, &TfrmManyYear::N7Click);
    connect(N9, &QAction::triggered, this, &TfrmManyYear::N9Click);
    connect(N2, &QAction::triggered, this, &TfrmManyYear::N2Click);
    connect(N11, &QAction::triggered, this, &TfrmManyYear::N11Click);

    btnMenu->SetMenu(pmMain);
}

// ---- Month page ----

void TfrmManyYear::FormCreate() {
    FInitializing = true;
    FWeekendPending = true;
    FWeekendCount = 0;

    for (int r = 1; r <= 6; ++r)
        advDays->SetRowHeight(r, 50);
    for (int c = 0; c < 7; ++c)
        advDays->SetCell(c, 0, QString::fromUtf8(WeekdayNames[c]));

    const QDateTime now = Clock::Now();
    FTodayYear = now.date().year();
    FTodayMonth = now.date().month();
    FTodayDay = now.date().day();

    // The spinners keep the year within the engine's range. A clock outside it
    // shows the nearest month that the tables cover, without a today mark.
    rsYear->SetValue(FTodayYear);
    if (FTodayYear < FirstLunarYear)
        rsMonth->SetValue(1);
    else if (FTodayYear > LastLunarYear)
        rsMonth->SetValue(12);
    else
        rsMonth->SetValue(FTodayMonth);
    FillMonthPage(rsYear->Value(), rsMonth->Value());

    const std::string holiday = GetHolidayName(toLocalSeconds(now));
    if (!holiday.empty())
        lblHolday->setText(QStringLiteral("今天是：%1").arg(QString::fromStdString(holiday)));

    ReadNoteSettings();
}

void TfrmManyYear::FillMonthPage(int32_t Year, int32_t Month) {
    Year = qBound(FirstLunarYear, Year, LastLunarYear);
    Month = qBound(1, Month, 12);

    advDays->LoadBackground(QStringLiteral(":/BITMAP_%1").arg(Month));
    lblNLYear->setText(QString::fromStdString(GetGanZhiYearName(Year)));

    const int first = GetWeekDay(Year, Month, 1) - 1; // [0, 6]
    const int days = GetMonthDays(Year, Month);       // [28, 31]

    for (int r = 1; r <= 6; ++r) {
        for (int c = 0; c < 7; ++c) {
            if (advDays->CellColor(c, r) == TodayColor)
                advDays->SetCellColor(c, r, QColor());
        }
    }

    for (int r = 1; r <= 6; ++r) {
        for (int c = 0; c < 7; ++c) {
            const int d = r == 1 ? c - first + 1 : (7 - first) + 7 * (r - 2) + c + 1;
            if (d < 1 || d > days) {
                advDays->SetCell(c, r, QString());
                continue;
            }
            advDays->SetCell(c, r,
                             QString::fromStdString(DayCellText(MakeDayCell(Year, Month, d))));
            if (Year == FTodayYear && Month == FTodayMonth && d == FTodayDay) {
                advDays->SetCellColor(c, r, TodayColor);
                advDays->SetSelected(c, r);
            }
        }
    }
    ++FFillCount;
}

void TfrmManyYear::rsYearChange() {
    if (!FInitializing)
        FillMonthPage(rsYear->Value(), rsMonth->Value());
}

void TfrmManyYear::rsMonthChange() {
    if (!FInitializing)
        FillMonthPage(rsYear->Value(), rsMonth->Value());
}

void TfrmManyYear::FormActivate() {
    FInitializing = false;
}

void TfrmManyYear::advDaysDrawCell(int ACol, int /*ARow*/, const QRect& /*Rect*/) {
    if (!FWeekendPending || (ACol != 0 && ACol != 6))
        return;
    // The grid paints its header row first, but a partial paint may report
    // one weekend column more than once: each header cell counts only once,
    // so both end up coloured.
    if (advDays->CellColor(ACol, 0) == WeekendHeaderColor)
        return;
    advDays->SetCellColor(ACol, 0, WeekendHeaderColor);
    ++FWeekendCount;
    if (FWeekendCount >= 2)
        FWeekendPending = false;
}

void TfrmManyYear::ReadNoteSettings() {
    ReadNoteSettingsFile(FDataDir, ConfigFile());
}

// ---- Header strip drag ----

void TfrmManyYear::pnlTopMouseDown(Qt::MouseButton /*Button*/, const QPoint& Pos) {
    FDownX = Pos.x();
    FDownY = Pos.y();
}

void TfrmManyYear::pnlTopMouseUp(Qt::MouseButton Button, const QPoint& Pos) {
    move(x() + Pos.x() - FDownX, y() + Pos.y() - FDownY);
    if (Button == Qt::LeftButton && WeatherWindow())
        DockWeather();
}

QWidget* TfrmManyYear::WeatherWindow() const {
    // frmWeather, set when the menu makes the panel.
    return FWeatherWindow;
}

void TfrmManyYear::SetWeatherWindow(QWidget* Window) {
    FWeatherWindow = Window;
}

void TfrmManyYear::DockWeather() {
    QWidget* weather = WeatherWindow();
    if (!weather)
        return;
    // Beside this window where the panel fits on its screen (UWeatherPlace.h).
    weather->move(WeatherPanelPosition(this, weather));
}

// ---- Popup menu ----

void TfrmManyYear::N1Click() {
    const QString caption = N1->text();
    if (caption == ShowWeatherCaption) {
        if (!frmWeather) {
            QString error;
            frmWeather = CreateWeatherPanel(&error);
            if (!frmWeather) {
                ShowApplicationError(error);
                return;
            }
            SetWeatherWindow(frmWeather);
        }
        RestoreProgram();
        // Every show from the menu docks the panel and loads its page.
        frmWeather->ShowPanel();
        N1->setText(HideWeatherCaption);
    } else if (caption == HideWeatherCaption) {
        if (frmWeather) {
            frmWeather->HidePanel();
            // Hidden by the user: a later restore must not bring it back.
            FHiddenWindows.removeAll(QPointer<QWidget>(frmWeather));
        }
        N1->setText(ShowWeatherCaption);
    }
}

void TfrmManyYear::N4Click() {
    if (!frmNoteAdd) {
        frmNoteAdd = new TfrmNoteAdd(NotesFile());
        // After the notes are stored the note window shows them.
        connect(frmNoteAdd, &TfrmNoteAdd::notesStored, this, [this] {
            ShowNoteWindow(NotesFile())->RefreshNotes(NotesFile());
            N5->setText(HideNotesCaption);
        });
        connect(frmNoteAdd, &TfrmNoteAdd::noteDeleted, this, [this] {
            if (frmNoteList)
                frmNoteList->RefreshNotes(NotesFile());
        });
    }
    frmNoteAdd->exec();
}

void TfrmManyYear::N5Click() {
    const QString caption = N5->text();
    if (caption == ShowNotesCaption) {
        ShowNoteWindow(NotesFile());
        N5->setText(HideNotesCaption);
    } else if (caption == HideNotesCaption) {
        if (frmNoteList) {
            frmNoteList->hide();
            FHiddenWindows.removeAll(QPointer<QWidget>(frmNoteList));
        }
        N5->setText(ShowNotesCaption);
    }
}

void TfrmManyYear::N6Click() {
    if (!frmNoteSet)
        frmNoteSet = new TfrmNoteSet(FDataDir);
    frmNoteSet->exec();
}

void TfrmManyYear::N7Click() {
    if (!frmNoteHis)
        frmNoteHis = new TfrmNoteHis(NotesFile());
    frmNoteHis->exec();
}

void TfrmManyYear::N9Click() {
    MinimizeProgram();
}

void TfrmManyYear::N2Click() {
    close();
}

void TfrmManyYear::N11Click() {
    if (!frmAbout)
        frmAbout = new TfrmAbout();
    frmAbout->exec();
}

// ---- Reminders ----

bool TfrmManyYear::LoadNoteAlarms(const QString& Path) {
    return FAlarmReader.Load(XMLDoc, Path, FNoteAlarms);
}

void TfrmManyYear::SetReminderSender(TReminderNotice::Sender Send) {
    FReminderNotice = std::make_unique<TReminderNotice>(std::move(Send));
}

void TfrmManyYear::tNoteAlarmTimer() {
    // A tick that comes while a shake runs (the shake lets the timer through)
    // is skipped: the next tick of the same minute shakes again.
    if (FShaking)
        return;
    // With reminders off the file is not even looked at.
    if (Alarm == 0)
        return;
    const QString path = NotesFile();
    if (!QFileInfo::exists(path))
        return;
    LoadNoteAlarms(path);
    const int slot = FindDueAlarm(FNoteAlarms, CurrentMinuteText());
    if (slot < 0)
        return;
    if (FReminderNotice)
        FReminderNotice->NotifyOnce(FNoteAlarms[slot]);
    ShakeNoteWindow(ShowNoteWindow(path));
}

void TfrmManyYear::ShakeNoteWindow(QWidget* Window) {
    if (!Window)
        return;
    QPointer<TfrmManyYear> self(this);
    QPointer<QWidget> window(Window);
    const QPoint start = Window->pos();
    FShaking = true;
    for (int move = 1; move <= 26; ++move) {
        QCoreApplication::processEvents();
        // The user may close either window while the shake runs.
        if (!self)
            return;
        if (!window)
            break;
        const int d = (move % 2 == 1) ? 1 : -1;
        window->move(start + QPoint(d, d));
        QThread::msleep(50);
    }
    if (window)
        window->move(start);
    FShaking = false;
}

// ---- Tray, minimise and restore ----

bool TfrmManyYear::IsProgramMinimized() const {
    return FMinimizedToTray || isMinimized();
}

void TfrmManyYear::MinimizeProgram() {
    if (IsProgramMinimized())
        return;
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        // Hidden windows with no tray icon could never be brought back.
        showMinimized();
        return;
    }
    FHiddenWindows.clear();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && isProgramWindow(w))
            FHiddenWindows.append(w);
    }
    FMinimizedToTray = true;
    for (const QPointer<QWidget>& w : FHiddenWindows) {
        if (w)
            w->hide();
    }
}

void TfrmManyYear::RestoreProgram() {
    if (FMinimizedToTray) {
        FMinimizedToTray = false;
        const auto windows = FHiddenWindows;
        FHiddenWindows.clear();
        for (const QPointer<QWidget>& w : windows) {
            if (w && w != this)
                w->show();
        }
        setWindowState(windowState() & ~Qt::WindowMinimized);
        show();
    } else if (isMinimized()) {
        showNormal();
    } else {
        return;
    }
    raise();
    activateWindow();
}

void TfrmManyYear::BringToFront() {
    RestoreProgram();
    show();
    raise();
    activateWindow();
}

void TfrmManyYear::tiTrayActivated(QSystemTrayIcon::ActivationReason Reason) {
    switch (Reason) {
    case QSystemTrayIcon::DoubleClick:
        if (!pmMain->isVisible())
            BringToFront();
        break;
    case QSystemTrayIcon::Context:
        if (isVisible()) {
            raise();
            activateWindow();
        }
        pmMain->popup(QCursor::pos());
        break;
    default:
        break;
    }
}

bool TfrmManyYear::event(QEvent* Event) {
    if (Event->type() == QEvent::WindowActivate)
        FormActivate();
    return QWidget::event(Event);
}

void TfrmManyYear::changeEvent(QEvent* Event) {
    QWidget::changeEvent(Event);
    // Minimised by the system (a taskbar click, a key of the window manager):
    // the whole program goes to the tray, so no taskbar button remains.
    if (Event->type() == QEvent::WindowStateChange && isMinimized() && !FMinimizedToTray &&
        QSystemTrayIcon::isSystemTrayAvailable()) {
        QTimer::singleShot(0, this, [this]() {
            if (!isMinimized())
                return;
            setWindowState(windowState() & ~Qt::WindowMinimized);
            MinimizeProgram();
        });
    }
}

void TfrmManyYear::closeEvent(QCloseEvent* Event) {
    // FormClose: the window is destroyed once the close completes.
    tiTray->hide();
    Event->accept();
}
