// The base of every window: creation, close and destruction hooks around a
// Qt widget class, and the rule that centres a secondary window on the main
// window.
#pragma once

#include <memory>
#include <utility>

#include <QCloseEvent>
#include <QShowEvent>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>

#include "application.h"

namespace tessaron {

// What happens when a window is asked to close.
enum class TCloseAction {
    caNone,  // the request is refused; the window stays as it is
    caHide,  // the window is hidden (the default)
};

class TFormHooks {
public:
    virtual ~TFormHooks() = default;

    // Called by CreateForm and FormDeleter; not meant for anyone else.
    void RunFormCreate() { FormCreate(); }
    void RunFormDestroy() { FormDestroy(); }

protected:
    // Runs once the window has been constructed (see CreateForm).
    virtual void FormCreate() {}
    // Runs when the window is asked to close; may refuse by setting caNone.
    virtual void FormClose(TCloseAction& action) { (void)action; }
    // Runs before the window is deleted (see FormDeleter).
    virtual void FormDestroy() {}
};

// A window class `Base` (QWidget, QDialog, QMainWindow) with the hooks.
template <class Base>
class TFormOf : public Base, public TFormHooks {
public:
    template <class... Args>
    explicit TFormOf(Args&&... args) : Base(std::forward<Args>(args)...) {
        if (auto* app = TApplication::Instance()) app->RegisterForm(this);
    }

protected:
    void showEvent(QShowEvent* event) override {
        Base::showEvent(event);
        RecentreOnShow(*this);
    }

    void closeEvent(QCloseEvent* event) override {
        TCloseAction action = TCloseAction::caHide;
        FormClose(action);
        if (action == TCloseAction::caNone) {
            event->ignore();
            return;
        }
        Base::closeEvent(event);
        // Closing the main window ends the program, whatever else is open.
        auto* app = TApplication::Instance();
        if (event->isAccepted() && app && app->MainForm() == this) app->quit();
    }
};

// Deleting a form through this runs its FormDestroy first.
template <class F>
struct FormDeleter {
    void operator()(F* form) const {
        if (!form) return;
        form->RunFormDestroy();
        delete form;
    }
};

template <class F>
using FormPtr = std::unique_ptr<F, FormDeleter<F>>;

// Makes a form, then runs its FormCreate.  Should FormCreate throw, the form
// is destroyed (FormDestroy included) before the error goes on.
template <class F, class... Args>
auto CreateForm(Args&&... args) {
    FormPtr<F> form(new F(std::forward<Args>(args)...));
    form->RunFormCreate();
    return form;
}

// Where a window of outer size `own` goes to be centred on a main window
// whose outer bounds are `main`: integer halves rounded toward zero, the top
// worked out before the left, and no attempt to stay on the screen.
QPoint CentredPosition(const QRect& main, const QSize& own);

// Moves `window` (a top-level window) to the centre of `mainWindow` by the
// rule above, on the outer bounds (frame included) of both windows.  A form
// centred before it is shown is centred once more when it shows, because
// only then does the platform give its window a frame.
void CentreOn(QWidget& window, const QWidget& mainWindow);
void RecentreOnShow(QWidget& window);

}  // namespace tessaron
