#pragma once
// The base of the lookup dialogs: the title panel, the search panel, the list between them and
// the OK/Cancel bar, centred on the screen when shown. Esc cancels wherever the focus is; OK
// and Cancel run the dialog's own handlers.
#include "platform/Component.h"

#include <QString>
#include <memory>

class QLabel;
class QPushButton;
class QVBoxLayout;
class TFrame3;

namespace platform { class TextEdit; }
namespace Ui { class LookupHead; }

namespace lookup {

class LookupForm : public platform::Form {
    Q_OBJECT
public:
    ~LookupForm() override;
    QFrame* pnlTitle;
    QLabel* lblTitle;
    QLabel* lblHint;
    QFrame* pnlSearch;
    QLabel* lblCondition;
    platform::TextEdit* edtCondition;
    QPushButton* BtnQry;
    TFrame3* Frame31 = nullptr;

    // Whether the dialog was closed by a pick.
    bool IsSelected() const { return Selected; }

    // Handlers.
    virtual void FormShow() = 0;
    virtual void BtnQryClick() = 0;
    virtual void edtConditionKeyDown(int& key, Qt::KeyboardModifiers shift) = 0;
    virtual void Frame31bbtnEnterClick() = 0;
    void Frame31bbtnCloseClick();

protected:
    // The form's name and caption, its fixed client size, key preview on; the title panel with
    // title and hint, then the search panel.
    LookupForm(QWidget* parent, const QString& name, const QString& caption, int width, int height,
               const QString& title, const QString& hint);

    // The list fills the room between the search panel and the button bar.
    void AddList(QWidget* list);
    // The OK/Cancel bar, made after the form's own components; listFocus is where the tab
    // order goes between the query button and OK.
    void AddButtonBar(QWidget* listFocus);

    // The keys the dialogs act on: Tab without Shift, Ctrl or Alt; Enter of either keyboard.
    static bool PlainTab(int key, Qt::KeyboardModifiers shift);
    static bool PlainEnter(int key, Qt::KeyboardModifiers shift);

    void showEvent(QShowEvent* event) override;
    bool FormKeyDown(QKeyEvent* e) override;

    bool Selected = false;

private:
    QVBoxLayout* layout_;
    std::unique_ptr<Ui::LookupHead> ui_; // the title and search panels (LookupForm.ui)
};

} // namespace lookup
