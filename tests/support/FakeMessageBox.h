// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "platform/MessageBox.h"

#include <QList>
#include <QQueue>

// Answers message boxes from a script (then with `fallback`) and records every one shown.
// Installs itself on construction and puts the real service back when destroyed.
class FakeMessageBox : public platform::MessageBoxService {
public:
    explicit FakeMessageBox(int fallback = platform::vbOK);
    ~FakeMessageBox() override;
    int show(const platform::MessageBoxRequest& request, QWidget* parent) override;

    void answer(int result) { m_script.enqueue(result); }
    QList<platform::MessageBoxRequest> shown;

private:
    QQueue<int> m_script;
    int m_fallback;
};
