// The main window: the header strip (year and month spinners, the year's
// GanZhi name, the clock, today's festival and the menu button) above the
// month grid, the popup menu that leads to every other window, the tray icon
// and the reminder timer.
#pragma once

#include "UDayCell.h"
#include "UDayGrid.h"
#include "UHolidays.h"
#include "UNoteAlarms.h"
#include "UPaths.h"
#include "UReminderNotice.h"
#include "UWindowShaker.h"
#include "UXmlDoc.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>
#include <cstdint>
#include <memory>

class QAction;
class QLabel;
class QTimer;
class TClockLabel;
class TGradientPanel;
class TMenuButton;
class TPopupMenu;
class TSpinner;

class TfrmManyYear : public QWidget {
    Q_OBJECT
public:
    // The menu captions that carry the state of their show/hide items.
    static const QString ShowWeatherCaption; // 显示天气预报
    static const QString HideWeatherCaption; // 隐藏天气预报
    static const QString ShowNotesCaption;   // 显示便签
    static const QString HideNotesCaption;   // 隐藏便签

    // DataDir is the folder of the notes and settings files; tests pass a
    // temporary one.
    explicit TfrmManyYear(const QString& DataDir = Paths::DataDir(), QWidget* Parent = nullptr);
    ~TfrmManyYear() override;

    const QString& DataDir() const { return FDataDir; }
    QString NotesFile() const;
    QString ConfigFile() const;

    // Builds the page of Year (1901..2050) and Month (1..12) in advDays.
    void FillMonthPage(int32_t Year, int32_t Month);
    // Turns the spinners to Year and Month and builds that page once.
    void ShowMonth(int32_t Year, int32_t Month);
    // Today as the page knows it, and the day the user chose (today at
    // first). Only the chosen day carries the selection frame, and only on
    // its own month's page.
    QDate Today() const { return FToday; }
    QDate SelectedDate() const { return FSelectedDate; }
    // Looks at the clock: when the date has changed since the page last
    // looked (midnight, a resume from suspend, a new clock or time zone), the
    // today mark, the festival line, the tray's tooltip and the note window
    // move to the new day, and a page that showed the old today's month turns
    // to the new today's month. The reminder tick calls it every second.
    void CheckToday();
    // Home and a double click on the clock: today's month, today chosen.
    void GoToday();
    // Moves the chosen day by Days (±1, ±7 for the arrow keys), across the
    // month's edge into the next or the last month.
    void MoveSelection(int Days);
    // The details of a day for its tooltip: the date and weekday, the lunar
    // date, the GanZhi of year, month and day with the zodiac, the solar
    // term, the festivals and the 休/班 with its holiday.
    QString DayDetails(const QDate& Day) const;
    // The official holidays: the compiled-in notices with the user's
    // Holidays.txt of the data folder over them (read at start).
    const THolidayTable& Holidays() const { return FHolidays; }
    // What could not be used of Holidays.txt, as told at start; empty when
    // nothing.
    const QString& HolidayProblems() const { return FHolidayProblems; }
    // Reads the settings file into the process-wide settings values.
    void ReadNoteSettings();
    // Puts the weather panel against this window's right edge.
    void DockWeather();

    // The weather panel this window docks, or nullptr while there is none.
    QWidget* WeatherWindow() const;
    void SetWeatherWindow(QWidget* Window);

    // Application-level minimise and restore. With a notification area, the
    // program's visible windows are hidden (no taskbar button remains) and
    // come back on restore; without one the main window is minimised in the
    // ordinary way, so the user can always get back to it.
    void MinimizeProgram();
    // Does nothing when the program is not minimised.
    void RestoreProgram();
    bool IsProgramMinimized() const;
    // Restores the program and makes this window the active one (a second
    // start of the program asks for this).
    void BringToFront();

    // How many month pages have been built so far.
    int FillCount() const { return FFillCount; }

    // Controls. Each carries its name as objectName.
    TGradientPanel* pnlTop = nullptr;
    TSpinner* rsYear = nullptr;
    QLabel* lblYear = nullptr;
    TSpinner* rsMonth = nullptr;
    QLabel* lblMonth = nullptr;
    TClockLabel* lblTime = nullptr;
    QLabel* lblNLYear = nullptr;
    TMenuButton* btnMenu = nullptr;
    QLabel* lblHolday = nullptr;
    TDayGrid* advDays = nullptr;
    TPopupMenu* pmMain = nullptr;
    QAction* N1 = nullptr;
    QAction* N3 = nullptr;
    QAction* N4 = nullptr;
    QAction* N5 = nullptr;
    QAction* N6 = nullptr;
    QAction* N7 = nullptr;
    QAction* N8 = nullptr;
    QAction* N9 = nullptr;
    QAction* N2 = nullptr;
    QAction* N10 = nullptr;
    QAction* N11 = nullptr;
    QSystemTrayIcon* tiTray = nullptr;
    // The spinner button glyphs: index 0 minus, index 1 plus.
    QList<QPixmap> ilSpin;
    // The reminder timer: every 1000 ms while the window exists.
    QTimer* tNoteAlarm = nullptr;
    // The window's own XML document, through which the reminder timer reads
    // today's notes.
    XmlDocument XMLDoc;
    // The alarm table: slot i belongs to today's note at position i.
    TNoteAlarms FNoteAlarms;

