#pragma once

#include "platform/MessagePresenter.h"

#include <deque>
#include <functional>
#include <vector>

// Test double of the message presenter: records every box and answers from a
// script (then with the first button: OK or Yes). Installs itself as the
// current presenter for its lifetime.
class MessageRecorder : public MessagePresenter {
public:
    struct Entry {
        QString caption;
        QString text;
        MessageIcon icon;
        MessageButtons buttons;
    };

    MessageRecorder();
    ~MessageRecorder() override;
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    MessageAnswer Present(QWidget* owner, const QString& caption, const QString& text,
                          MessageIcon icon, MessageButtons buttons) override;

    // Answers given to the next boxes, in order.
    void Script(std::initializer_list<MessageAnswer> answers);
    // Called while a box is "shown" (for example to check what else is open).
    void OnMessage(std::function<void(const Entry&)> hook) { m_hook = std::move(hook); }

    const std::vector<Entry>& Entries() const { return m_entries; }
    QStringList Texts() const;
    void Clear() { m_entries.clear(); }

private:
    MessagePresenter* m_previous = nullptr;
    std::vector<Entry> m_entries;
    std::deque<MessageAnswer> m_answers;
    std::function<void(const Entry&)> m_hook;
};
