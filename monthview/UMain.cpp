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
#include "UHolidays.h"
#include "UMenuButton.h"
#include "UNoteAdd.h"
#include "UNoteHis.h"
#include "UNoteList.h"
#include "UNoteset.h"
#include "UPopupMenu.h"
#include "UProgramPalette.h"
#include "USettings.h"
#include "USettingsFile.h"
#include "USpinner.h"
#include "UWeatherPanel.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QScreen>
#include <QShortcut>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <fstream>

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
// The colours of a cell's name line and of its 休/班 mark.
const QColor LunarFestivalColor(204, 30, 30);
const QColor GregorianFestivalColor(24, 92, 190);
const QColor SolarTermColor(18, 128, 58);
const QColor DayOffColor(222, 42, 42);
const QColor WorkDayColor(88, 98, 114);
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
    // Its texts stand on its own pictures and panels: its own colours, not
    // the desktop theme's.
    UseProgramPalette(this);
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
    connect(advDays, &TDayGrid::SelectionChanged, this, &TfrmManyYear::advDaysSelectionChanged);
    // The arrow keys go on past the first and the last day into the next
    // month; every day tells its details when the mouse rests on it.
    advDays->SetArrowKeysToOwner(true);
    connect(advDays, &TDayGrid::ArrowKey, this,
            [this](int DCol, int DRow) { MoveSelection(DCol + 7 * DRow); });
    advDays->SetToolTipProvider(
        [this](int Col, int Row) { return DayDetails(cellDate(Col, Row)); });
    rsYear->SetTypingEnabled(true);
    rsMonth->SetTypingEnabled(true);
    // Home, and a double click on the clock: back to today.
    auto* home = new QShortcut(QKeySequence(Qt::Key_Home), this);
    connect(home, &QShortcut::activated, this, &TfrmManyYear::GoToday);
    lblTime->installEventFilter(this);

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
    FToday = now.date();
    FTodayYear = FToday.year();
    FTodayMonth = FToday.month();
    FTodayDay = FToday.day();
    FSelectedDate = FToday;
    FWatchFrom = now;
    LoadHolidays();

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

    updateTodayTexts();

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

    QPoint selected(-1, -1);
    for (int r = 1; r <= 6; ++r) {
        for (int c = 0; c < 7; ++c) {
            const int d = r == 1 ? c - first + 1 : (7 - first) + 7 * (r - 2) + c + 1;
            if (d < 1 || d > days) {
                advDays->SetCell(c, r, QString());
                advDays->SetCellDecor(c, r, {});
                continue;
            }
            const DayCell cell = MakeDayCell(Year, Month, d, FHolidays);
            // The day number, the lunar day (or month), and the one name of
            // the day: its festival, or its solar term.
            advDays->SetCell(
                c, r, QString::fromStdString(cell.Day + '\r' + cell.Lunar + '\r' + cell.Name));
            advDays->SetCellDecor(c, r, cellDecor(cell));
            if (Year == FTodayYear && Month == FTodayMonth && d == FTodayDay)
                advDays->SetCellColor(c, r, TodayColor);
            if (FSelectedDate == QDate(Year, Month, d))
                selected = QPoint(c, r);
        }
    }
    // Only the day the user chose carries the frame, and only on its own
    // month: a frame left at today's place on another month read as a
    // second today.
    advDays->SetSelected(selected.x(), selected.y());
    ++FFillCount;
}

TDayGrid::Decor TfrmManyYear::cellDecor(const DayCell& Cell) const {
    TDayGrid::Decor decor;
    QColor name;
    switch (Cell.NameKind) {
    case DayNameKind::LunarFestival:
        name = LunarFestivalColor;
        break;
    case DayNameKind::GregorianFestival:
        name = GregorianFestivalColor;
        break;
    case DayNameKind::SolarTerm:
        name = SolarTermColor;
        break;
    case DayNameKind::None:
        break;
    }
    decor.LineColors = {QColor(), QColor(), name};
    if (Cell.Mark != OfficialMark::None) {
        decor.Badge = QString::fromUtf8(OfficialMarkText(Cell.Mark));
        decor.BadgeColor = Cell.Mark == OfficialMark::Off ? DayOffColor : WorkDayColor;
    }
    return decor;
}

QString TfrmManyYear::DayDetails(const QDate& Day) const {
    if (!Day.isValid() || Day.year() < FirstLunarYear || Day.year() > LastLunarYear)
        return QString();
    QStringList lines;
    for (const std::string& line : GetDayDetails(Day.year(), Day.month(), Day.day(), FHolidays))
        lines << QString::fromStdString(line);
    return lines.join(QLatin1Char('\n'));
}

void TfrmManyYear::GoToday() {
    CheckToday();
    FSelectedDate = FToday;
    ShowMonth(FToday.year(), FToday.month());
}

