// Scripted answers for the open and save dialogs, so that tests choose a file
// or cancel without a display. Installed while a ScriptedDialogScope lives.
#pragma once

#include "Navigation.h"

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Each dialog takes the next answer of its own kind's queue, or, when that is
// empty, of the shared queue `answers`; an exhausted script cancels. Every
// request is kept for the test to inspect.
class ScriptedDialogs : public NavDialogProvider {
public:
    using Answers = std::deque<std::optional<std::string>>;
    Answers answers, openAnswers, saveAnswers;
    std::vector<NavFileRequest> opens, saves;

    std::optional<std::string> getOpenPath(const NavFileRequest& r) override {
        opens.push_back(r);
        return next(openAnswers);
    }
    std::optional<std::string> getSavePath(const NavFileRequest& r) override {
        saves.push_back(r);
        return next(saveAnswers);
    }

private:
    std::optional<std::string> next(Answers& own) {
        Answers& q = own.empty() ? answers : own;
        if (q.empty()) return std::nullopt;
        std::optional<std::string> a = q.front();
        q.pop_front();
        return a;
    }
};

class ScriptedDialogScope {
public:
    explicit ScriptedDialogScope(ScriptedDialogs::Answers answers = {})
        : script(std::make_shared<ScriptedDialogs>()), previous(SetNavDialogProvider(script)) {
        script->answers = std::move(answers);
    }
    ~ScriptedDialogScope() { SetNavDialogProvider(previous); }
    ScriptedDialogScope(const ScriptedDialogScope&) = delete;
    ScriptedDialogScope& operator=(const ScriptedDialogScope&) = delete;

    std::shared_ptr<ScriptedDialogs> script;

private:
    std::shared_ptr<NavDialogProvider> previous;
};
