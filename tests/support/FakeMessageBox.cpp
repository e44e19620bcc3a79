// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/support/FakeMessageBox.h"

FakeMessageBox::FakeMessageBox(int fallback) : m_fallback(fallback) { platform::setMessageBoxService(this); }

FakeMessageBox::~FakeMessageBox() { platform::setMessageBoxService(nullptr); }

int FakeMessageBox::show(const platform::MessageBoxRequest& request, QWidget*)
{
    shown.append(request);
    return m_script.isEmpty() ? m_fallback : m_script.dequeue();
}
