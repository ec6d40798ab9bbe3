#pragma once

#include <QString>

#include <functional>

class QWidget;

// The three icons and three button sets the utility's message boxes use.
enum class MessageIcon { Error, Warning, Information };
enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// Every message box of the program goes through ShowMessage, which hands it
// to the current presenter: the real one shows a modal box, tests install a
// recorder (MessageRecorder) with scripted answers.
class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;

    virtual MessageAnswer Present(QWidget* owner, const QString& caption, const QString& text,
                                  MessageIcon icon, MessageButtons buttons) = 0;

    // The presenter in use; the real one unless another was set.
    static MessagePresenter& Current();
    // nullptr goes back to the real presenter. The caller keeps ownership.
    static void SetCurrent(MessagePresenter* presenter);

    // Where the caption of every box comes from (the application title).
    // Asked at each box, since the title may still be empty early in
    // start-up. Without a source the caption is empty.
    static void SetCaptionSource(std::function<QString()> source);
    static QString Caption();
};

// The one entry point for message boxes. A null owner uses the active window.
MessageAnswer ShowMessage(const QString& text, MessageIcon icon,
                          MessageButtons buttons = MessageButtons::Ok, QWidget* owner = nullptr);

// The presenter that shows a real modal QMessageBox.
class QtMessagePresenter : public MessagePresenter {
public:
    MessageAnswer Present(QWidget* owner, const QString& caption, const QString& text,
                          MessageIcon icon, MessageButtons buttons) override;
};
