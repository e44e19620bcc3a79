// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "platform/Desktop.h"

// A desktop with or without a notification area. Installs itself on construction and puts the
// real service back when destroyed.
class FakeDesktop : public platform::DesktopService {
public:
    explicit FakeDesktop(bool tray) : m_tray(tray) { platform::setDesktopService(this); }
    ~FakeDesktop() override { platform::setDesktopService(nullptr); }
    bool isSystemTrayAvailable() const override { return m_tray; }

private:
    bool m_tray;
};
