#pragma once
// The find dialog: a small modeless dialog that searches the rows of one grid (mode 0) or one
// tree list (mode 1) for a text, up or down from the focused row, and focuses the next match.
// One dialog exists at a time, in FindWindowForm; it keeps its text and options while it lives
// (a new opening only changes its target) and frees itself when closed, however it is closed.
// The window base's find command creates, targets and shows it.
#include "platform/Component.h"

#include <QPointer>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace platform {
class Grid;
class TreeList;
} // namespace platform

namespace Ui { class FindWindowForm; }

class TFindWindowForm : public platform::Form {
    Q_OBJECT
public:
    explicit TFindWindowForm(QWidget* parent = nullptr);
    ~TFindWindowForm() override;

    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* Button1;
    QPushButton* Button2;
    QRadioButton* rb1;
    QRadioButton* rb2;
    QCheckBox* chk1;

    // -1 nothing to search, 0 SearchGrid, 1 SearchTreeList.
    int SearchMode = -1;
    // Not owned. A target that is freed while the dialog lives reads as empty.
    QPointer<platform::Grid> SearchGrid;
    QPointer<platform::TreeList> SearchTreeList;

    // The found record index (node absolute index), or -1; the match gets the focus.
    int FindInGrid();
    int FindInTreeList();

    // Places the dialog over the centre of the given window (the main form).
    void CentreOn(QWidget* window);

    void Button1Click();
    void Button2Click();
    void FormCreate();

    // How a cell's value compares with the search text: whole match compares as values (a
    // number or date with the text read as one), otherwise the value's text must contain the
    // text; letter case counts either way.
    static bool Matches(const QVariant& value, const QString& text, bool wholeMatch);

protected:
    void closeEvent(QCloseEvent* event) override;
    // Esc closes the dialog as 关闭 does.
    void reject() override;

private:
    std::unique_ptr<Ui::FindWindowForm> ui_; // the laid-out controls (FindWindow.ui)
};

// The one find dialog, nullptr when none is open.
extern TFindWindowForm* FindWindowForm;
