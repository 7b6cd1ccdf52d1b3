#pragma once

#include "context/windowplacement.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class Bevel;
class ClashWatch;
class LookupComboBox;
class QLabel;
class QPushButton;
class ScheduleEditor;
class SessionOverviewWindow;
struct ProgramContext;
class TDBGrid;

// The main window: the silver panel with the four selectors and the Save button above the schedule
// grid. Its creation handler runs the sign-in dialog before the window is ever shown.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 870;
    static constexpr int ClientHeight = 367;
    // The size with the window's frame, by which the window is centred.
    static constexpr int OuterWidth = 886;
    static constexpr int OuterHeight = 405;
    static constexpr int PanelHeight = 121;
    static constexpr int BevelHeight = 2;

    explicit TForm1(const ProgramContext& context, QWidget* parent = nullptr);
    ~TForm1() override;

    QWidget* Panel4;
    QLabel* Label1;
    LookupComboBox* YearDBLookupComboBox;
    QLabel* Label6;
    LookupComboBox* SemesterDBLookupComboBox;
    QLabel* Label2;
    LookupComboBox* FacultyDBLookupComboBox;
    QLabel* Label4;
    LookupComboBox* GroupDBLookupComboBox;
    QPushButton* BitBtn1;
    // Beside the faculty selector, clear of the panel's controls: opens the faculty's session.
    // It takes no focus, so that Tab keeps its way through the panel; F9 presses it.
    QPushButton* OverviewButton;
    Bevel* Bevel1;
    Bevel* Bevel6;
    TDBGrid* DBGrid1;

    ScheduleEditor& editor() const { return *m_editor; }
    // The clash warnings marked in the grid.
    ClashWatch& clashes() const { return *m_clashes; }

    // Runs the sign-in dialog modally; a run that ends with 2 requests termination. The dialog is
    // freed and Form8 emptied whatever the result.
    void FormCreate();
    // The selectors' click handlers and the Save button's; errors go to the default error box.
    void YearDBLookupComboBoxClick(QObject* sender);
    void SemesterDBLookupComboBoxClick(QObject* sender);
    void FacultyDBLookupComboBoxClick(QObject* sender);
    void GroupDBLookupComboBoxClick(QObject* sender);
    void BitBtn1Click(QObject* sender);
    // Opens the session overview of the chosen year, semester and faculty (or brings the open one
    // to the front when it shows them; one for other choices is closed).
    void OverviewButtonClick(QObject* sender);
    // The open session overview; null when none is open.
    SessionOverviewWindow* sessionOverview() const;
    // Shows an entry of the open overview here: picks its group and makes its row current.
    void showSessionEntry(int entry);
    // Asked before the window closes; false keeps it open.
    bool FormCloseQuery();

    // Places the window, frame included, in the middle of the whole desktop (all screens).
    void centreOnDesktop();
    // As centreOnDesktop, on the desktop given rather than the one the window's screen reports.
    void centreOn(const DesktopGeometry& desktop);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildPanel();
    TDBGrid* createGrid(QWidget* parent);
    void setTabOrderAndFocus();
    // Runs a handler; what it raises goes to the default error box and ends the handler there.
    void runHandler(const std::function<void()>& handler);

    const ProgramContext& m_context;
    std::unique_ptr<ScheduleEditor> m_editor;
    std::unique_ptr<ClashWatch> m_clashes;
    QPointer<SessionOverviewWindow> m_overview;
    bool m_shownOnce = false;
};

// The main window; set as soon as its memory exists, before its creation handler runs.
extern TForm1* Form1;
