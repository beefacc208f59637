#pragma once
// Which database jxc-host opens when the command line names none: the one chosen last time (the
// user's settings), else the demo file left by an earlier version, else the user is asked once,
// in the first-run dialog, whether to make the demo database or to connect to a server.
#include <QDialog>
#include <QString>
#include <memory>
#include <optional>

class QSettings;

namespace Ui { class FirstRunDialog; }

namespace host {

struct DatabaseChoice {
    QString target;        // as --db takes it
    QString ca;            // as --db-ca takes it; empty: none
    bool insecure = false; // as --db-insecure
};

// The user's settings of jxc-host (QSettings: organization "jxc", application "jxc-host").
std::unique_ptr<QSettings> UserSettings();

// The remembered choice; else the demo file when it exists already; else nothing (ask).
std::optional<DatabaseChoice> DatabaseWithoutAsking(QSettings& settings);
void RememberDatabase(QSettings& settings, const DatabaseChoice& choice);
// The demo database's target.
QString DemoTarget();

// One small dialog: the demo database here, or a server with its CA file or the insecure switch.
class FirstRunDialog : public QDialog {
    Q_OBJECT
public:
    explicit FirstRunDialog(QWidget* parent = nullptr);
    ~FirstRunDialog() override;
    DatabaseChoice Choice() const;

private:
    void ServerToggled(bool on);
    void BrowseCa();
    void Check();
    std::unique_ptr<Ui::FirstRunDialog> ui_;
};

} // namespace host
