#pragma once

// The core asks for messages to be shown through this interface; it never shows one itself. The
// desktop program shows a message box, the command-line tool prints the text.
#include <string>
#include <vector>

namespace tessarin {

enum class MessageIcon { None, Information, Exclamation, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoDefaultNo };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct CMessage {
    int id = 0;                     // string number of the text
    std::vector<std::string> args;  // for the text's directives, already formatted
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    // A line shown under the text, already in words (Windows-1252): what the system said went
    // wrong, where the text itself gives only a code. Empty: none.
    std::string detail = {};
};

class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    virtual MessageAnswer Show(const CMessage& message) = 0;
};

// Shows nothing and answers as a user who confirms nothing: Cancel or No wherever they are offered.
class CSilentMessages : public IMessageSink {
public:
    MessageAnswer Show(const CMessage& message) override {
        switch (message.buttons) {
            case MessageButtons::OkCancel:
                return MessageAnswer::Cancel;
            case MessageButtons::YesNo:
            case MessageButtons::YesNoDefaultNo:
                return MessageAnswer::No;
            default:
                return MessageAnswer::Ok;
        }
    }
};

}  // namespace tessarin
