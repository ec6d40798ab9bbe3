#pragma once

#include <QString>
#include <QStringList>

#include <deque>
#include <vector>

class QWidget;

// What a page asks of a file dialog. The filter is written the way the
// utility's texts write it: "ZMD File(*.ZMD)|*.ZMD|All Files(*.*)|*.*||".
struct FileDialogRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    QString caption;
    QString filter;
    QString defaultExtension; // without the dot; appended to a typed name that has none
    QString initialFolder;
    QString initialName;      // file name (or full path) proposed in a save dialog
};

// Every file open/save dialog goes through the current FileDialogs: the real
// one shows a QFileDialog, tests install ScriptedFileDialogs. An empty result
// means the user cancelled.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    virtual QString Choose(QWidget* owner, const FileDialogRequest& request) = 0;

    static FileDialogs& Current();
    // nullptr goes back to the real dialogs. The caller keeps ownership.
    static void SetCurrent(FileDialogs* dialogs);

    // "Name(*.A)|*.A|Other|*.*||" → {"Name(*.A) (*.A *.a)", "Other (*.*)"}: the
    // patterns of each pair in both letter cases, since Linux file names are
    // case-sensitive and files copied from elsewhere are often lowercase.
    static QStringList QtFilters(const QString& filter);
};

QString ChooseOpenFile(QWidget* owner, const FileDialogRequest& request);
QString ChooseSaveFile(QWidget* owner, const FileDialogRequest& request);

class QtFileDialogs : public FileDialogs {
public:
    QString Choose(QWidget* owner, const FileDialogRequest& request) override;
};

// Test double: records each request and answers with scripted paths (empty
// = cancel; an exhausted script cancels). Installs itself for its lifetime.
class ScriptedFileDialogs : public FileDialogs {
public:
    ScriptedFileDialogs();
    ~ScriptedFileDialogs() override;
    ScriptedFileDialogs(const ScriptedFileDialogs&) = delete;
    ScriptedFileDialogs& operator=(const ScriptedFileDialogs&) = delete;

    QString Choose(QWidget* owner, const FileDialogRequest& request) override;

    void Script(const QString& path) { m_answers.push_back(path); }
    const std::vector<FileDialogRequest>& Requests() const { return m_requests; }

private:
    FileDialogs* m_previous = nullptr;
    std::deque<QString> m_answers;
    std::vector<FileDialogRequest> m_requests;
};
