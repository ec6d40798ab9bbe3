#pragma once

#include <QString>

class CPlotcareApp;
class QWidget;

// Pages place, label and style their controls from tables indexed by
// numeric control ids. A control carries its id as a property; the helpers
// find controls among the dialog's descendants and skip ids that no
// control has.

// A control's rectangle in pixels of its page: left, top, right, bottom.
struct ControlRect {
    int left;
    int top;
    int right;
    int bottom;
};

void SetControlId(QWidget* control, int id);
// The control's id; -1 when it has none.
int ControlId(const QWidget* control);
// The dialog's control with that id (its direct children first, then
// deeper descendants); null when there is none.
QWidget* FindControl(QWidget* dialog, int id);

// The visible text of a control of any kind: a label's or button's text, a
// group box's title, a text box's contents, otherwise the window title.
void SetControlText(QWidget* control, const QString& text);
QString ControlText(const QWidget* control);

// Moves each control to its rectangle and repaints it.
void ApplyLayout(QWidget* dialog, const int* ids, const ControlRect* rects, int count);
// Sets each control's text to GetText(text id); a text id of -1 leaves the
// control's text alone.
void ApplyTexts(CPlotcareApp& app, QWidget* dialog, const int* ids, const int* textIds, int count);
// Gives each control GetFont(font id) and redraws it; -1 gives the base font.
void ApplyFonts(CPlotcareApp& app, QWidget* dialog, const int* ids, const int* fontIds, int count);
// The same through the current application object; nothing without one.
void ApplyTexts(QWidget* dialog, const int* ids, const int* textIds, int count);
void ApplyFonts(QWidget* dialog, const int* ids, const int* fontIds, int count);

// One row of a page's control table: the control, its rectangle, and the
// text id that is also its font id (-1: no text, the base font).
struct ControlRow {
    int id;
    ControlRect rect;
    int text;
};
// Places each control of the table, gives it its font, then its text.
void ApplyControlRows(QWidget* dialog, const ControlRow* rows, int count);

// Shows the wait cursor over the whole program, or takes it away again.
void ShowWaitCursor(bool on);

// The wait cursor for as long as it lives.
class WaitCursorScope {
public:
    WaitCursorScope() { ShowWaitCursor(true); }
    ~WaitCursorScope() { ShowWaitCursor(false); }
    WaitCursorScope(const WaitCursorScope&) = delete;
    WaitCursorScope& operator=(const WaitCursorScope&) = delete;
};

// Sets a flag for as long as it lives: a page marks an action as running,
// so that a click that arrives while the action waits is not taken.
class RunningFlag {
public:
    explicit RunningFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~RunningFlag() { m_flag = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;

private:
    bool& m_flag;
};
