#pragma once

#include <string>
#include <vector>

#include "RIZozivirod/Application/Windows/OSWindow.h"

namespace TestSupport {

// An owner for a real window that keeps nothing: no window list, no idle work, no profile.
class NullWindowOwner : public QV::IOSWindowOwner {
public:
    void AddRootWindow(const QV::RCPtr<QV::LRootWindow>&) override {}
    void RemoveRootWindow(const QV::LRootWindow*) override {}
    bool IsMainWindow(const QV::LRootWindow*) override { return false; }
    bool OnIdle(int32_t) override { return false; }
    void ProcessForwardedCommandLine(const std::string&) override {}
    void WriteProfileBinary(const QV::WString&, const QV::WString&, const std::vector<uint8_t>&) override {}
    void OnWindowDestroyed(QV::OSWindow*) override {}
};

}  // namespace TestSupport
