#pragma once

#include "grid/gridfind.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QPushButton;
class TDBGrid;

// The grid's find dialog: the text to search for with its history, the columns to search, the
// match type, the direction and the case and format boxes; Find next lands the grid on the next
// matching cell. One instance serves the whole run and keeps its choices and history between
// openings. Its texts are English. Closing it ends its modal run with 2.
class TGridFindDlg : public QDialog {
    Q_OBJECT
public:
    // What "Close" and Escape end the modal run with.
    static constexpr int CancelResult = 2;

    explicit TGridFindDlg(QWidget* owner = nullptr);
    ~TGridFindDlg() override;

    // Ctrl+F of a grid: opens the run's dialog over `grid` with `text` to search for (the text
    // selected in the cell editor) and runs it modally. Returns the modal result.
    static int Execute(TDBGrid& grid, const QString& text);
    // The run's dialog, made on first use as a window of `owner` (the grid's window, which lives
    // for the run); a later owner takes it over with its state.
    static TGridFindDlg* Instance(QWidget* owner);

    // Opening without showing: the text, the grid, the find-in list rebuilt around the grid's
    // current column, the search columns built and the search reset, the focus on the text.
    void Prepare(TDBGrid& grid, const QString& text);

    // How "String "x" not found." reaches the user; by default a message box with the
    // application's name as caption, no icon and one OK button.
    using PlainMessage = std::function<void(const QString& text)>;
    void setPlainMessage(PlainMessage show);

    // The search behind the window.
    GridFind& search() { return m_search; }

    QLabel* Label1;
    QComboBox* cbText;
    QLabel* Label2;
    QComboBox* cbFindIn;
    QLabel* cbMatchType;
    QComboBox* cbMatchinType;
    QLabel* Label3;
    QComboBox* cbFindDirection;
    QCheckBox* cbCharCase;
    QCheckBox* cbUseFormat;
    QPushButton* bFind;
    QPushButton* bCancel;

    // Find next, Ctrl reversing the direction; the search's errors propagate to the caller.
    void FindNext(bool ctrlHeld);
    // The button: Ctrl as the keyboard holds it at that moment.
    void bFindClick();
    void bCancelClick();
    void cbTextChange(const QString& text);
    void cbFindInChange(int index);
    void cbMatchinTypeChange(int index);
    void cbFindDirectionChange(int index);
    void cbCharCaseClick(bool checked);
    void cbUseFormatClick(bool checked);
    // The window sees every key first: Enter runs Find next (unless a drop-down list is open),
    // Escape presses "Close". True when the key was taken.
    bool FormKeyDown(QKeyEvent* event);

public slots:
    // Closing the window by its frame ends the run like "Close".
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void syncHistory();

    GridFind m_search;
    PlainMessage m_plainMessage;
};

// The run's find dialog once it has been made; empty before and after.
extern TGridFindDlg* GridFindDlg;
