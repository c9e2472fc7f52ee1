#pragma once

// Test doubles of the shell: prompts that answer as a script says, messages that are remembered
// and answered, a lock timer whose time the test moves.
#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>
#include <QWidget>

#include "app/lock_timer.h"
#include "app/shell_prompts.h"
#include "base/messages.h"
#include "support/fixtures.h"
#include "ui/lock_controller.h"

namespace tessarin::test {

// Remembers every message and answers Yes or No where it is asked.
class CAnsweringMessages : public CRecordingMessages {
public:
    MessageAnswer Show(const CMessage& message) override {
        CRecordingMessages::Show(message);
        if (message.buttons == MessageButtons::YesNo ||
            message.buttons == MessageButtons::YesNoDefaultNo)
            return yes ? MessageAnswer::Yes : MessageAnswer::No;
        return MessageAnswer::Ok;
    }
    bool yes = true;
};

// Each password dialog tries the passwords in turn until the check accepts one; when they run out
// the user quits.
class CScriptedPrompts : public IShellPrompts {
public:
    std::optional<int> AskPassword(bool forUser, const QStringList& users, int selected,
                                   bool usersEnabled, const CheckFunction& check) override {
        ++passwordDialogs;
        if (onAskPassword)
            onAskPassword();
        lastForUser = forUser;
        lastUsers = users;
        lastUsersEnabled = usersEnabled;
        const int user = chooseUser.value_or(selected);
        while (!passwords.empty()) {
            const std::string typed = passwords.front();
            passwords.pop_front();
            if (check(user, CSecret(typed)))
                return user;
            ++wrongPasswords;
        }
        return std::nullopt;
    }
    std::optional<CSecret> AskWelcomePassword() override {
        ++welcomeDialogs;
        return welcome ? std::optional<CSecret>(CSecret(*welcome)) : std::nullopt;
    }
    IMissingFolderPrompt& MissingFolder() override { return m_missing; }
    void ShowGettingStarted() override {
        ++gettingStarted;
        if (onGettingStarted)
            onGettingStarted();
    }
    // The choices in turn; Quit when they run out.
    StartFailureChoice AskStartFailure(const CStartFailure& failure) override {
        failures.push_back(failure);
        if (onStartFailure)
            onStartFailure();
        if (startChoices.empty())
            return StartFailureChoice::Quit;
        const StartFailureChoice choice = startChoices.front();
        startChoices.pop_front();
        return choice;
    }

    std::deque<std::string> passwords;
    std::optional<int> chooseUser;
    std::optional<std::string> welcome;
    int passwordDialogs = 0;
    int wrongPasswords = 0;
    int welcomeDialogs = 0;
    int gettingStarted = 0;
    bool lastForUser = false;
    bool lastUsersEnabled = true;
    QStringList lastUsers;
    std::function<void()> onGettingStarted;
    std::function<void()> onAskPassword;
    std::function<void()> onStartFailure;
    std::deque<StartFailureChoice> startChoices;
    std::vector<CStartFailure> failures;

private:
    class CCancel : public IMissingFolderPrompt {
    public:
        Choice Ask(const std::string&) override { return Choice::Cancel; }
        std::optional<std::string> PickFolder() override { return std::nullopt; }
    } m_missing;
};

// Fires when the test has moved time past the interval.
class CManualTimer : public ILockTimer {
public:
    void Start(std::chrono::milliseconds interval) override {
        m_left = interval;
        m_pending = true;
        lastInterval = interval;
        ++starts;
    }
    void Kill() override { m_pending = false; }
    bool Pending() const override { return m_pending; }
    void Advance(std::chrono::milliseconds by) {
        if (!m_pending)
            return;
        if (by < m_left) {
            m_left -= by;
            return;
        }
        m_pending = false;
        Q_EMIT fired();
    }
    std::chrono::milliseconds lastInterval{0};
    int starts = 0;

private:
    std::chrono::milliseconds m_left{0};
    bool m_pending = false;
};

// Runs `act` on the next dialog of class T that opens modally, once it is shown.
template <typename T>
void OnNextDialog(std::function<void(T&)> act) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<T*>(window); dialog && dialog->isVisible()) {
                timer->stop();
                timer->deleteLater();
                act(*dialog);
                return;
            }
        }
    });
    timer->start();
}

// Lets the lock run to its end, as the program's event loop would: the windows it closed return,
// the password is asked, the database is read again. Bounded only by the test's own time limit.
inline void SettleLock(CLockController& lock) {
    while (lock.CurrentState() == CLockController::State::Locking)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Locks the program as the automatic lock does; `whileLocked` runs when the password is asked,
// which is then answered with `password`.
inline void LockWhile(CLockController& lock, CScriptedPrompts& prompts, const std::string& password,
                      const std::function<void()>& whileLocked) {
    prompts.passwords = {password};
    prompts.onAskPassword = whileLocked;
    lock.Lock(CLockController::Reason::Idle);
    SettleLock(lock);
    prompts.onAskPassword = nullptr;
}

// The same for a view without the program around it: the lock's password dialog is `whileLocked`.
inline void LockWhile(CLockController& lock, const std::function<void()>& whileLocked) {
    lock.m_askUnlock = [&whileLocked](CLockController::Reason) {
        whileLocked();
        return true;
    };
    lock.Lock(CLockController::Reason::Idle);
    SettleLock(lock);
    lock.m_askUnlock = nullptr;
}

}  // namespace tessarin::test