    // Rebuilds the alarm table from today's notes in Path; the walk's result.
    // A failure is told to the desktop once, until the file reads again.
    bool LoadNoteAlarms(const QString& Path);
    // Jitters Window diagonally by one pixel for about 1.3 s from a timer
    // (nothing waits meanwhile) and puts it back where it was.
    void ShakeNoteWindow(QWidget* Window);
    bool IsShaking() const { return FShaker.IsRunning(); }
    // The user has seen the reminder (a press on the note window): the shake
    // stops, and the reminders of this minute do not start it again.
    void AcknowledgeReminder();
    // The tray icon's tooltip: today's date, the lunar date and today's festival.
    QString TrayToolTip() const;
    // How often the reminder timer has read the notes file.
    int NotesFileReads() const { return FAlarmReader.ReadCount(); }
    // How often it has walked the file (a changed file is walked again).
    int NotesFileWalks() const { return FAlarmReader.WalkCount(); }
    // Where due reminders are announced on the desktop (tests replace it).
    void SetReminderSender(TReminderNotice::Sender Send);

    // Month page state.
    int32_t FTodayYear = 0;
    int32_t FTodayMonth = 0;
    int32_t FTodayDay = 0;
    bool FInitializing = true;
    bool FWeekendPending = true;
    int32_t FWeekendCount = 0;
    // Where a mouse button was last pressed on the header strip.
    int32_t FDownX = 0;
    int32_t FDownY = 0;

public slots:
    void FormCreate();
    void FormActivate();
    void rsYearChange();
    void rsMonthChange();
    void advDaysDrawCell(int ACol, int ARow, const QRect& Rect);
    void pnlTopMouseDown(Qt::MouseButton Button, const QPoint& Pos);
    void pnlTopMouseUp(Qt::MouseButton Button, const QPoint& Pos);
    void N1Click();
    void N4Click();
    void N5Click();
    void N6Click();
    void N7Click();
    void N9Click();
    void N2Click();
    void N11Click();
    void tNoteAlarmTimer();
    void tiTrayActivated(QSystemTrayIcon::ActivationReason Reason);

protected:
    bool event(QEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void changeEvent(QEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;

private:
    void createControls();
    void createMenu();

    QString FDataDir;
    int FFillCount = 0;
    QPointer<QWidget> FWeatherWindow;
    bool FMinimizedToTray = false;
    QList<QPointer<QWidget>> FHiddenWindows;
    TNoteAlarmReader FAlarmReader;
    std::unique_ptr<TReminderNotice> FReminderNotice;
    TWindowShaker FShaker;
    QString FAlarmFailureTold;
    // When the reminder tick last looked: reminders whose minute has passed
    // since then (the machine slept, the program was busy) are late, not lost.
    QDateTime FWatchFrom;
    QDateTime FAcknowledgedMinute;
    QDate FToday;
    QDate FSelectedDate;
    bool FTurningPage = false;
    QTimer* FTrayClick = nullptr;
    void updateTodayTexts();
    void LoadHolidays();
    TDayGrid::Decor cellDecor(const DayCell& Cell) const;
    THolidayTable FHolidays;
    QString FHolidayProblems;
    void advDaysSelectionChanged(int Col, int Row);
    // The date of a cell of the page, or an invalid date for an empty cell.
    QDate cellDate(int Col, int Row) const;
};

// The main window while it exists, else nullptr.
extern TfrmManyYear* frmManyYear;

// True when the session's notification area is of the StatusNotifierItem
// kind (a watcher runs on the session bus): its left click comes as a single
// activation, never followed by a double-click.
bool StatusNotifierHostRuns();

// Registers the pictures, glyphs, icon and version information compiled into
// the program. They sit in a static library, whose resource objects the
// linker would otherwise leave out; the main window calls it on creation, and
// the program entry before it sets the window icon. Calling it again does
// nothing.
void InitProgramResources();
