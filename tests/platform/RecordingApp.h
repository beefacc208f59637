#pragma once
// A TApplication for these tests: records message boxes and answers them from a script.
#include "platform/Application.h"

#include <QDialog>
#include <QStringList>
#include <deque>

struct RecordingApp : platform::TApplication {
    QStringList messages;
    std::deque<int> answers; // next answers; mbOK when empty
    int MessageBox(const QString& text, const QString&, int, platform::MessageIcon) override
    {
        messages << text;
        if (answers.empty())
            return platform::mbOK;
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
    void ShowMessage(const QString& text) override { messages << text; }
    int ExecModal(QDialog&) override { return QDialog::Rejected; }
    bool ExecSaveDialog(platform::FileDialogOptions&) override { return false; }
    bool ExecOpenDialog(platform::FileDialogOptions&) override { return false; }
    void ProcessMessages() override {}
    void HandleException(const std::exception& e) override { messages << QString::fromUtf8(e.what()); }
    QString Title() const override { return QStringLiteral("test"); }
};

// Puts the recording application in place for a scope.
struct UseApp {
    RecordingApp app;
    UseApp() { platform::SetApplication(&app); }
    ~UseApp() { platform::SetApplication(nullptr); }
};
