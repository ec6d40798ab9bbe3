#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// A resizable window showing a long read-only report. The text can be
// selected and copied through a right-click menu; typing changes nothing.
// OK, the close box and Escape only hide the window, so its owner can fill
// and show it again.
class CTextDisplayDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr QSize kMinimumSize{300, 200};

    explicit CTextDisplayDialog(QWidget* parent = nullptr);

    void SetReport(const QString& text);

    QPlainTextEdit* TextArea() const { return m_text; }
    QLabel* Heading() const { return m_heading; }
    QPushButton* OkButton() const { return m_ok; }

    // The context menu's one item: copies a non-empty selection.
    void CopySelection();
    // The context menu as it opens at `pos` (text area coordinates).
    QMenu* CreateContextMenu();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PlaceControls();

    QPlainTextEdit* m_text = nullptr;
    QLabel* m_heading = nullptr;
    QPushButton* m_ok = nullptr;
};