void TfrmManyYear::MoveSelection(int Days) {
    const QDate first(rsYear->Value(), rsMonth->Value(), 1);
    QDate from = FSelectedDate;
    // Without a chosen day on this page the keys start from today, when it
    // is here, or from the month's first day.
    if (!from.isValid() || from.year() != first.year() || from.month() != first.month())
        from = (FToday.year() == first.year() && FToday.month() == first.month()) ? FToday : first;
    QDate to = from.addDays(Days);
    // The tables end there: the chosen day stays on the first or last day.
    if (to < QDate(FirstLunarYear, 1, 1) || to > QDate(LastLunarYear, 12, 31))
        to = from;
    FSelectedDate = to;
    if (to.year() != first.year() || to.month() != first.month())
        ShowMonth(to.year(), to.month());
    else
        FillMonthPage(first.year(), first.month());
    advDays->ShowCellToolTip(advDays->SelectedCol(), advDays->SelectedRow());
}

void TfrmManyYear::LoadHolidays() {
    FHolidays = THolidayTable::Compiled();
    const QString path = FDataDir + QStringLiteral("/Holidays.txt");
    if (!QFileInfo::exists(path))
        return;
    std::ifstream in(QFile::encodeName(path).constData(), std::ios::binary);
    HolidayFileResult read =
        ReadHolidayFile(in, QDir::toNativeSeparators(path).toStdString(), FHolidays);
    FHolidays = std::move(read.Table);
    // A line that cannot be read is told once, at start; the others apply.
    if (!read.Problems.empty()) {
        QStringList problems;
        for (const HolidayFileProblem& problem : read.Problems)
            problems << QString::fromStdString(problem.Message);
        FHolidayProblems = problems.join(QLatin1Char('\n'));
        if (FReminderNotice)
            FReminderNotice->Tell(QStringLiteral("节假日文件有几行没有用上"), FHolidayProblems);
    }
}

void TfrmManyYear::ShowMonth(int32_t Year, int32_t Month) {
    Year = qBound(FirstLunarYear, Year, LastLunarYear);
    Month = qBound(1, Month, 12);
    FTurningPage = true;
    rsYear->SetValue(Year);
    rsMonth->SetValue(Month);
    FTurningPage = false;
    FillMonthPage(Year, Month);
}

QDate TfrmManyYear::cellDate(int Col, int Row) const {
    const int32_t year = rsYear->Value();
    const int32_t month = rsMonth->Value();
    if (Row < 1 || Row > 6 || Col < 0 || Col > 6)
        return {};
    const int first = GetWeekDay(year, month, 1) - 1;
    const int d = (Row - 1) * 7 + Col - first + 1;
    if (d < 1 || d > GetMonthDays(year, month))
        return {};
    return QDate(year, month, d);
}

void TfrmManyYear::advDaysSelectionChanged(int Col, int Row) {
    const QDate chosen = cellDate(Col, Row);
    if (!chosen.isValid()) {
        // An empty cell is no day: the frame stays where it was.
        FillMonthPage(rsYear->Value(), rsMonth->Value());
        return;
    }
    FSelectedDate = chosen;
}

void TfrmManyYear::CheckToday() {
    const QDate today = Clock::Now().date();
    if (today == FToday)
        return;
    const QDate old = FToday;
    FToday = today;
    FTodayYear = today.year();
    FTodayMonth = today.month();
    FTodayDay = today.day();
    // The frame that stood on today moves on with it; a day the user chose
    // stays chosen.
    if (FSelectedDate == old)
        FSelectedDate = today;
    // A page on the old today's month follows today; a page the user turned
    // elsewhere stays there, with its mark gone or moved.
    if (rsYear->Value() == old.year() && rsMonth->Value() == old.month())
        ShowMonth(today.year(), today.month());
    else
        FillMonthPage(rsYear->Value(), rsMonth->Value());
    updateTodayTexts();
    if (frmNoteList)
        frmNoteList->RefreshNotes(NotesFile());
}

void TfrmManyYear::updateTodayTexts() {
    const std::string holiday = GetHolidayName(toLocalSeconds(QDateTime(FToday, QTime(12, 0))));
    lblHolday->setText(holiday.empty()
                           ? QString()
                           : QStringLiteral("今天是：%1").arg(QString::fromStdString(holiday)));
    if (tiTray)
        tiTray->setToolTip(TrayToolTip());
}

QString TfrmManyYear::TrayToolTip() const {
    QStringList lines{QStringLiteral("万年历")};
    if (FToday.year() >= FirstLunarYear && FToday.year() <= LastLunarYear) {
        const std::vector<std::string> details =
            GetDayDetails(FToday.year(), FToday.month(), FToday.day(), THolidayTable::Compiled());
        for (size_t i = 0; i < details.size() && i < 2; ++i)
            lines << QString::fromStdString(details[i]);
    } else {
        lines << FToday.toString(QStringLiteral("yyyy-MM-dd"));
    }
    if (!lblHolday->text().isEmpty())
        lines << lblHolday->text();
    return lines.join(QLatin1Char('\n'));
}

