#pragma once

#include "custompaper/CustomFileWriter.h"

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
struct CustomFileRecord;

// The save custom file dialog, opened by Save on the custom file page: the
// file (Browse chooses it; a file of another model is refused) and the
// setting's name (at most 16 characters). OK writes the record as an entry:
// the entry of the same name after the overwrite question, else a new one
// after the last. The entry is placed from the file as it is on disk at
// that moment and written atomically, so entries another program wrote
// meanwhile are kept and a failed save leaves the file as it was. A failure
// keeps the dialog open. The decisions are CCustomFileSave's.
class CSaveCustomFileDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidth = 420;
    static constexpr int kHeight = 132;
    static constexpr int kTitle = 50600;
    // Control ids.
    static constexpr int kFileLabel = 1093;
    static constexpr int kFileName = 1094;
    static constexpr int kBrowse = 1095;
    static constexpr int kNameLabel = 1021;
    static constexpr int kName = 1022;
    static constexpr int kOk = 1;
    static constexpr int kCancel = 2;

    // `path`: the page's current custom file (may be empty). `record`: the
    // page's record; its CustomName becomes the name typed at OK. The model
    // is that of the application's selected printer.
    CSaveCustomFileDialog(const QString& path, CustomFileRecord* record, QWidget* owner);
    ~CSaveCustomFileDialog() override;

    // The file written (after OK), else the file chosen so far.
    const QString& Path() const { return m_path; }

    QLabel* FileNameText() const { return m_fileName; }
    QPushButton* BrowseButton() const { return m_browse; }
    QLineEdit* NameBox() const { return m_name; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }

    // The system calls of the save (tests make them fail).
    void SetWriteOptions(const CustomFileWriteOptions& options) { m_writeOptions = options; }

    // What Browse and OK do (also when the buttons are pressed).
    void RunBrowse();
    void RunOk();

private:
    void ShowPath();
    void EnableOk();

    QString m_path;
    CustomFileRecord* m_record;
    QLabel* m_fileName = nullptr;
    QPushButton* m_browse = nullptr;
    QLineEdit* m_name = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    CustomFileWriteOptions m_writeOptions;
    bool m_running = false;
};
