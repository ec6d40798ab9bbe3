#include "platform/FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {

FileDialogs* g_current = nullptr;

QtFileDialogs& RealDialogs() {
    static QtFileDialogs dialogs;
    return dialogs;
}

QString BothCases(const QString& patterns) {
    QStringList out;
    for (const QString& p : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString t = p.trimmed();
        for (const QString& v : {t, t.toLower(), t.toUpper()})
            if (!out.contains(v)) out << v;
    }
    return out.join(QLatin1Char(' '));
}

} // namespace

FileDialogs& FileDialogs::Current() {
    return g_current ? *g_current : RealDialogs();
}

void FileDialogs::SetCurrent(FileDialogs* dialogs) {
    g_current = dialogs;
}

QStringList FileDialogs::QtFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty() && parts[i + 1].isEmpty()) break;
        if (parts[i + 1].trimmed().isEmpty()) continue;
        // Qt reads the patterns from the parentheses at the end of a filter;
        // the name's own "(*.ZMD)" gives way to the fuller list.
        QString name = parts[i];
        if (name.endsWith(QLatin1Char(')')) && name.lastIndexOf(QLatin1Char('(')) > 0)
            name.truncate(name.lastIndexOf(QLatin1Char('(')));
        out << QStringLiteral("%1 (%2)").arg(name.trimmed(), BothCases(parts[i + 1]));
    }
    return out;
}

QString ChooseOpenFile(QWidget* owner, const FileDialogRequest& request) {
    FileDialogRequest r = request;
    r.kind = FileDialogRequest::Kind::Open;
    return FileDialogs::Current().Choose(owner, r);
}

QString ChooseSaveFile(QWidget* owner, const FileDialogRequest& request) {
    FileDialogRequest r = request;
    r.kind = FileDialogRequest::Kind::Save;
    return FileDialogs::Current().Choose(owner, r);
}

QString QtFileDialogs::Choose(QWidget* owner, const FileDialogRequest& request) {
    QFileDialog dialog(owner, request.caption);
    const bool save = request.kind == FileDialogRequest::Kind::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The pages decide themselves what an existing file means.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    const QStringList filters = QtFilters(request.filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    if (!request.defaultExtension.isEmpty()) dialog.setDefaultSuffix(request.defaultExtension);
    if (!request.initialFolder.isEmpty()) dialog.setDirectory(request.initialFolder);
    if (!request.initialName.isEmpty()) dialog.selectFile(request.initialName);
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : QFileInfo(files.first()).absoluteFilePath();
}

ScriptedFileDialogs::ScriptedFileDialogs() {
    m_previous = &FileDialogs::Current();
    FileDialogs::SetCurrent(this);
}

ScriptedFileDialogs::~ScriptedFileDialogs() {
    FileDialogs::SetCurrent(m_previous);
}

QString ScriptedFileDialogs::Choose(QWidget*, const FileDialogRequest& request) {
    m_requests.push_back(request);
    if (m_answers.empty()) return {};
    QString path = m_answers.front();
    m_answers.pop_front();
    return path;
}
