#pragma once

#include "reportactions.h"

#include <QWidget>

#include <functional>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableView;
class ScheduleReport;
class SessionDayModel;
class SessionListModel;
class SessionOverview;
class UserShell;

// The window of a faculty's session: the filter boxes, the list and the day table on two tabs, the
// undated controls apart below them, the progress of the reading (with the error and a retry when
// it fails), and printing and exporting what is shown. A double click or Enter on an entry asks the
// main window to show it.
class SessionOverviewWindow : public QWidget {
    Q_OBJECT

public:
    using FileNameAsker = ReportActions::FileNameAsker;

    // Takes the overview; errors of printing and saving go to the shell's error box.
    SessionOverviewWindow(std::unique_ptr<SessionOverview> overview, UserShell& shell,
                          QWidget* parent = nullptr);
    ~SessionOverviewWindow() override;

    SessionOverview& overview() const { return *m_overview; }
    QLineEdit* groupFilter() const { return m_groupFilter; }
    QLineEdit* examinerFilter() const { return m_examinerFilter; }
    QLineEdit* roomFilter() const { return m_roomFilter; }
    QTabWidget* views() const { return m_views; }
    QTableView* listView() const { return m_listView; }
    QTableView* dayView() const { return m_dayView; }
    QTableView* undatedView() const { return m_undatedView; }
    QProgressBar* progressBar() const { return m_progress; }
    QLabel* statusLabel() const { return m_status; }
    QPushButton* retryButton() const { return m_retry; }
    QAction* printAction() const { return m_actions->printAction(); }
    QAction* previewAction() const { return m_actions->previewAction(); }
    QAction* pdfAction() const { return m_actions->pdfAction(); }
    QAction* excelAction() const { return m_actions->excelAction(); }
    void setFileNameAsker(FileNameAsker asker) { m_actions->setFileNameAsker(std::move(asker)); }

    // The report of the view on show: the list or the day table.
    ScheduleReport shownReport() const;
    void print() { m_actions->print(); }
    void preview() { m_actions->preview(); }
    void saveAsPdf() { m_actions->saveAsPdf(); }
    void saveAsExcel() { m_actions->saveAsExcel(); }

    static QString WindowTitle(const SessionOverview& overview);

signals:
    // An entry (its index in the overview's entries) was chosen with a double click or Enter.
    void entryActivated(int entry);

private:
    void buildControls();
    void followState();
    void updateCounts();
    void applyFilter();
    // Each group's row of the day table as tall as its busiest day needs.
    void fitDayRows();
    // The height of a day row of that many lines of text.
    int DayRowHeight(int lines) const;
    void activate(const QModelIndex& index);

    std::unique_ptr<SessionOverview> m_overview;
    UserShell& m_shell;
    SessionListModel* m_listModel = nullptr;
    SessionListModel* m_undatedModel = nullptr;
    SessionDayModel* m_dayModel = nullptr;
    QLabel* m_heading = nullptr;
    QLineEdit* m_groupFilter = nullptr;
    QLineEdit* m_examinerFilter = nullptr;
    QLineEdit* m_roomFilter = nullptr;
    QPushButton* m_printButton = nullptr;
    ReportActions* m_actions = nullptr;
    QTabWidget* m_views = nullptr;
    QTableView* m_listView = nullptr;
    QTableView* m_dayView = nullptr;
    QWidget* m_undatedBox = nullptr;
    QLabel* m_undatedLabel = nullptr;
    QTableView* m_undatedView = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_retry = nullptr;
    bool m_fitted = false;
};
