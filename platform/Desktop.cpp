// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "platform/Desktop.h"

#include <QSystemTrayIcon>

namespace platform {

namespace {
class RealDesktop final : public DesktopService {
public:
    bool isSystemTrayAvailable() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }
};
RealDesktop g_real;
DesktopService* g_current = nullptr;
}  // namespace

DesktopService& desktop() { return g_current ? *g_current : g_real; }
void setDesktopService(DesktopService* service) { g_current = service; }

}  // namespace platform
