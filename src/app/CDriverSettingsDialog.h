#pragma once

#include <QByteArray>
#include <QDialog>

#include <optional>
#include <string>
#include <vector>

class QComboBox;

// The selected printer's driver settings, as the menu opens them: every
// option of the printer's queue with its choice in effect, taken from and
// written back to the application's driver settings copy. What OK saves
// stays in effect for this user's later jobs on the queue.
class CDriverSettingsDialog : public QDialog {
    Q_OBJECT
public:
    // False when the printer's options cannot be read (nothing is shown).
    CDriverSettingsDialog(const std::string& printer, const QByteArray* block, QWidget* parent);

    bool IsUsable() const { return m_usable; }
    // The options that differ from what they were, as keyword pairs.
    std::vector<std::pair<std::string, std::string>> Changes() const;

    QComboBox* OptionBox(const std::string& keyword) const;

private:
    struct Row {
        std::string keyword;
        std::string initial;
        QComboBox* box;
    };
    std::vector<Row> m_rows;
    bool m_usable = false;
};
