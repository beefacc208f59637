#pragma once
// How the module's commands end, in one place: a refusal, the text of an error, and a command
// run with its wait hint and the host told how it ended. Built on the slot guard
// (platform/SlotGuard.h): a silent end (EAbort) always passes on to it.
#include <QString>
#include <exception>
#include <functional>

namespace plugin {

// Shows text through the host's ShowMessage, which ends the command; should a host's return,
// the command ends all the same.
[[noreturn]] void Refuse(const QString& text);

// The text of an error: a module error's message, any other's what() read as UTF-8.
QString MessageOf(const std::exception& e);

// How a command reports itself.
struct CommandReport {
    QString progress = {};        // the wait hint while the command runs; empty: none
    QString failure = {};         // shown with ShowError before the error's text
    bool notify = true;           // the host hears NotifySaved or NotifySaveFailed
    bool hideBeforeSaved = false; // on success the hint goes before NotifySaved, not after
};

// Runs work as one command: the hint shown (and painted), work run, then the host told. A
// failure hides the hint, tells the host and shows report.failure followed by the error's text;
// the result is then false. A silent end passes through with the hint hidden.
bool RunCommand(const CommandReport& report, const std::function<void()>& work);

} // namespace plugin
