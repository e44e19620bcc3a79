// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>
#include <vector>

// The single instance of a window, reached by its name (frmMain, g_frmJoiner, ...). Using it
// loads the window on first use; unload() destroys it, and the next use loads a fresh one.
// GUI thread only.
template <class Form>
class FormRef {
public:
    Form* get()
    {
        if (!m_form) {
            m_form = new Form();
            m_form->setAttribute(Qt::WA_DeleteOnClose, false);
            registerForm();
        }
        return m_form.data();
    }
    Form* operator->() { return get(); }
    Form& operator*() { return *get(); }
    bool isLoaded() const { return !m_form.isNull(); }
    Form* loaded() const { return m_form.data(); }  // nullptr when not loaded; never loads

    // Destroys the window now. Safe from inside the window's own event handlers: the object is
    // hidden at once and deleted when control returns to the event loop.
    void unload()
    {
        if (Form* f = m_form.data()) {
            m_form.clear();
            f->hide();
            f->deleteLater();
        }
    }

private:
    void registerForm();
    QPointer<Form> m_form;
};

// Every form that was ever loaded, so tests and the program's end can unload them all.
namespace forms {
void registerUnloader(void* key, std::function<void()> unload);
void unloadAll();
// Every loaded form but the one reached through `keep` (the address of its FormRef).
void unloadAllExcept(const void* keep);
}  // namespace forms

template <class Form>
void FormRef<Form>::registerForm()
{
    forms::registerUnloader(this, [this] { unload(); });
}
