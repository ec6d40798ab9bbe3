#include "platform/MessageRecorder.h"

#include <QStringList>

MessageRecorder::MessageRecorder() {
    m_previous = &MessagePresenter::Current();
    MessagePresenter::SetCurrent(this);
}

MessageRecorder::~MessageRecorder() {
    MessagePresenter::SetCurrent(m_previous);
}

MessageAnswer MessageRecorder::Present(QWidget*, const QString& caption, const QString& text,
                                       MessageIcon icon, MessageButtons buttons) {
    m_entries.push_back({caption, text, icon, buttons});
    if (m_hook) m_hook(m_entries.back());
    if (!m_answers.empty()) {
        const MessageAnswer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
}

void MessageRecorder::Script(std::initializer_list<MessageAnswer> answers) {
    m_answers.insert(m_answers.end(), answers.begin(), answers.end());
}

QStringList MessageRecorder::Texts() const {
    QStringList texts;
    for (const Entry& e : m_entries) texts << e.text;
    return texts;
}