void TfrmManyYear::rsYearChange() {
    if (!FInitializing && !FTurningPage)
        FillMonthPage(rsYear->Value(), rsMonth->Value());
}

void TfrmManyYear::rsMonthChange() {
    if (!FInitializing && !FTurningPage)
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
    const bool Ok = FAlarmReader.Load(XMLDoc, Path, FNoteAlarms);
    // Reminders that cannot be read are not dropped without a word: the
    // desktop is told once why, and again only for another reason.
    if (Ok) {
        FAlarmFailureTold.clear();
    } else if (FAlarmReader.Failure() != FAlarmFailureTold) {
        FAlarmFailureTold = FAlarmReader.Failure();
        if (FReminderNotice)
            FReminderNotice->Tell(QStringLiteral("便签提醒可能不全"), FAlarmFailureTold);
    }
    return Ok;
}

void TfrmManyYear::SetReminderSender(TReminderNotice::Sender Send) {
    FReminderNotice = std::make_unique<TReminderNotice>(std::move(Send));
}

void TfrmManyYear::tNoteAlarmTimer() {
    const QDateTime now = Clock::Now();
    CheckToday();
    // The minutes since the last look are looked at now; with reminders off
    // or no notes file they pass unreminded, as before.
    const QDateTime since = FWatchFrom;
    FWatchFrom = now;
    if (Alarm == 0)
        return;
    const QString path = NotesFile();
    if (!QFileInfo::exists(path))
        return;
    (void)LoadNoteAlarms(path); // the slots read before a failure still count
    const QList<TDueAlarm> due = DueAlarms(FNoteAlarms, since, now);
    if (due.isEmpty())
        return;
    // Each reminder is told once, with its own notification.
    bool told = false;
    bool onTime = false;
    for (const TDueAlarm& d : due) {
        if (FReminderNotice && FReminderNotice->NotifyOnce(d.Alarm, d.Late))
            told = true;
        onTime = onTime || !d.Late;
    }
    // A reminder of this minute keeps the note shaking for the rest of its
    // minute, until the user presses on the note; one that comes late shakes
    // it once, when it is told.
    const QDateTime minute(now.date(), QTime(now.time().hour(), now.time().minute()));
    if (!told && !(onTime && FAcknowledgedMinute != minute))
        return;
    if (told)
        FAcknowledgedMinute = QDateTime();
    TfrmNoteList* window = ShowNoteWindow(path);
    connect(window, &TfrmNoteList::Pressed, this, &TfrmManyYear::AcknowledgeReminder,
            Qt::UniqueConnection);
    window->RefreshNotes(path, due);
    ShakeNoteWindow(window);
}

void TfrmManyYear::ShakeNoteWindow(QWidget* Window) {
    FShaker.Start(Window);
}

void TfrmManyYear::AcknowledgeReminder() {
    const QDateTime now = Clock::Now();
    FAcknowledgedMinute = QDateTime(now.date(), QTime(now.time().hour(), now.time().minute()));
    FShaker.Stop();
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
        // The main window first: the others belong to it, and a window
        // manager places a window whose owner is not on the screen as it
        // likes, not where the window was.
        setWindowState(windowState() & ~Qt::WindowMinimized);
        show();
        for (const QPointer<QWidget>& w : windows) {
            if (w && w != this)
                w->show();
        }
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
    case QSystemTrayIcon::Trigger: {
        // A left click: back to the front, or into the tray when it is in
        // front already. A notification area of the StatusNotifierItem kind
        // (most of today's panels) sends only this; the classic one sends it
        // before a double-click too, so there it waits to see whether a
        // second click follows.
        auto toggle = [this] {
            if (pmMain->isVisible())
                return;
            if (!IsProgramMinimized() && isVisible() && isActiveWindow())
                MinimizeProgram();
            else
                BringToFront();
        };
        if (StatusNotifierHostRuns()) {
            toggle();
        } else {
            if (!FTrayClick) {
                FTrayClick = new QTimer(this);
                FTrayClick->setSingleShot(true);
                connect(FTrayClick, &QTimer::timeout, this, toggle);
            }
            FTrayClick->start(QApplication::doubleClickInterval());
        }
        break;
    }
    case QSystemTrayIcon::DoubleClick:
        if (FTrayClick)
            FTrayClick->stop();
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

bool StatusNotifierHostRuns() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() &&
           bus.interface()->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher"));
}

bool TfrmManyYear::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == lblTime && Event->type() == QEvent::MouseButtonDblClick) {
        GoToday();
        return true;
    }
    return QWidget::eventFilter(Watched, Event);
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
