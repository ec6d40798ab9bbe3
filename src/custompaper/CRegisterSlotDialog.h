#pragma once

#include <QDialog>

class CCustomPaperTable;
class CRegisterSlot;
class QComboBox;
class QLineEdit;
class QPushButton;

// The slot registration dialog, opened by Save on the registration page:
// the destination slot (#1..#10, the table's current slot at first) and the
// name (at most 30 characters; a registered destination fills in its name).
// OK writes the table's current slot record under that name into the
// destination slot, after the readiness wait and, for a registered
// destination, the overwrite question. A failure keeps the dialog open.
// The decisions are CRegisterSlot's.
class CRegisterSlotDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidth = 400;
    static constexpr int kHeight = 132;
    // Control ids.
    static constexpr int kDestinationLabel = 1000;
    static constexpr int kDestination = 1001;
    static constexpr int kNameLabel = 1003;
    static constexpr int kName = 1002;
    static constexpr int kOk = 1;
    static constexpr int kCancel = 2;

    // The printer is the application's selected one.
    CRegisterSlotDialog(CCustomPaperTable& table, QWidget* owner);
    ~CRegisterSlotDialog() override;

    // The index of the slot written; -1 until OK succeeded.
    int WrittenIndex() const { return m_written; }

    QComboBox* DestinationBox() const { return m_destination; }
    QLineEdit* NameBox() const { return m_name; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }

    // What OK does (also when the button is pressed).
    void RunOk();

private:
    void OnDestination(int index);
    void OnName();

    CCustomPaperTable& m_table;
    QComboBox* m_destination = nullptr;
    QLineEdit* m_name = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    int m_written = -1;
    bool m_running = false;
};
