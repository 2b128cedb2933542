#pragma once
// Message boxes, awaited: the event loop keeps running while the operator reads one.
#include <string>

#include "task.h"

namespace vorstel {

enum class MessageIcon { None, Critical, Question, Exclamation, Information };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

struct MessageBox {
    std::string title;
    std::string text;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    MessageAnswer defaultAnswer = MessageAnswer::Ok;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual Task<MessageAnswer> Show(MessageBox box) = 0;

    // Callers use this rather than Show({...}): GCC 12 destroys an aggregate temporary that is
    // passed straight to a coroutine twice, so the box is built here, as a named value.
    Task<MessageAnswer> Message(std::string title, std::string text, MessageIcon icon = MessageIcon::None,
                                MessageButtons buttons = MessageButtons::Ok,
                                MessageAnswer defaultAnswer = MessageAnswer::Ok) {
        MessageBox box{std::move(title), std::move(text), icon, buttons, defaultAnswer};
        co_return co_await Show(std::move(box));
    }
};

}  // namespace vorstel
